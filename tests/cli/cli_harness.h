// Helpers of the command-line tests: running vantrel-cli as a user would, temporary folders,
// small SHP, palette and picture files built byte by byte, and JSON read into plain values.
#pragma once

#include "sprite/SHP.h"

#include <QImage>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace clitest {

struct RunResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs the tool with the arguments (no shell involved) and waits for it. A run that has not
// ended after watchdogSeconds is killed and gives Status -1 (a fault that would hang the tool
// fails the test instead of hanging it).
RunResult RunCli(const std::vector<std::string>& args, int watchdogSeconds = 300);

// A folder that is removed with everything in it at the end of the test. Path ends with the
// separator.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return Root; }
    std::string operator/(const std::string& rel) const { return Root + rel; }
    // Writes a file (creating its folders) and returns its path.
    std::string Write(const std::string& rel, const std::vector<uint8_t>& bytes) const;
    std::string WriteText(const std::string& rel, const std::string& text) const;

private:
    std::string Root;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
std::string CorpusDir(); // "" when the corpus is missing

// --- SHP files built by hand -------------------------------------------------------------------

struct TSFrameSpec {
    uint16_t X = 0, Y = 0, CX = 0, CY = 0;
    uint16_t Flags = 0;      // written as given; bit 1 is set for line-encoded data
    uint8_t Radar[4] = {0, 0, 0, 0}; // blue, green, red, extra
    std::vector<uint8_t> Pixels;     // CX x CY indices; empty: no data (offset 0)
    bool Encode = false;             // line-encode the rows
};
// A TS/RA2 file: header, frame headers, frame data.
std::vector<uint8_t> MakeTSFile(uint16_t width, uint16_t height, const std::vector<TSFrameSpec>& frames);
// A TD/RA1 file whose frames (each width x height indices) are LCW key frames of literal runs;
// the offset table ends with the file size and a zero entry.
std::vector<uint8_t> MakeTDFile(uint16_t width, uint16_t height, const std::vector<std::vector<uint8_t>>& frames);

// A .pal file whose entry i is (red, green, blue) = f(i), each 0 to 63.
std::vector<uint8_t> MakePalFile(uint8_t (*red)(int), uint8_t (*green)(int), uint8_t (*blue)(int));

// A 24-bit BMP of a solid colour.
std::vector<uint8_t> MakeBmp24(int width, int height, uint8_t r, uint8_t g, uint8_t b);

// The frames' pixel data of a sprite file loaded through the library (a frame without data as
// all 0), for comparing files frame by frame.
std::vector<std::vector<uint8_t>> LoadFrames(const std::string& path, int* width = nullptr, int* height = nullptr);
// Expects the two sprite files to hold the same canvas and the same frames.
void ExpectSameFrames(const std::string& a, const std::string& b);

// --- JSON --------------------------------------------------------------------------

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } Type = Null;
    bool BoolValue = false;
    double NumberValue = 0;
    std::string StringValue;
    std::vector<Json> Items;
    std::map<std::string, Json> Members;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t i) const { return Items.at(i); }
};
// Parses one JSON object or array strictly; throws std::runtime_error on anything malformed.
Json ParseJson(const std::string& text);

std::vector<std::string> Lines(const std::string& text);

} // namespace clitest
