// Saving: the entry points for both layouts, and the TS/RA2 layout writer.
#include "SHP.h"
#include "SHPWriteShared.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace vantrel {

using namespace writer;

namespace {

constexpr size_t TSFileHeaderSize = 8;
constexpr size_t TSFrameHeaderSize = 24;
constexpr uint64_t TSFileSizeLimit = 1ull << 32; // data offsets hold 32 bits
constexpr size_t MaxRowItems = 65535 - 2;        // the row length counts its own 2 bytes
constexpr uint16_t LineEncodedFlag = 2;
constexpr uint16_t HasTransparentFlag = 1;
constexpr uint8_t PaletteTrailerTag[6] = {0, 'E', 'X', 'T', 'R', 'A'};

// The items of one line-encoded row (without its length word): pixels as they are, transparent
// runs as 0 and a count of at most 255. With Write false only the size is computed.
template <bool Write>
size_t EncodeRowItems(const uint8_t* row, size_t cx, uint8_t* out)
{
    size_t n = 0;
    size_t x = 0;
    while (x < cx) {
        if (row[x] != 0) {
            if constexpr (Write)
                out[n] = row[x];
            ++n;
            ++x;
            continue;
        }
        size_t run = 1;
        while (x + run < cx && row[x + run] == 0)
            ++run;
        x += run;
        for (; run > 0; run -= std::min<size_t>(run, 255)) {
            if constexpr (Write) {
                out[n] = 0;
                out[n + 1] = uint8_t(std::min<size_t>(run, 255));
            }
            n += 2;
        }
    }
    return n;
}

// Appends the encoded row (length word and items) at out + pos; returns the new position.
size_t WriteEncodedRow(const uint8_t* row, size_t cx, uint8_t* out, size_t pos)
{
    const size_t n = EncodeRowItems<true>(row, cx, out + pos + 2);
    Put16(out + pos, uint32_t(n + 2));
    return pos + 2 + n;
}

// The rows of a frame's rectangle; a frame without Data reads as rows of index 0.
class TRectRows {
public:
    TRectRows(const TSHP& sprite, const TSHPFrame& frame)
        : Frame(frame), Stride(size_t(sprite.Width)), Zeros(frame.Data ? 0 : frame.CX, 0)
    {
    }
    const uint8_t* Row(int r) const
    {
        if (!Frame.Data)
            return Zeros.data();
        return Frame.Data.get() + size_t(Frame.Y + r) * Stride + Frame.X;
    }

private:
    const TSHPFrame& Frame;
    size_t Stride;
    std::vector<uint8_t> Zeros;
};

// Size of the whole line encoding of a rectangle, or 0 when a row does not fit its length word.
uint64_t EncodedFrameSize(const TRectRows& rows, int cx, int cy)
{
    uint64_t total = 0;
    for (int r = 0; r < cy; ++r) {
        const size_t items = EncodeRowItems<false>(rows.Row(r), size_t(cx), nullptr);
        if (items > MaxRowItems)
            return 0;
        total += 2 + items;
    }
    return total;
}

bool TriesEncoding(uint8_t mode, int i, int count)
{
    if (mode == 1)
        return i < count / 2;
    return mode != 3;
}

TTSFramePlan PlanFrame(const TSHP& s, int i)
{
    const TSHPFrame& f = s.Frames[size_t(i)];
    TTSFramePlan plan;
    plan.Radar = s.AverageColour(i);
    plan.Flags = uint16_t(s.ForcedFlags & ~LineEncodedFlag);
    plan.Empty = f.CX == 0 || f.CY == 0;
    if (plan.Empty)
        return plan;
    if (!f.Data || s.FrameUsesColour(0, i))
        plan.Flags |= HasTransparentFlag;
    const uint64_t raw = uint64_t(f.CX) * f.CY;
    plan.Size = raw;
    if (!TriesEncoding(s.CompressionMode, i, s.FrameCount()))
        return plan;
    const uint64_t encoded = EncodedFrameSize(TRectRows(s, f), f.CX, f.CY);
    const bool always = s.CompressionMode == 1 || s.CompressionMode == 2;
    if (encoded > 0 && (always || encoded < raw)) {
        plan.Encoded = true;
        plan.Size = encoded;
        plan.Flags |= LineEncodedFlag;
    }
    return plan;
}

void WriteFrameData(const TSHP& s, const TSHPFrame& f, bool encoded, uint8_t* out)
{
    const TRectRows rows(s, f);
    size_t pos = 0;
    for (int r = 0; r < f.CY; ++r) {
        if (encoded) {
            pos = WriteEncodedRow(rows.Row(r), f.CX, out, pos);
        } else {
            std::memcpy(out + pos, rows.Row(r), f.CX);
            pos += f.CX;
        }
    }
}

void WriteFrameHeader(const TSHPFrame& f, const TTSFramePlan& plan, uint32_t offset, uint8_t* h)
{
    std::memset(h, 0, TSFrameHeaderSize);
    Put16(h + 0, f.X);
    Put16(h + 2, f.Y);
    Put16(h + 4, f.CX);
    Put16(h + 6, f.CY);
    Put16(h + 8, plan.Flags);
    h[12] = plan.Radar.B;
    h[13] = plan.Radar.G;
    h[14] = plan.Radar.R;
    Put32(h + 20, offset);
}

std::string SizeText(uint64_t bytes) { return std::to_string(bytes) + " bytes"; }

[[noreturn]] void RefuseLayout(TSHPFormat layout)
{
    throw SHPError("A sprite can be saved in the TS/RA2 or the TD/RA1 layout only (layout value " +
                   std::to_string(int(layout)) + ")");
}

// The refusals that come before any layout's checks.
void CheckSavable(const TSHP& s, TSHPFormat layout)
{
    if (s.OneFrameLoad)
        throw AssertionError(MsgSaveOneFrameLoad);
    if (s.Format == TSHPFormat::None)
        throw SHPError("There is no sprite to save: nothing has been loaded or created");
    if (layout != TSHPFormat::TS && layout != TSHPFormat::TD)
        RefuseLayout(layout);
}

class TVectorSink final : public TByteSink {
public:
    explicit TVectorSink(std::vector<uint8_t>& out) : Out(out) {}
    void Put(std::span<const uint8_t> bytes) override { Out.insert(Out.end(), bytes.begin(), bytes.end()); }

private:
    std::vector<uint8_t>& Out;
};

class TFileSink final : public TByteSink {
public:
    explicit TFileSink(TAtomicFile& file) : File(file) {}
    void Put(std::span<const uint8_t> bytes) override { File.Write(bytes); }

private:
    TAtomicFile& File;
};

class TStreamSink final : public TByteSink {
public:
    explicit TStreamSink(std::ostream& stream) : Stream(stream) {}
    void Put(std::span<const uint8_t> bytes) override
    {
        Stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        Written += bytes.size();
        if (!Stream)
            throw FileError("Cannot write the sprite: the stream did not take its " + SizeText(Written));
    }

private:
    std::ostream& Stream;
    uint64_t Written = 0;
};

// Writes the sprite in a layout: the TS/RA2 file frame by frame, the TD/RA1 file whole.
void WriteLayout(const TSHP& s, TSHPFormat layout, TByteSink& sink)
{
    if (layout == TSHPFormat::TS) {
        WriteTS(s, PlanTS(s), sink);
        return;
    }
    std::vector<uint8_t> file;
    AppendTD(s, file);
    sink.Put(file);
}

void MarkSaved(TSHP& s)
{
    s.IsSaved = true;
    s.HasFile = true;
    if (s.SavePalette)
        s.CustomPalette = true;
}

} // namespace

