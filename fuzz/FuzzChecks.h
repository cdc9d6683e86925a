// What each fuzz target does with one input, shared with the regression test that replays the
// inputs the fuzzers once broke. A check returns quietly for input the code may refuse (each
// reader's documented errors) and throws TInvariantBroken when the code answers wrongly;
// anything else it throws is a fault as well.
#pragma once

#include "sprite/Bmp8.h"
#include "sprite/CScheme.h"
#include "sprite/FileUtil.h"
#include "sprite/FrameEdit.h"
#include "sprite/Palette.h"
#include "sprite/SHP.h"
#include "sprite/SpriteSheet.h"
#include "sprite/WorkBudget.h"

#include "ReferenceTD.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel::fuzz {

struct TInvariantBroken : std::logic_error {
    using std::logic_error::logic_error;
};

inline void Require(bool ok, const char* what)
{
    if (!ok)
        throw TInvariantBroken(what);
}

using TBytes = std::span<const uint8_t>;

// The first byte of an input chooses options; the rest is the file.
struct TOptions {
    uint8_t Bits = 0;
    bool operator[](int bit) const { return (Bits >> bit) & 1; }
};

inline TOptions SplitOptions(TBytes& data)
{
    TOptions options;
    if (!data.empty()) {
        options.Bits = data[0];
        data = data.subspan(1);
    }
    return options;
}

// The frames of a loaded sprite keep to the model: rectangles inside the canvas, every pixel
// outside a rectangle 0.
inline void CheckModel(const TSHP& sprite)
{
    if (sprite.Format == TSHPFormat::None) {
        Require(sprite.Frames.empty(), "a refused file leaves no frames");
        return;
    }
    const size_t width = size_t(sprite.Width);
    auto zero = [](const uint8_t* from, size_t n) { return std::all_of(from, from + n, [](uint8_t v) { return v == 0; }); };
    for (const TSHPFrame& f : sprite.Frames) {
        Require(f.X + f.CX <= sprite.Width && f.Y + f.CY <= sprite.Height, "frame rectangle inside the canvas");
        if (!f.Data)
            continue;
        for (int y = 0; y < sprite.Height; ++y) {
            const uint8_t* row = f.Data.get() + size_t(y) * width;
            if (y < f.Y || y >= f.Y + f.CY || f.CX == 0)
                Require(zero(row, width), "pixels outside the rectangle are 0");
            else
                Require(zero(row, f.X) && zero(row + f.X + f.CX, width - f.X - f.CX), "pixels outside the rectangle are 0");
        }
    }
}

// Renders the first frames of each half with the settings chosen by the option bits and
// releases the caches (every frame takes the same path; long sprites would only slow the search).
// The pixels drawn straight from the indices are the caches' (frame i alone).
inline void CheckDrawnPixels(TSHP& sprite, int i)
{
    const size_t n = size_t(sprite.Width) * size_t(sprite.Height);
    std::vector<uint32_t> drawn(n);
    sprite.DrawFramePixels(i, -1, {0, 0, sprite.Width, sprite.Height}, drawn.data(), size_t(sprite.Width));
    const TColour24* rgb = sprite.GetFrameRGB(i);
    const uint8_t* alpha = sprite.GetFrameAlpha(i);
    for (size_t k = 0; k < n; ++k)
        Require(drawn[k] == (uint32_t(rgb[k].B) | uint32_t(rgb[k].G) << 8 | uint32_t(rgb[k].R) << 16 |
                             uint32_t(alpha[k]) << 24),
                "drawn pixels equal the render caches");
}

