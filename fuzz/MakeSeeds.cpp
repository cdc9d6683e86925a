// vantrel-fuzz-seeds FOLDER: writes small seed inputs for every fuzz target into
// FOLDER/<target>/, made with the project's own writers.
#include "sprite/Bmp8.h"
#include "sprite/FileUtil.h"
#include "sprite/SHP.h"
#include "sprite/SpriteSheet.h"

#include "FuzzChecks.h"

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
        for (uint8_t options : {0x00, 0x01, 0x06, 0x78})
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
    TDCodecSeeds();
    FrameEditSeeds();
    return 0;
}