namespace writer {

void CheckStorable(const TSHP& s, const char* layoutName, int minSide)
{
    const std::string where = std::string(" in the ") + layoutName + " layout";
    if (s.FrameCount() == 0)
        throw SHPError("A sprite without frames cannot be saved" + where);
    if (s.FrameCount() > MaxFrames)
        throw SHPError("A sprite of " + std::to_string(s.FrameCount()) + " frames cannot be saved" + where +
                       ": an SHP file holds at most 65535 frames");
    if (s.Width < minSide || s.Height < minSide || s.Width > MaxCanvasSide || s.Height > MaxCanvasSide)
        throw SHPError("A canvas of " + std::to_string(s.Width) + " x " + std::to_string(s.Height) +
                       " pixels cannot be saved" + where + ": its sides must lie between " +
                       std::to_string(minSide) + " and 65535");
    for (int i = 0; i < s.FrameCount(); ++i) {
        const TSHPFrame& f = s.Frames[size_t(i)];
        if (f.CX == 0 || f.CY == 0)
            continue;
        if (f.X + f.CX > s.Width || f.Y + f.CY > s.Height)
            throw SHPError("Frame " + std::to_string(i) + " cannot be saved: its rectangle (" + std::to_string(f.X) +
                           ", " + std::to_string(f.Y) + ", " + std::to_string(f.CX) + " x " + std::to_string(f.CY) +
                           ") does not lie inside the " + std::to_string(s.Width) + " x " +
                           std::to_string(s.Height) + " canvas");
    }
}

void AppendPaletteTrailer(const TSHP& s, std::vector<uint8_t>& out)
{
    if (!s.SavePalette)
        return;
    const size_t start = out.size();
    out.resize(start + PaletteTrailerSize);
    uint8_t* p = out.data() + start;
    std::memcpy(p, s.Palette.data(), sizeof(TPalette));
    p[768] = uint8_t(s.Game);
    p[769] = uint8_t(s.SHPType);
    p[770] = 0;
    p[771] = 0;
    std::memcpy(p + 772, PaletteTrailerTag, sizeof PaletteTrailerTag);
}

std::vector<TTSFramePlan> PlanTS(const TSHP& s)
{
    CheckStorable(s, "TS/RA2", 0);
    if ((s.Width == 0 || s.Height == 0) && s.FrameCount() > 1)
        throw SHPError("A sprite of " + std::to_string(s.FrameCount()) + " frames needs a canvas of at least 1 x 1 "
                       "pixels in the TS/RA2 layout");
    const int count = s.FrameCount();
    std::vector<TTSFramePlan> plans(static_cast<size_t>(count));
    uint64_t total = TSFileHeaderSize + TSFrameHeaderSize * uint64_t(count) + (s.SavePalette ? PaletteTrailerSize : 0);
    for (int i = 0; i < count; ++i) {
        plans[size_t(i)] = PlanFrame(s, i);
        total += plans[size_t(i)].Size;
        if (total >= TSFileSizeLimit)
            throw SHPError("The sprite needs more than " + SizeText(TSFileSizeLimit - 1) +
                           " in the TS/RA2 layout, whose 32-bit offsets cannot reach beyond that");
    }
    return plans;
}

void WriteTS(const TSHP& s, const std::vector<TTSFramePlan>& plans, TByteSink& sink)
{
    const int count = s.FrameCount();
    std::vector<uint8_t> head(TSFileHeaderSize + TSFrameHeaderSize * size_t(count));
    Put16(head.data() + 0, 0);
    Put16(head.data() + 2, uint32_t(s.Width));
    Put16(head.data() + 4, uint32_t(s.Height));
    Put16(head.data() + 6, uint32_t(count));
    uint64_t offset = head.size();
    for (int i = 0; i < count; ++i) {
        const TTSFramePlan& plan = plans[size_t(i)];
        uint8_t* header = head.data() + TSFileHeaderSize + TSFrameHeaderSize * size_t(i);
        WriteFrameHeader(s.Frames[size_t(i)], plan, plan.Empty ? 0 : uint32_t(offset), header);
        offset += plan.Empty ? 0 : plan.Size;
    }
    sink.Put(head);
    head = {};
    std::vector<uint8_t> data;
    for (int i = 0; i < count; ++i) {
        const TTSFramePlan& plan = plans[size_t(i)];
        if (plan.Empty)
            continue;
        data.resize(size_t(plan.Size));
        WriteFrameData(s, s.Frames[size_t(i)], plan.Encoded, data.data());
        sink.Put(data);
    }
    std::vector<uint8_t> trailer;
    AppendPaletteTrailer(s, trailer);
    sink.Put(trailer);
}

void AppendTS(const TSHP& s, std::vector<uint8_t>& out)
{
    TVectorSink sink(out);
    WriteTS(s, PlanTS(s), sink);
}

} // namespace writer

