// Loading: the entry points, the TS/RA2 reader, its two frame decoders and the palette trailer.
#include "SHP.h"
#include "SHPReadUtil.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <istream>

namespace vantrel {

using namespace shpread;

namespace {

constexpr size_t TSFileHeaderSize = 8;
constexpr size_t TSFrameHeaderSize = 24;
constexpr size_t TrailerSize = 778;
constexpr uint16_t LineEncodedFlag = 2;

struct TTSFrameHeader {
    uint16_t X = 0, Y = 0, CX = 0, CY = 0, Flags = 0;
    TColour24 Radar;
    uint8_t RadarExtra = 0;
    uint32_t DataOffset = 0;
};

// Header i of the table that starts at offset 8; bytes missing from the file read as zero.
TTSFrameHeader ReadTSFrameHeader(std::span<const uint8_t> file, size_t i)
{
    uint8_t h[TSFrameHeaderSize];
    CopyPadded(file, TSFileHeaderSize + i * TSFrameHeaderSize, h, TSFrameHeaderSize);
    TTSFrameHeader r;
    r.X = ReadU16(h);
    r.Y = ReadU16(h + 2);
    r.CX = ReadU16(h + 4);
    r.CY = ReadU16(h + 6);
    r.Flags = ReadU16(h + 8);
    r.Radar = {h[12], h[13], h[14]};
    r.RadarExtra = h[15];
    r.DataOffset = ReadU32(h + 20);
    return r;
}

// A frame has data when its offset is non-zero and lies inside the file.
bool HasFrameData(const TTSFrameHeader& h, size_t fileSize) { return h.DataOffset != 0 && h.DataOffset < fileSize; }

// Copies the pixels of one encoded row, [in, inEnd), to [out, out + width) of a canvas that is
// already 0: transparent runs are only skipped. Pixels and runs past the width are cut off.
// Where 8 bytes of the source (up to srcEnd) and of the row are left, 8 input bytes are looked
// at and stored at once, those from the first 0 or from the row's end on stored as 0: they lie
// in the run that 0 starts, or are written again by the items after it, or stay transparent.
void DecodeTSRow(const uint8_t* in, const uint8_t* const inEnd, const uint8_t* const srcEnd, uint8_t* const out,
                 const size_t width)
{
    constexpr uint64_t Ones = 0x0101010101010101ull;
    constexpr uint64_t Highs = 0x8080808080808080ull;
    constexpr bool WordWise = std::endian::native == std::endian::little;
    size_t x = 0;
    while (in < inEnd && x < width) {
        if (*in == 0) {
            if (inEnd - in < 2)
                return;
            x += in[1];
            in += 2;
        } else if (WordWise && srcEnd - in >= 8 && width - x >= 8) {
            uint64_t word;
            std::memcpy(&word, in, 8);
            const uint64_t zeros = (word - Ones) & ~word & Highs;
            size_t pixels = zeros ? size_t(std::countr_zero(zeros)) / 8 : 8;
            pixels = std::min(pixels, size_t(inEnd - in));
            if (pixels < 8)
                word &= (uint64_t(1) << (8 * pixels)) - 1;
            std::memcpy(out + x, &word, 8);
            in += pixels;
            x += pixels;
        } else {
            out[x++] = *in++;
        }
    }
}

} // namespace

void TSHP::LoadFromFile(const std::string& name)
{
    Clear();
    Theatre = TheatreFromExtension(ExtractFileExt(name));
    std::vector<uint8_t> file = ReadWholeFile(name);
    FileName = name;
    LoadFromMemory(file);
}

void TSHP::LoadFromStream(std::istream& stream)
{
    std::vector<uint8_t> file;
    const std::istream::pos_type start = stream.tellg();
    if (start != std::istream::pos_type(-1) && stream.seekg(0, std::ios::end)) {
        const std::istream::pos_type end = stream.tellg();
        stream.seekg(start);
        if (end != std::istream::pos_type(-1) && end > start)
            file.reserve(size_t(end - start));
    }
    stream.clear();
    char chunk[1 << 16];
    while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0)
        file.insert(file.end(), chunk, chunk + stream.gcount());
    LoadFromMemory(file);
}

void TSHP::LoadFromMemory(std::span<const uint8_t> file)
{
    SHPType = TSHPType::Unit;
    CustomPalette = false;
    FreeRawHeaders();
    Format = TSHPFormat::None;
    try {
        if (LoadTS(file)) {
            Format = TSHPFormat::TS;
            if (!CustomPalette) {
                if (!OneFrameLoad)
                    DetectSHPType(FrameCount());
                RefineSHPType();
            }
        } else if (LoadTD(file)) {
            Format = TSHPFormat::TD;
            if (!CustomPalette && !OneFrameLoad)
                DetectSHPType(FrameCount());
        } else {
            return;
        }
    } catch (const SHPError&) {
        Clear();
        Width = Height = 0;
        Format = TSHPFormat::None;
        throw;
    }
    IsSaved = true;
    HasFile = true;
}

