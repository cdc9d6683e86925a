// Builders of small SHP files in memory, and access to the shared corpus, for the reader tests.
#pragma once

#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace readtest {

using Bytes = std::vector<uint8_t>;

// Byte by byte: GCC 12 at -O3 takes inserting an initializer list into a vector that grows for
// writing past its end (a false -Wstringop-overflow).
inline void Put16(Bytes& b, unsigned v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
inline void Put24(Bytes& b, unsigned v) { Put16(b, v), b.push_back(uint8_t(v >> 16)); }
inline void Put32(Bytes& b, unsigned v) { Put24(b, v), b.push_back(uint8_t(v >> 24)); }

struct TSFrame {
    unsigned X = 0, Y = 0, CX = 0, CY = 0, Flags = 0;
    Bytes Data;                 // empty: data offset 0
    unsigned Radar = 0x00112233; // blue, green, red, extra from the low byte
};

// A TS/RA2 file: header, frame headers, the frames' data in order.
inline Bytes MakeTS(unsigned width, unsigned height, const std::vector<TSFrame>& frames)
{
    Bytes b;
    Put16(b, 0), Put16(b, width), Put16(b, height), Put16(b, unsigned(frames.size()));
    size_t offset = 8 + 24 * frames.size();
    for (const TSFrame& f : frames) {
        Put16(b, f.X), Put16(b, f.Y), Put16(b, f.CX), Put16(b, f.CY), Put16(b, f.Flags), Put16(b, 0);
        Put32(b, f.Radar), Put32(b, 0), Put32(b, f.Data.empty() ? 0 : unsigned(offset));
        offset += f.Data.size();
    }
    for (const TSFrame& f : frames)
        b.insert(b.end(), f.Data.begin(), f.Data.end());
    return b;
}

struct TDFrame {
    uint8_t Format = 0x80;
    unsigned Reference = 0; // for 0x40: the data offset of the key frame; otherwise written as is
    Bytes Data;
};

// A TD/RA1 file whose table ends with the file size and a zero entry, as real files do.
inline Bytes MakeTD(unsigned width, unsigned height, const std::vector<TDFrame>& frames)
{
    Bytes b;
    Put16(b, unsigned(frames.size())), Put16(b, 0), Put16(b, 0), Put16(b, width), Put16(b, height);
    Put16(b, 0), Put16(b, 0);
    size_t offset = 14 + 8 * (frames.size() + 2);
    for (const TDFrame& f : frames) {
        Put24(b, unsigned(offset)), b.push_back(f.Format), Put24(b, f.Reference), b.push_back(0);
        offset += f.Data.size();
    }
    Put24(b, unsigned(offset)), Put24(b, 0), Put16(b, 0), Put32(b, 0), Put32(b, 0);
    for (const TDFrame& f : frames)
        b.insert(b.end(), f.Data.begin(), f.Data.end());
    return b;
}

// The 778-byte palette trailer: palette entry i = (i, 255 - i, 7), then game and type.
inline Bytes Trailer(uint8_t game, uint8_t type)
{
    Bytes b;
    for (int i = 0; i < 256; ++i)
        b.insert(b.end(), {uint8_t(i), uint8_t(255 - i), 7});
    b.insert(b.end(), {game, type, 0, 0, 0, 'E', 'X', 'T', 'R', 'A'});
    return b;
}

inline void Load(vantrel::TSHP& s, const Bytes& file)
{
    s.Clear();
    s.LoadFromMemory(file);
}

// The canvas bytes of frame i as a vector (empty without Data).
inline Bytes Canvas(const vantrel::TSHP& s, int i)
{
    const auto& f = s.Frames.at(size_t(i));
    return f.Data ? Bytes(f.Data.get(), f.Data.get() + size_t(s.Width) * size_t(s.Height)) : Bytes();
}

inline std::string TempPath(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / "vantrel-read-tests";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

inline std::string WriteTemp(const std::string& name, const Bytes& data)
{
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return path;
}

inline std::string CorpusDir() { return VANTREL_CORPUS_DIR; }

#define SKIP_WITHOUT_CORPUS()                                                                      \
    if (!std::filesystem::exists(readtest::CorpusDir() + "/MANIFEST.tsv"))                         \
    GTEST_SKIP() << "corpus not found at " << readtest::CorpusDir()

// The rows of MANIFEST.tsv as column name -> value.
inline std::vector<std::map<std::string, std::string>> Manifest()
{
    std::ifstream in(CorpusDir() + "/MANIFEST.tsv");
    std::vector<std::string> columns;
    std::vector<std::map<std::string, std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, '\t');)
            cells.push_back(cell);
        if (columns.empty()) {
            columns = cells;
            continue;
        }
        auto& row = rows.emplace_back();
        for (size_t c = 0; c < columns.size(); ++c)
            row[columns[c]] = c < cells.size() ? cells[c] : "";
    }
    return rows;
}

inline std::string CorpusPath(const std::string& file) { return CorpusDir() + "/" + file; }

} // namespace readtest