void TSHP::SaveToFile(const std::string& name, TSHPFormat layout)
{
    CheckSavable(*this, layout);
    std::vector<TTSFramePlan> plans;
    if (layout == TSHPFormat::TS)
        plans = PlanTS(*this); // every refusal comes before the file is touched
    else
        CheckStorable(*this, "TD/RA1", 1);
    TAtomicFile file(name);
    TFileSink sink(file);
    if (layout == TSHPFormat::TS)
        writer::WriteTS(*this, plans, sink);
    else
        WriteLayout(*this, layout, sink);
    file.Commit();
    FileName = name;
    MarkSaved(*this);
}

void TSHP::SaveToStream(std::ostream& stream, TSHPFormat layout)
{
    CheckSavable(*this, layout);
    TStreamSink sink(stream);
    WriteLayout(*this, layout, sink);
    stream.flush();
    if (!stream)
        throw FileError("Cannot write the sprite: the stream failed");
    MarkSaved(*this);
}

std::vector<uint8_t> TSHP::SaveToMemory(TSHPFormat layout) const
{
    CheckSavable(*this, layout);
    std::vector<uint8_t> out;
    TVectorSink sink(out);
    WriteLayout(*this, layout, sink);
    return out;
}

void TSHP::WriteTS(std::vector<uint8_t>& out)
{
    AppendTS(*this, out);
    if (SavePalette)
        CustomPalette = true;
}