bool TSHP::LoadTS(std::span<const uint8_t> file)
{
    if (file.size() < TSFileHeaderSize)
        return false;
    const uint16_t zero = ReadU16(&file[0]);
    const uint16_t width = ReadU16(&file[2]);
    const uint16_t height = ReadU16(&file[4]);
    const int count = ReadU16(&file[6]);
    if (zero != 0)
        return false;
    if (width == 0 || height == 0 || count == 0) {
        if (count != 1)
            return false;
        // A sprite without canvas: one empty frame.
        Width = 0;
        Height = 0;
        Frames = std::vector<TSHPFrame>(1);
        return true;
    }

    Game = TSHPGame::TS;
    Width = width;
    Height = height;
    int headers = count;
    int frames = count;
    if (OneFrameLoad) {
        DetectSHPType(count);
        const bool withShadow = (SHPType == TSHPType::Animation && count % 2 == 0) || HasShadowFrames();
        if (withShadow) {
            frames = std::min(2, count);
        } else {
            frames = 1;
            headers = 1;
        }
    }
    auto headerIndex = [&](int i) { return OneFrameLoad && i == 1 ? count / 2 : i; };

    uint64_t framesWithData = 0;
    for (int i = 0; i < frames; ++i)
        framesWithData += HasFrameData(ReadTSFrameHeader(file, size_t(headerIndex(i))), file.size());
    CheckCanvasSize(Width, Height);
    // Drawing any frame, even an empty one, takes a canvas of caches: count one at least.
    CheckCanvasBudget(std::max<uint64_t>(framesWithData, 1), file.size());

    Frames = std::vector<TSHPFrame>(size_t(frames));
    const size_t canvas = size_t(Width) * size_t(Height);
    TCanvasBlocks canvases(size_t(framesWithData), canvas);
    for (int i = 0; i < frames; ++i) {
        const TTSFrameHeader h = ReadTSFrameHeader(file, size_t(headerIndex(i)));
        if (!HasFrameData(h, file.size()))
            continue;
        TSHPFrame& f = Frames[size_t(i)];
        f.X = h.X;
        f.Y = h.Y;
        f.CX = h.CX;
        f.CY = h.CY;
        f.RadarColour = h.Radar;
        f.RadarColourExtra = h.RadarExtra;
        f.Data = canvases.Next();
        if (HeadersOnly) {
            std::memset(f.Data.get(), 0, canvas);
        } else {
            const std::span<const uint8_t> source = file.subspan(h.DataOffset);
            if (h.Flags & LineEncodedFlag)
                DecodeTSCompressed(f, source);
            else
                DecodeTSRaw(f, source);
        }
        ClipFrameRect(f, Width, Height);
    }

    if (KeepHeaders) {
        RawFileHeader.assign(file.begin(), file.begin() + TSFileHeaderSize);
        RawFrameHeaders.resize(size_t(headers) * TSFrameHeaderSize);
        CopyPadded(file, TSFileHeaderSize, RawFrameHeaders.data(), RawFrameHeaders.size());
    }
    ReadPaletteTrailer(file);
    return true;
}

void TSHP::ReadPaletteTrailer(std::span<const uint8_t> tail)
{
    if (tail.size() < TrailerSize)
        return;
    const uint8_t* end = tail.data() + tail.size();
    if (end[-6] != 0 || std::memcmp(end - 5, "EXTRA", 5) != 0)
        return;
    TPalette palette;
    std::memcpy(palette.data(), end - TrailerSize, sizeof palette);
    Game = TSHPGame(end[-10]);
    SHPType = TSHPType(end[-9]);
    SetPalette(palette);
    CustomPalette = true;
}

// Real sprites' rectangles are small beside their canvas: one memset of the whole canvas and
// then only the pixels is quicker than zeroing around the rectangle row by row.
void TSHP::DecodeTSCompressed(TSHPFrame& frame, std::span<const uint8_t> source) const
{
    std::memset(frame.Data.get(), 0, size_t(Width) * size_t(Height));
    const TVisibleRect r = VisiblePart(frame, Width, Height);
    const uint8_t* in = source.data();
    const uint8_t* const end = in + source.size();
    uint8_t* row = frame.Data.get() + size_t(r.Y) * size_t(Width) + size_t(r.X);
    for (int y = 0; y < r.CY && end - in >= 2; ++y, row += Width) {
        const size_t length = ReadU16(in);
        if (length < 2)
            break;
        const uint8_t* const next = in + std::min(length, size_t(end - in));
        DecodeTSRow(in + 2, next, end, row, size_t(r.CX));
        in = next;
    }
}

// A raw rectangle of a quarter of the canvas or more is written in one pass with the zeros
// around it; a smaller one after one memset of the canvas.
void TSHP::DecodeTSRaw(TSHPFrame& frame, std::span<const uint8_t> source) const
{
    const TVisibleRect r = VisiblePart(frame, Width, Height);
    auto copyRow = [&](int y, uint8_t* out) {
        const size_t offset = size_t(y) * frame.CX;
        const size_t have = offset < source.size() ? std::min(size_t(r.CX), source.size() - offset) : 0;
        if (have)
            std::memcpy(out, source.data() + offset, have);
        return out + have;
    };
    const size_t canvas = size_t(Width) * size_t(Height);
    if (size_t(r.CX) * size_t(r.CY) * 4 >= canvas) {
        FillCanvas(frame.Data.get(), Width, Height, r, copyRow);
        return;
    }
    std::memset(frame.Data.get(), 0, canvas);
    uint8_t* row = frame.Data.get() + size_t(r.Y) * size_t(Width) + size_t(r.X);
    for (int y = 0; y < r.CY; ++y, row += Width)
        copyRow(y, row);
}

} // namespace vantrel
