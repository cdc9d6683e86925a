// Helpers of the writer tests: the TD/RA1 offset table, random sprites and temporary folders.
#pragma once

#include "sprite/SHP.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace writetest {

using Bytes = std::vector<uint8_t>;

// The sanitizer builds run the heaviest encodings (many megabytes through the TD/RA1 encoders)
// on less input; the normal build runs them in full.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool Sanitized = true;
#else
inline constexpr bool Sanitized = false;
#endif
#else
inline constexpr bool Sanitized = false;
#endif

inline uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
inline uint32_t Get24(const uint8_t* p) { return Get16(p) | uint32_t(p[2]) << 16; }
inline uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

struct TDEntry {
    uint32_t Offset;
    uint8_t Format;
    uint32_t Reference;
    uint8_t Tag;
};

// The count + 2 entries of a TD/RA1 file's offset table.
inline std::vector<TDEntry> TDTable(const Bytes& file)
{
    std::vector<TDEntry> entries;
    for (uint32_t i = 0; i < Get16(file.data()) + 2; ++i) {
        const uint8_t* e = file.data() + 14 + 8 * i;
        entries.push_back({Get24(e), e[3], Get24(e + 4), e[7]});
    }
    return entries;
}

// A frame's pixels as the whole canvas (all 0 without Data).
inline Bytes Canvas(const vantrel::TSHP& s, int i)
{
    const uint8_t* d = s.Frames[size_t(i)].Data.get();
    const size_t size = size_t(s.Width) * size_t(s.Height);
    return d ? Bytes(d, d + size) : Bytes(size, 0);
}

// A sprite of random content: frames of scattered pixels, transparent runs longer than 255,
// rows of all 0, empty frames, rectangles touching the canvas edges, and near repeats of the
// previous frame (so that the TD writer meets every frame kind).
inline void MakeRandomSprite(vantrel::TSHP& s, std::mt19937& rng, int width, int height, int frames)
{
    s.AddFrames(frames, width, height);
    auto below = [&rng](int n) { return int(rng() % uint32_t(n)); };
    for (int i = 0; i < frames; ++i) {
        uint8_t* d = s.Frames[size_t(i)].Data.get();
        const int kind = below(6);
        if (kind == 1 && i > 0) {
            std::memcpy(d, s.Frames[size_t(i) - 1].Data.get(), size_t(width) * height);
            for (int k = below(8); k > 0; --k)
                d[below(width * height)] = uint8_t(below(256));
        } else if (kind != 0) {
            const int density = below(4);
            for (int y = 0; y < height; ++y) {
                if (below(5) == 0)
                    continue; // a row of all 0
                for (int x = 0; x < width; ++x)
                    if (density == 0 ? below(16) == 0 : below(4) < density)
                        d[y * width + x] = uint8_t(1 + below(kind == 2 ? 255 : 6));
            }
        }
        if (below(3) == 0) // one pixel on the bottom or the right edge
            d[below(2) ? (height - 1) * width + below(width) : below(height) * width + width - 1] = 7;
        s.UpdateFrameBounds(i);
    }
}

// A fresh folder under the system's temporary folder, removed with its contents at the end.
struct TTempDir {
    TTempDir()
    {
        std::random_device rd;
        Path = std::filesystem::temp_directory_path() / ("vantrel-write-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(Path);
    }
    ~TTempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(Path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(Path, ec);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    std::filesystem::path Path;
};

inline Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace writetest
