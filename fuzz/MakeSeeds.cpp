// vantrel-fuzz-seeds FOLDER: writes small seed inputs for every fuzz target into
// FOLDER/<target>/, made with the project's own writers.
#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/SHP.h"
#include "sprite/SpriteSheet.h"

#include "FuzzChecks.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace vantrel;
using TBytes = std::vector<uint8_t>;

std::filesystem::path Root;

void Seed(const std::string& target, const std::string& name, const TBytes& bytes)
{
    std::filesystem::create_directories(Root / target);
    WriteFileAtomic((Root / target / name).string(), bytes);
}

TBytes Text(const std::string& s) { return TBytes(s.begin(), s.end()); }

TBytes WithOptions(uint8_t options, const TBytes& file)
{
    TBytes bytes{options};
    bytes.insert(bytes.end(), file.begin(), file.end());
    return bytes;
}

// A small sprite with a bit of everything: a transparent border, runs, a full row, an empty frame.
std::unique_ptr<TSHP> SmallSprite(int frames, int w, int h)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->AddFrames(frames, w, h);
    for (int i = 0; i < frames; ++i) {
        if (i == 2)
            continue; // stays empty
        uint8_t* data = sprite->GetFrame(i).Data.get();
        for (int y = 1; y < h - 1; ++y)
            for (int x = 2; x < w - 1; ++x)
                data[y * w + x] = uint8_t((x * 7 + y * 3 + i) % 5 == 0 ? 0 : 16 + (x + y + i) % 40);
        sprite->UpdateFrameBounds(i);
    }
    return sprite;
}

void SpriteSeeds()
{
    const auto sprite = SmallSprite(5, 12, 9);
    std::vector<std::pair<std::string, TBytes>> files;
    for (uint8_t mode = 0; mode < 4; ++mode) {
        sprite->CompressionMode = mode;
        files.push_back({"ts-mode" + std::to_string(mode), sprite->SaveToMemory(TSHPFormat::TS)});
    }
    sprite->TDKeyFrameInterval = 3;
    files.push_back({"td", sprite->SaveToMemory(TSHPFormat::TD)});
    sprite->SavePalette = true;
    files.push_back({"ts-trailer", sprite->SaveToMemory(TSHPFormat::TS)});
    files.push_back({"td-trailer", sprite->SaveToMemory(TSHPFormat::TD)});
    files.push_back({"no-canvas", {0, 0, 0, 0, 0, 0, 1, 0}});
    for (const auto& [name, file] : files) {
        Seed("probe", name, file);
        for (uint8_t options : {0x00, 0x01, 0x06, 0x78, 0xF0})
            Seed("load", name + "-" + std::to_string(options), WithOptions(options, file));
        for (uint8_t options : {0x00, 0x05, 0x1A})
            Seed("roundtrip", name + "-" + std::to_string(options), WithOptions(options, file));
    }
}

void PaletteSeeds()
{
    TBytes ramp;
    for (int i = 0; i < 768; ++i)
        ramp.push_back(uint8_t(i % 64));
    Seed("palette", "ramp", ramp);
    Seed("palette", "short", {63, 0, 32, 1, 2});
    TBytes bcs = {2, 0};
    for (const std::string name : {"Blue", ""}) {
        bcs.push_back(12);
        for (int i = 0; i < 256; ++i)
            bcs.push_back(uint8_t(i >= 16 && i < 32 ? i + 96 : i));
        bcs.push_back(uint8_t(name.size()));
        bcs.push_back(0);
        bcs.insert(bcs.end(), name.begin(), name.end());
    }
    Seed("bcs", "two", bcs);
    Seed("scheme", "plain", Text("[Info]\r\nName=Blue\r\ngametype=12\r\n\r\n[Data]\r\n16=112\r\n17=113\r\n"));
    Seed("scheme", "numbers", Text("[data]\n 0 = 0x10 \n1=$FF\n2=-1\n3=336\n4=abc\n[INFO]\nname = x\ngametype=0X12\n"));
}

void BitmapSeeds()
{
    const auto sprite = SmallSprite(6, 8, 5);
    const TBytes bmp = EncodeBmp8(ExportSpriteSheet(*sprite));
    Seed("bmp8", "map", bmp);
    Seed("spritemap", "map", [&] {
        TBytes b = {7, 4, 5, 0};
        b.insert(b.end(), bmp.begin(), bmp.end());
        return b;
    }());
}