// Frames are drawn while the canvases drawn stay within 16 MiB; with option bit 7 the first frame
// is drawn whatever its size when the tool would draw it (within the work budget of the file's
// size), which takes seconds for the largest canvases.
inline void RenderSome(TSHP& sprite, TOptions options, uint64_t fileBytes)
{
    sprite.SetTransparentShadows(options[4]);
    sprite.SetUseSideColour(options[5]);
    sprite.SetLuminosity(options[6] ? 17 : 0);
    const int half = sprite.FrameCount() / 2;
    const uint64_t canvas = uint64_t(sprite.Width) * uint64_t(sprite.Height);
    const bool whateverSize = options[7] && canvas <= WorkBudget(fileBytes);
    const uint64_t limit = std::max<uint64_t>(16u << 20, whateverSize ? canvas : 0);
    uint64_t pixels = 0;
    for (int i = 0; i < sprite.FrameCount() && pixels + canvas <= limit; ++i) {
        if ((i >= 8 && i < half) || i >= half + 8 || (IsIsoBuilding(sprite.SHPType) && i == 3))
            continue; // frame 3 of an iso building would read the iso palette file
        pixels += canvas;
        const uint8_t* alpha = sprite.GetFrameAlpha(i);
        if (alpha) {
            const size_t n = size_t(sprite.Width) * size_t(sprite.Height);
            Require(std::all_of(alpha, alpha + n, [](uint8_t a) { return a == 0 || a == 127 || a == 255; }),
                    "alpha is 0, 127 or 255");
            if (n <= (1u << 20))
                CheckDrawnPixels(sprite, i);
        }
        sprite.FreeFrameCache(i);
    }
    sprite.GetUsedColours(-1);
}

// Option bits: 0 OneFrameLoad, 1 HeadersOnly, 2 KeepHeaders, 3 through a stream, 4-7 rendering.
inline void CheckLoad(TBytes data)
{
    const TOptions options = SplitOptions(data);
    TSHP sprite;
    sprite.OneFrameLoad = options[0];
    sprite.HeadersOnly = options[1];
    sprite.KeepHeaders = options[2];
    try {
        if (options[3]) {
            std::istringstream stream(std::string(data.begin(), data.end()));
            sprite.LoadFromStream(stream);
        } else {
            sprite.LoadFromMemory(data);
        }
    } catch (const SHPError&) {
        Require(sprite.Format == TSHPFormat::None && sprite.Frames.empty(), "a refused load leaves nothing");
        return;
    }
    CheckModel(sprite);
    if (sprite.OneFrameLoad)
        Require(sprite.FrameCount() <= 2, "one-frame loading loads at most a frame and its shadow");
    if (!sprite.HeadersOnly)
        RenderSome(sprite, options, data.size());
}

// A file the probe passes is one the readers accept, in the layout the probe named.
inline void CheckProbe(TBytes data)
{
    TMemorySource source(data);
    const bool td = ProbeTD(source);
    const bool ts = !td && ProbeTS(source);
    if (!td && !ts)
        return;
    // Acceptance depends on the headers alone, so the cheapest load tells it.
    TSHP sprite;
    sprite.OneFrameLoad = true;
    sprite.HeadersOnly = true;
    try {
        sprite.LoadFromMemory(data);
    } catch (const SHPError&) {
        return;
    }
    if (td)
        Require(sprite.Format == TSHPFormat::TD, "a file the TD/RA1 probe passes loads as TD/RA1");
    if (ts)
        Require(sprite.Format == TSHPFormat::TS, "a file the TS/RA2 probe passes loads as TS/RA2");
}

inline void CheckPalette(TBytes data)
{
    TPalette pal;
    pal.fill(MakeColour(1, 2, 3));
    PaletteFromFileBytes(data, pal);
    for (size_t i = 0; i < pal.size(); ++i) {
        auto channel = [&](size_t k) { return uint8_t(3 * i + k < data.size() ? data[3 * i + k] * 4 : 0); };
        Require(pal[i] == MakeColour(channel(0), channel(1), channel(2)), "each 6-bit value times 4");
    }
}

// The records read from a default.bcs are exactly the complete records at its start.
inline void CheckDefaultBCS(TBytes data)
{
    Schemes.clear();
    SchemeCount = 0;
    ReadDefaultBCSBytes(data);
    Require(SchemeCount == int(Schemes.size()), "the count matches the list");
    size_t pos = 2;
    for (const TCScheme& s : Schemes) {
        Require(data.size() >= pos + 259 + s.Name.size(), "a record read completely");
        Require(data[pos] == s.GameType, "category");
        Require(std::equal(s.Map.begin(), s.Map.end(), data.begin() + std::ptrdiff_t(pos) + 1), "map");
        Require(std::equal(s.Name.begin(), s.Name.end(), data.begin() + std::ptrdiff_t(pos) + 259,
                           [](char c, uint8_t b) { return uint8_t(c) == b; }),
                "name");
        pos += 259 + s.Name.size();
    }
    Require(data.size() < 2 || SchemeCount <= (data[0] | data[1] << 8), "no more records than the count");
    Schemes.clear();
    SchemeCount = 0;
}

