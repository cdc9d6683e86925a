// Helpers of the writer tests: strict TD/RA1 frame decoders that accept only what a careful
// encoder should produce, a reader of the TD/RA1 table, and random sprites.
#pragma once

#include "sprite/SHP.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace writetest {

// The sanitizer build runs the heaviest encodings (many megabytes through the TD/RA1 encoders)
// on less input; the normal build runs them in full.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool Sanitized = true;
#else
inline constexpr bool Sanitized = false;
#endif
#else
inline constexpr bool Sanitized = false;
#endif

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TTempDir {
public:
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

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
inline uint32_t Get24(const uint8_t* p) { return Get16(p) | uint32_t(p[2]) << 16; }
inline uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

// LCW of exactly size bytes: every command stays inside the input and the output, copies read
// only what was written before, and the end command follows the last byte. Empty on failure.
inline std::optional<std::vector<uint8_t>> StrictLCW(std::span<const uint8_t> in, size_t size)
{
    std::vector<uint8_t> out(size);
    size_t ip = 0, op = 0;
    auto take = [&](size_t n) { return (ip += n) <= in.size(); };
    auto copy = [&](size_t from, size_t n) {
        if (from >= op || op + n > size)
            return false;
        for (size_t k = 0; k < n; ++k, ++op)
            out[op] = out[from + k];
        return true;
    };
    while (op < size) {
        if (!take(1))
            return {};
        const uint8_t c = in[ip - 1];
        bool ok;
        if (c < 0x80) {
            ok = take(1) && op >= ((size_t(c & 0x0F) << 8) | in[ip - 1]) &&
                 copy(op - ((size_t(c & 0x0F) << 8) | in[ip - 1]), size_t(c >> 4) + 3);
        } else if (c == 0x80) {
            ok = false;
        } else if (c < 0xC0) {
            const size_t n = c & 0x3F;
            ok = take(n) && op + n <= size;
            if (ok)
                std::memcpy(out.data() + op, in.data() + ip - n, n), op += n;
        } else if (c < 0xFE) {
            ok = take(2) && copy(Get16(&in[ip - 2]), size_t(c & 0x3F) + 3);
        } else if (c == 0xFE) {
            const size_t n = take(3) ? Get16(&in[ip - 3]) : 0;
            ok = n > 0 && op + n <= size;
            if (ok)
                std::memset(out.data() + op, in[ip - 1], n), op += n;
        } else {
            ok = take(4) && Get16(&in[ip - 4]) > 0 && copy(Get16(&in[ip - 2]), Get16(&in[ip - 4]));
        }
        if (!ok)
            return {};
    }
    if (ip + 1 != in.size() || in[ip] != 0x80)
        return {};
    return out;
}

// XOR delta against reference, ending with its end command as the last input bytes. The bytes
// after the end command stay 0, or take the reference with restFromReference.
inline std::optional<std::vector<uint8_t>> StrictXOR(std::span<const uint8_t> in, const uint8_t* reference,
                                                     size_t size, bool restFromReference)
{
    std::vector<uint8_t> out(size);
    size_t ip = 0, op = 0;
    auto take = [&](size_t n) { return (ip += n) <= in.size(); };
    auto apply = [&](size_t n, const uint8_t* values, uint8_t fill) {
        if (op + n > size)
            return false;
        for (size_t k = 0; k < n; ++k, ++op)
            out[op] = reference[op] ^ (values ? values[k] : fill);
        return true;
    };
    for (;;) {
        if (!take(1))
            return {};
        const uint8_t c = in[ip - 1];
        bool ok;
        if (c == 0x00) {
            ok = take(2) && in[ip - 2] > 0 && apply(in[ip - 2], nullptr, in[ip - 1]);
        } else if (c < 0x80) {
            ok = take(c) && apply(c, &in[ip - c], 0);
        } else if (c > 0x80) {
            ok = apply(c & 0x7F, nullptr, 0);
        } else {
            if (!take(2))
                return {};
            const uint32_t w = Get16(&in[ip - 2]);
            const size_t n = w & 0x3FFF;
            if (w == 0)
                break;
            if (w < 0x8000)
                ok = apply(w, nullptr, 0);
            else if (!(w & 0x4000))
                ok = n > 0 && take(n) && apply(n, &in[ip - n], 0);
            else
                ok = n > 0 && take(1) && apply(n, nullptr, in[ip - 1]);
        }
        if (!ok)
            return {};
    }
    if (ip != in.size())
        return {};
    if (restFromReference)
        std::memcpy(out.data() + op, reference + op, size - op);
    return out;
}

struct TDEntry {
    uint32_t Offset;
    uint8_t Format;
    uint32_t Reference;
    uint8_t Tag;
};

inline std::vector<TDEntry> TDTable(const std::vector<uint8_t>& file)
{
    std::vector<TDEntry> entries;
    const uint32_t count = Get16(file.data());
    for (uint32_t i = 0; i < count + 2; ++i) {
        const uint8_t* e = file.data() + 14 + 8 * i;
        entries.push_back({Get24(e), e[3], Get24(e + 4), e[7]});
    }
    return entries;
}

// Decodes a file of the TD writer strictly; each frame's data run to the next frame's offset
// (the last to the palette trailer or the end of the file).
// Empty when a frame does not decode.
inline std::optional<std::vector<std::vector<uint8_t>>> StrictTDFrames(const std::vector<uint8_t>& file,
                                                                       bool restFromReference = false)
{
    const std::vector<TDEntry> table = TDTable(file);
    const size_t count = table.size() - 2;
    const size_t size = size_t(Get16(&file[6])) * Get16(&file[8]);
    const bool trailer = file.size() >= 778 && std::memcmp(&file[file.size() - 6], "\0EXTRA", 6) == 0;
    std::vector<std::vector<uint8_t>> frames;
    for (size_t f = 0; f < count; ++f) {
        const size_t end = f + 1 < count ? table[f + 1].Offset : file.size() - (trailer ? 778 : 0);
        const std::span<const uint8_t> data(file.data() + table[f].Offset, end - table[f].Offset);
        std::optional<std::vector<uint8_t>> frame;
        if (table[f].Format == 0x80) {
            frame = StrictLCW(data, size);
        } else {
            size_t ref = f - 1;
            if (table[f].Format == 0x40)
                for (ref = 0; ref < f && table[ref].Offset != table[f].Reference; ++ref) {
                }
            if (ref >= f)
                return {};
            frame = StrictXOR(data, frames[ref].data(), size, restFromReference);
        }
        if (!frame)
            return {};
        frames.push_back(std::move(*frame));
    }
    return frames;
}

// A frame's pixels as the whole canvas (all 0 without Data).
inline std::vector<uint8_t> Canvas(const vantrel::TSHP& s, int i)
{
    const vantrel::TSHPFrame& f = s.Frames[size_t(i)];
    const size_t size = size_t(s.Width) * size_t(s.Height);
    if (!f.Data)
        return std::vector<uint8_t>(size, 0);
    return std::vector<uint8_t>(f.Data.get(), f.Data.get() + size);
}

// A sprite of random content: frames of scattered pixels, transparent runs longer than 255,
// rows of all 0, empty frames, rectangles touching the canvas edges, and near repeats of the
// previous frame (so that the TD writer meets every frame kind).
inline void MakeRandomSprite(vantrel::TSHP& s, std::mt19937& rng, int width, int height, int frames)
{
    s.AddFrames(frames, width, height);
    auto below = [&rng](int n) { return int(rng() % uint32_t(n)); };
    for (int i = 0; i < frames; ++i) {
        vantrel::TSHPFrame& f = s.Frames[size_t(i)];
        uint8_t* d = f.Data.get();
        const int kind = below(6);
        if (kind == 0)
            continue; // all transparent
        if (kind == 1 && i > 0) {
            std::memcpy(d, s.Frames[size_t(i) - 1].Data.get(), size_t(width) * height);
            for (int k = below(8); k > 0; --k)
                d[below(width * height)] = uint8_t(below(256));
        } else {
            const int density = below(4);
            for (int y = 0; y < height; ++y) {
                if (below(5) == 0)
                    continue; // a row of all 0
                for (int x = 0; x < width; ++x) {
                    const bool opaque = density == 0 ? below(16) == 0 : below(4) < density;
                    d[y * width + x] = opaque ? uint8_t(1 + below(kind == 2 ? 255 : 6)) : 0;
                }
            }
        }
        if (below(3) == 0) // touch one edge with a single pixel
            d[below(2) ? (height - 1) * width + below(width) : below(height) * width + width - 1] = 7;
        s.UpdateFrameBounds(i);
    }
}

} // namespace writetest