// A PNG file of 8-bit rows (each starting with its filter byte), its data in stored deflate
// blocks: small, and made without a compression library.
TBytes StoredPng(int width, int height, uint8_t colourType, const TBytes& rows, const TBytes& palette)
{
    auto put32 = [](TBytes& out, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            out.push_back(uint8_t(v >> s));
    };
    auto chunk = [&](TBytes& out, const char* type, const TBytes& data) {
        put32(out, uint32_t(data.size()));
        const size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = start; i < out.size(); ++i) {
            crc ^= out[i];
            for (int k = 0; k < 8; ++k)
                crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        put32(out, ~crc);
    };
    TBytes header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, colourType, 0, 0, 0});
    TBytes zlib = {0x78, 0x01};
    for (size_t at = 0; at < rows.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, rows.size() - at);
        zlib.push_back(at + n >= rows.size() ? 1 : 0);
        zlib.insert(zlib.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        zlib.insert(zlib.end(), rows.begin() + long(at), rows.begin() + long(at + n));
        if (n == 0)
            break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : rows) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    put32(zlib, b << 16 | a);
    TBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    chunk(png, "IHDR", header);
    if (!palette.empty())
        chunk(png, "PLTE", palette);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", {});
    return png;
}

// The picture target: the sprite map as a BMP and as an indexed PNG, and a true-colour PNG, for
// both readers (option bit 1) and both extensions (bit 0).
void PictureSeeds()
{
    const auto sprite = SmallSprite(2, 4, 4);
    const TBitmap8 map = ExportSpriteSheet(*sprite);
    TBytes indexed, rgb, palette;
    for (int y = 0; y < map.Height; ++y) {
        indexed.push_back(0);
        rgb.push_back(y % 5); // every row filter once
        for (int x = 0; x < map.Width; ++x) {
            indexed.push_back(map.Row(y)[x]);
            for (int shift = 16; shift >= 0; shift -= 8)
                rgb.push_back(uint8_t(map.ColourTable[map.Row(y)[x]] >> shift));
        }
    }
    for (int e = 0; e < 256; ++e)
        palette.insert(palette.end(), {uint8_t(e), uint8_t(e * 3), uint8_t(255 - e)});
    const std::vector<std::pair<std::string, TBytes>> pictures = {
        {"bmp", EncodeBmp8(map)},
        {"indexed", StoredPng(map.Width, map.Height, 3, indexed, palette)},
        {"rgb", StoredPng(map.Width, map.Height, 2, rgb, {})}};
    for (const auto& [name, file] : pictures)
        for (uint8_t options : {0x00, 0x01, 0x02, 0x03, 0x0C, 0x35})
            Seed("picture", name + "-" + std::to_string(options), WithOptions(options, file));
}

// Frames of the sample sprite, and a larger one, encoded as LCW and as XOR deltas over the
// pattern the target decodes them against.
void TDCodecSeeds()
{
    const auto small = SmallSprite(3, 12, 9);
    const auto large = SmallSprite(2, 97, 61);
    int number = 0;
    for (const TSHP* sprite : {small.get(), large.get()}) {
        const size_t capacity = size_t(sprite->Width) * size_t(sprite->Height);
        TBytes reference(capacity);
        for (size_t k = 0; k < capacity; ++k)
            reference[k] = fuzz::TDCodecReference(k);
        for (const TSHPFrame& frame : sprite->Frames) {
            const std::span<const uint8_t> pixels(frame.Data.get(), capacity);
            for (uint8_t options : {0x00, 0x02, 0x01, 0x03}) {
                TBytes seed = {options, uint8_t(capacity - 1), uint8_t((capacity - 1) >> 8)};
                const TBytes stream = options & 1 ? TSHP::EncodeFormat40(pixels, reference.data())
                                                  : TSHP::EncodeFormat80(pixels);
                seed.insert(seed.end(), stream.begin(), stream.end());
                Seed("tdcodec", "frame" + std::to_string(number++), seed);
            }
        }
    }
}

// A TS unit of 8 frames of 6 x 5 (header bytes, then every pixel), then operations of each kind
// with pairing on and off.
void FrameEditSeeds()
{
    TBytes seed{5, 4, 7, 2 | 6 << 2};
    for (int p = 0; p < 8 * 30; ++p)
        seed.push_back(uint8_t(p % 3 ? 0 : 4 + p));
    for (uint8_t kind = 0; kind < 7; ++kind)
        seed.insert(seed.end(), {uint8_t(kind | (kind % 2) << 3), uint8_t(0x31 + kind * 17)});
    Seed("frameedit", "unit", seed);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: vantrel-fuzz-seeds FOLDER\n");
        return 2;
    }
    Root = argv[1];
    SpriteSeeds();
    PaletteSeeds();
    BitmapSeeds();
    PictureSeeds();
    TDCodecSeeds();
    FrameEditSeeds();
    return 0;
}