// A scheme parsed from any text recolours a palette and a sprite without trouble.
inline void CheckSchemeText(TBytes data)
{
    const TCScheme scheme = ParseSchemeText(std::string(data.begin(), data.end()));
    TSHP sprite;
    sprite.AddFrames(1, 16, 16);
    for (int k = 0; k < 256; ++k)
        sprite.GetFrame(0).Data[size_t(k)] = uint8_t(k);
    const TPalette recoloured = RecolourPalette(sprite.Palette, scheme);
    ApplyScheme(sprite, scheme);
    for (int k = 0; k < 256; ++k) {
        Require(sprite.GetFrame(0).Data[size_t(k)] == scheme.Map[size_t(k)], "pixels follow the map");
        Require(recoloured[size_t(k)] == sprite.Palette[scheme.Map[size_t(k)]], "colours follow the map");
    }
}

// The first four bytes choose the cut (frame width, height, count); the rest is a BMP file.
// A sprite imported from a map holds exactly its cells and exports them again.
inline void CheckSpriteMap(TBytes data)
{
    if (data.size() < 4)
        return;
    TSheetLayout layout{1 + data[0], 1 + data[1], 1 + data[2] % 64 + (data[3] << 6)};
    data = data.subspan(4);
    TBitmap8 bitmap;
    try {
        bitmap = ReadBmp8(data);
    } catch (const BmpError&) {
        return;
    }
    if (!bitmap.IsIndexed())
        return;
    if (!SheetFits(bitmap.Width, bitmap.Height, layout))
        layout = InitialSheetLayout(bitmap, "map.bmp");
    if (!SheetFits(bitmap.Width, bitmap.Height, layout))
        return;
    const auto sprite = ImportSpriteSheet(bitmap, layout, "map.bmp");
    Require(sprite->FrameCount() == layout.FrameCount, "one frame a cell");
    const TBitmap8 exported = ExportSpriteSheet(*sprite);
    const TSheetLayout back{sprite->Width, sprite->Height, sprite->FrameCount()};
    for (int i = 0; i < layout.FrameCount; ++i) {
        const TBitmap8 cell = SheetCell(bitmap, layout, i);
        Require(std::equal(cell.Pixels.begin(), cell.Pixels.end(), sprite->GetFrame(i).Data.get()), "frame = cell");
        Require(SheetCell(exported, back, i).Pixels == cell.Pixels, "exported cell = imported cell");
    }
}

inline bool SamePixels(const TSHP& a, int i, const TSHP& b, int j)
{
    const size_t n = size_t(a.Width) * size_t(a.Height);
    const uint8_t* pa = a.Frames[size_t(i)].Data.get();
    const uint8_t* pb = b.Frames[size_t(j)].Data.get();
    for (size_t k = 0; k < n; ++k)
        if ((pa ? pa[k] : 0) != (pb ? pb[k] : 0))
            return false;
    return true;
}

// Any sprite the readers accept is saved in both layouts and read back to the same frames.
// Option bits 0-1: compression mode; 2: palette trailer; 3-4: key-frame interval of the TD writer.
inline void CheckWriteThenRead(TBytes data)
{
    const TOptions options = SplitOptions(data);
    TSHP sprite;
    try {
        sprite.LoadFromMemory(data);
    } catch (const SHPError&) {
        return;
    }
    // Canvases of up to 4 MiB: the TD encoders work on segments of about 1 MiB.
    constexpr uint64_t MaxCanvasBytes = 4 << 20;
    if (sprite.Format == TSHPFormat::None ||
        uint64_t(sprite.Width) * uint64_t(sprite.Height) * uint64_t(sprite.FrameCount()) > MaxCanvasBytes)
        return;
    sprite.CompressionMode = uint8_t(options.Bits & 3);
    sprite.SavePalette = options[2];
    sprite.TDKeyFrameInterval = 1 + 5 * ((options.Bits >> 3) & 3);
    for (const TSHPFormat layout : {TSHPFormat::TS, TSHPFormat::TD}) {
        std::vector<uint8_t> file;
        try {
            file = sprite.SaveToMemory(layout);
        } catch (const SHPError&) {
            continue; // a sprite this layout cannot hold is refused
        }
        TSHP back;
        back.LoadFromMemory(file);
        Require(back.Format == layout, "read back in the layout written");
        Require(back.Width == sprite.Width && back.Height == sprite.Height, "canvas");
        Require(back.FrameCount() == sprite.FrameCount(), "frame count");
        for (int i = 0; i < sprite.FrameCount(); ++i) {
            Require(SamePixels(sprite, i, back, i), "pixels");
            const TSHPFrame& f = sprite.Frames[size_t(i)];
            const TSHPFrame& g = back.Frames[size_t(i)];
            if (layout == TSHPFormat::TS && f.CX && f.CY)
                Require(f.X == g.X && f.Y == g.Y && f.CX == g.CX && f.CY == g.CY, "rectangle");
        }
        // A sprite without canvas is read without looking for a trailer.
        if (sprite.SavePalette && sprite.Width > 0 && sprite.Height > 0) {
            Require(back.CustomPalette && back.Palette == sprite.Palette, "palette trailer");
            Require(back.Game == sprite.Game && back.SHPType == sprite.SHPType, "game and type of the trailer");
        }
    }
}