void TSHP::WritePaletteTrailer(std::vector<uint8_t>& out)
{
    AppendPaletteTrailer(*this, out);
    if (SavePalette)
        CustomPalette = true;
}

void TSHP::ExtractFrameRect(int i, uint8_t* buffer) const
{
    const TSHPFrame& f = GetFrame(i);
    const TRectRows rows(*this, f);
    for (int r = 0; r < f.CY; ++r)
        std::memcpy(buffer + size_t(r) * f.CX, rows.Row(r), f.CX);
}

std::vector<uint8_t> TSHP::EncodeTSCompressed(const uint8_t* buffer, int cx, int cy)
{
    std::vector<uint8_t> out;
    if (cx <= 0 || cy <= 0)
        return out;
    uint64_t total = 0;
    for (int r = 0; r < cy; ++r) {
        const size_t items = EncodeRowItems<false>(buffer + size_t(r) * size_t(cx), size_t(cx), nullptr);
        if (items > MaxRowItems)
            throw SHPError("Row " + std::to_string(r) + " of " + std::to_string(cx) +
                           " pixels needs more than 65535 bytes in the line encoding");
        total += 2 + items;
    }
    out.resize(size_t(total));
    size_t pos = 0;
    for (int r = 0; r < cy; ++r)
        pos = WriteEncodedRow(buffer + size_t(r) * size_t(cx), size_t(cx), out.data(), pos);
    return out;
}

TColour24 TSHP::AverageColour(int i) const
{
    const TSHPFrame& f = GetFrame(i);
    if (!f.Data)
        return {};
    uint64_t blue = 0, green = 0, red = 0;
    uint32_t count = 0;
    for (int r = 0; r < f.CY; ++r) {
        const uint8_t* row = f.Data.get() + size_t(f.Y + r) * size_t(Width) + f.X;
        for (int x = 0; x < f.CX; ++x) {
            if (row[x] == 0)
                continue;
            const TColour24 c = Palette[row[x]];
            blue += c.B;
            green += c.G;
            red += c.R;
            if (++count == 2550) {
                blue /= count;
                green /= count;
                red /= count;
                count = 0;
            }
        }
    }
    if (count > 0) {
        blue /= count;
        green /= count;
        red /= count;
    }
    return {uint8_t(std::min<uint64_t>(blue, 255)), uint8_t(std::min<uint64_t>(green, 255)),
            uint8_t(std::min<uint64_t>(red, 255))};
}

} // namespace vantrel
