// Temporary folders and small files for the palette, rendering and scheme tests.
#pragma once

#include "sprite/FileUtil.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace render_test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
// While it lives it is the application folder, so the palette and scheme folders are inside it.
class TAppFolder {
public:
    TAppFolder()
    {
        std::random_device seed;
        Path = std::filesystem::temp_directory_path() / ("vantrel-render-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(Path);
        vantrel::SetAppFolder(Path.string());
    }
    ~TAppFolder()
    {
        vantrel::SetAppFolder("");
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TAppFolder(const TAppFolder&) = delete;
    TAppFolder& operator=(const TAppFolder&) = delete;

    // The absolute path of a relative one ("palette/TS/unittem.pal"); its folders are created.
    std::string Make(const std::string& relative) const
    {
        const std::filesystem::path p = Path / relative;
        std::filesystem::create_directories(p.parent_path());
        return p.string();
    }
    std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        const std::string path = Make(relative);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::string WriteText(const std::string& relative, const std::string& text) const
    {
        return Write(relative, std::vector<uint8_t>(text.begin(), text.end()));
    }

    std::filesystem::path Path;
};

// A .pal file whose entry 1 holds (tag, tag, tag) in 6-bit values and entry 7 (tag, 0, 63 - tag):
// the tag identifies which file was loaded.
inline std::vector<uint8_t> TaggedPaletteFile(uint8_t tag)
{
    std::vector<uint8_t> bytes(768, 0);
    bytes[3] = bytes[4] = bytes[5] = tag;
    bytes[21] = tag;
    bytes[23] = uint8_t(63 - tag);
    return bytes;
}

} // namespace render_test