// A BMP the reader returns writes and reads back unchanged.
inline void CheckBmp8(TBytes data)
{
    TBitmap8 bitmap;
    try {
        bitmap = ReadBmp8(data);
    } catch (const BmpError&) {
        return;
    }
    if (!bitmap.IsIndexed())
        return;
    const TBitmap8 again = ReadBmp8(EncodeBmp8(bitmap));
    Require(again.Pixels == bitmap.Pixels && again.ColourTable == bitmap.ColourTable, "BMP round trip");
}

// The TD/RA1 frame decoders against the byte-at-a-time ones. Option bit 0: an XOR delta (over a
// fixed pattern, TDCodecReference) instead of LCW; bit 1: with the slack of the reader's canvases.
// Then the capacity (16 bits, up to 8 KiB) and the command stream. The buffers end exactly where
// the decoders may write and read, for the sanitizer to see any byte beyond.
inline uint8_t TDCodecReference(size_t k) { return uint8_t(k * 37 + 11); }

inline void CheckTDCodecs(TBytes data)
{
    if (data.size() < 3)
        return;
    const TOptions options{data[0]};
    const size_t capacity = (size_t(data[1]) | size_t(data[2]) << 8) % 8192 + 1;
    const TBytes stream = data.subspan(3);
    const size_t slack = options[1] ? TCanvasBlocks::CanvasSlack : 0;
    std::vector<uint8_t> expect(capacity), got(capacity + slack, 0xEE), reference(capacity + slack);
    for (size_t k = 0; k < reference.size(); ++k)
        reference[k] = TDCodecReference(k);
    const std::span<uint8_t> output(got.data(), capacity);
    size_t n = 0, decoded = 0;
    if (options[0]) {
        n = ReferenceXOR(stream, std::span(reference).first(capacity), expect);
        decoded = TSHP::DecodeFormat40(stream, reference.data(), output, slack);
    } else {
        n = ReferenceLCW(stream, expect);
        decoded = TSHP::DecodeFormat80(stream, output, slack);
    }
    Require(decoded == n, "decoded length");
    Require(std::equal(expect.begin(), expect.begin() + std::ptrdiff_t(n), got.begin()), "decoded bytes");
}

// Frame operations and canvas changes on a small sprite made from the input, each followed by its
// undo and redo: a refused operation changes nothing, undo gives back the exact frames, redo the
// result again. Bytes: width, height, frame count, game and type, then the pixels (as far as the
// input goes), then the operations, two bytes each (kind and pairing, argument).
struct TEditState {
    int Width = 0, Height = 0;
    std::vector<std::vector<uint8_t>> Frames; // rectangle (4 values) then the canvas, or empty
    bool operator==(const TEditState&) const = default;
};

inline TEditState EditStateOf(const TSHP& s)
{
    TEditState state{s.Width, s.Height, {}};
    for (const TSHPFrame& f : s.Frames) {
        std::vector<uint8_t> v{uint8_t(f.X), uint8_t(f.Y), uint8_t(f.CX), uint8_t(f.CY)};
        Require(f.X + f.CX <= s.Width && f.Y + f.CY <= s.Height, "rectangle inside the canvas");
        if (f.Data)
            v.insert(v.end(), f.Data.get(), f.Data.get() + size_t(s.Width) * size_t(s.Height));
        state.Frames.push_back(std::move(v));
    }
    return state;
}

inline void CheckFrameEdit(TBytes data)
{
    if (data.size() < 4)
        return;
    TSHP sprite;
    sprite.Game = TSHPGame(data[3] & 3);
    sprite.SetSHPType(TSHPType((data[3] >> 2) % 7));
    sprite.AddFrames(1 + data[2] % 12, 1 + data[0] % 16, 1 + data[1] % 16);
    data = data.subspan(4);
    for (TSHPFrame& f : sprite.Frames)
        for (int p = 0; p < sprite.Width * sprite.Height && !data.empty(); ++p) {
            f.Data[size_t(p)] = data[0] % 4 ? 0 : data[0];
            data = data.subspan(1);
        }
    for (int i = 0; i < sprite.FrameCount(); ++i)
        sprite.UpdateFrameBounds(i);
    for (size_t k = 0; k + 1 < data.size() && k < 32; k += 2) {
        const uint8_t kind = data[k] % 7, arg = data[k + 1];
        const bool pairing = data[k] & 8;
        const std::vector<int> frames{arg % 16, (arg / 16) % 16};
        const TEditState before = EditStateOf(sprite);
        std::function<void()> undo, redo;
        try {
            switch (kind) {
            case 0: {
                auto taken = std::make_shared<TTakenFrames>(DeleteFrames(sprite, frames, pairing));
                const std::vector<int> at = taken->Positions;
                undo = [&sprite, taken] { PutFrames(sprite, *taken); };
                redo = [&sprite, taken, at] { *taken = TakeFrames(sprite, at); };
                break;
            }
            case 1:
            case 2: {
                std::vector<int> added;
                if (kind == 1) {
                    added = DuplicateFrames(sprite, frames, pairing);
                } else {
                    TSHP other;
                    other.AddFrames(1 + arg % 3, 1 + arg % 5, 1 + arg % 7);
                    other.Frames[0].Data[0] = 9;
                    TFrameSource source = FrameSourceOf(other);
                    added = InsertFrames(sprite, source, arg % 20, TAnchor(arg % AnchorCount), pairing);
                }
                auto taken = std::make_shared<TTakenFrames>();
                undo = [&sprite, taken, added] { *taken = TakeFrames(sprite, added); };
                redo = [&sprite, taken] { PutFrames(sprite, *taken); };
                break;
            }
            case 3:
            case 4: {
                const TFrameOrder order =
                    kind == 3 ? MoveFrames(sprite, frames, arg % 13, pairing) : ReverseFrames(sprite, frames, pairing);
                undo = [&sprite, order] { ReorderFrames(sprite, InverseOrder(order)); };
                redo = [&sprite, order] { ReorderFrames(sprite, order); };
                break;
            }
            default: {
                auto canvas = std::make_shared<TCanvas>(
                    kind == 5 ? ResizeCanvas(sprite, 1 + arg % 20, 1 + arg / 13, TAnchor(arg % AnchorCount))
                              : CropCanvas(sprite));
                undo = redo = [&sprite, canvas] { SwapCanvas(sprite, *canvas); };
                break;
            }
            }
        } catch (const EditError&) {
            Require(EditStateOf(sprite) == before, "a refused operation changes nothing");
            continue;
        }
        const TEditState after = EditStateOf(sprite);
        Require(sprite.FrameCount() > 0, "frames remain");
        undo();
        Require(EditStateOf(sprite) == before, "undo gives back the frames");
        redo();
        Require(EditStateOf(sprite) == after, "redo gives the result again");
    }
}

struct TTarget {
    const char* Name;
    void (*Check)(TBytes);
};

// Every target by the name of its program (fuzz_<name>) and of its regression folder.
inline constexpr TTarget Targets[] = {
    {"load", CheckLoad},          {"probe", CheckProbe},       {"palette", CheckPalette},
    {"bcs", CheckDefaultBCS},     {"scheme", CheckSchemeText}, {"spritemap", CheckSpriteMap},
    {"roundtrip", CheckWriteThenRead}, {"bmp8", CheckBmp8},         {"tdcodec", CheckTDCodecs},
    {"frameedit", CheckFrameEdit},
};

} // namespace vantrel::fuzz
