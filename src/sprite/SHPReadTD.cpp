// The TD/RA1 reader and its codecs: LCW key frames and XOR deltas.
#include "SHP.h"
#include "SHPReadUtil.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vantrel {

using namespace shpread;

namespace {

constexpr size_t TDFileHeaderSize = 14;
constexpr size_t TDEntrySize = 8;

constexpr uint8_t FormatLCW = 0x80;
constexpr uint8_t FormatXORKey = 0x40;
constexpr uint8_t FormatXORPrevious = 0x20;

constexpr size_t Block = 16;

size_t RoundToBlocks(size_t n) { return (n + Block - 1) / Block * Block; }

// Copies whole 16-byte blocks covering n bytes; the caller makes sure that both the source and
// the destination hold that many bytes and that the bytes past n are written again later.
void CopyBlocks(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t k = 0; k < n; k += Block)
        std::memcpy(dst + k, src + k, Block);
}

// Copies n bytes to dst from src, which lies before dst in the same buffer, with the effect of a
// byte-by-byte copy: when they overlap the bytes between src and dst repeat.
uint8_t* CopyFromOutput(uint8_t* dst, const uint8_t* src, size_t n)
{
    size_t distance = size_t(dst - src);
    if (distance == 1) {
        std::memset(dst, *src, n);
        return dst + n;
    }
    while (n > distance) {
        std::memcpy(dst, src, distance);
        dst += distance;
        n -= distance;
        distance *= 2;
    }
    std::memcpy(dst, src, n);
    return dst + n;
}

// CopyFromOutput for short copies: whole blocks when the source lies entirely in what was
// written and the output has room for them (the bytes they store past n are written again by
// the following commands or by the zeroing of what the frame leaves unwritten).
uint8_t* CopyShortFromOutput(uint8_t* dst, const uint8_t* src, size_t n, size_t room)
{
    const size_t blocks = RoundToBlocks(n);
    if (src + blocks <= dst && blocks <= room) {
        CopyBlocks(dst, src, n);
        return dst + n;
    }
    return CopyFromOutput(dst, src, n);
}

// The XOR deltas write each run as the reference's bytes (from, at the same place as out) XORed
// with the input or with one value, 8 bytes at a time, and never read the output: a word read
// from the output just after a store to part of it would wait for that store. The last bytes of a
// run take one more word when the output and the input hold 8 bytes from there (room, inRoom):
// its bytes past the run are the reference's, as the output already holds (it starts as a copy of
// the reference), and are written again by the following commands where they change.
constexpr bool MaskedTails = std::endian::native == std::endian::little;

uint64_t LowBytes(size_t count) { return ~uint64_t(0) >> (64 - 8 * count); } // 0 < count <= 8

uint64_t LoadWord(const uint8_t* in)
{
    uint64_t w;
    std::memcpy(&w, in, 8);
    return w;
}

void StoreXor(uint8_t* out, const uint8_t* from, uint64_t value)
{
    const uint64_t w = LoadWord(from) ^ value;
    std::memcpy(out, &w, 8);
}

void XorInput(uint8_t* out, const uint8_t* from, const uint8_t* in, size_t n, size_t room, size_t inRoom)
{
    size_t k = 0;
    for (; k + 8 <= n; k += 8)
        StoreXor(out + k, from + k, LoadWord(in + k));
    if (k == n)
        return;
    if (MaskedTails && room - k >= 8 && inRoom - k >= 8) {
        StoreXor(out + k, from + k, LoadWord(in + k) & LowBytes(n - k));
        return;
    }
    for (; k < n; ++k)
        out[k] = from[k] ^ in[k];
}

void XorValue(uint8_t* out, const uint8_t* from, uint8_t value, size_t n, size_t room)
{
    const uint64_t pattern = value * 0x0101010101010101ull;
    size_t k = 0;
    for (; k + 8 <= n; k += 8)
        StoreXor(out + k, from + k, pattern);
    if (k == n)
        return;
    if (MaskedTails && room - k >= 8) {
        StoreXor(out + k, from + k, pattern & LowBytes(n - k));
        return;
    }
    for (; k < n; ++k)
        out[k] = from[k] ^ value;
}

// The XOR commands that skip, or XOR up to ShortRun bytes with the input, decoded while the
// input holds ShortRunInput bytes: a run takes whole 8-byte words, the last one masked, which may
// reach past outEnd into the slack (at least ShortRun bytes), as a skip may move out past outEnd.
// Stops before any other command.
constexpr size_t ShortRun = 32;
constexpr size_t ShortRunInput = ShortRun + 8;

void DecodeShortXorRuns(const uint8_t*& in, const uint8_t* inEnd, uint8_t*& out, const uint8_t* outEnd,
                        const uint8_t* reference, const uint8_t* base)
{
    while (out < outEnd && in < inEnd) {
        const size_t c = *in;
        if (c > 0x80) {
            out += c & 0x7F;
            in += 1;
        } else if (c - 1 < ShortRun) {
            const uint8_t* const from = reference + (out - base);
            size_t k = 0;
            for (; k + 8 < c; k += 8)
                StoreXor(out + k, from + k, LoadWord(in + 1 + k));
            StoreXor(out + k, from + k, LoadWord(in + 1 + k) & LowBytes(c - k));
            out += c;
            in += 1 + c;
        } else if (c == 0x80 && ReadU16(in + 1) - 1u < 0x7FFFu) {
            out += ReadU16(in + 1);
            in += 3;
        } else {
            return;
        }
    }
}

// The fast LCW commands: those that fit in 64 bytes of output, and 0xFF copies of up to
// FastLongCopy bytes, decoded with whole stores of 16 or 64 bytes while the input holds at least
// FastInput bytes after the command byte and the output room for 64: the bytes stored past a
// command's end are written again by the following commands or by the zeroing of what the frame
// leaves unwritten. The careful decoding takes the other commands and overlapping copies.
constexpr size_t FastInput = 64;
constexpr size_t FastRoom = 64;

// Copies n bytes from src, at least 16 bytes before dst, in 16-byte blocks: each block is read
// after the one before it was written, so overlapping copies repeat as byte-wise ones do. The
// caller makes sure that the output holds n rounded up to 16 bytes from dst.
void CopyBlocksFromOutput(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t k = 0; k < n; k += 16)
        std::memcpy(dst + k, src + k, 16);
}

// Copies n <= 64 bytes from src into dst, which has room for 64. When the bytes that count do
// not overlap, 64 bytes are read before any is written; an overlapping copy needs src at least
// 16 bytes before dst, else it returns false.
bool CopyFastFromOutput(uint8_t* dst, const uint8_t* src, size_t n)
{
    const size_t distance = size_t(dst - src);
    if (distance >= n) {
        uint8_t block[64];
        std::memcpy(block, src, 64);
        std::memcpy(dst, block, 64);
        return true;
    }
    if (distance < 16)
        return false;
    CopyBlocksFromOutput(dst, src, n);
    return true;
}

// The longest 0xFF copy that the fast commands take.
constexpr size_t FastLongCopy = 256;

void DecodeFastLCWCommands(const uint8_t*& inRef, const uint8_t* inLimit, uint8_t*& outRef, const uint8_t* outLimit,
                           uint8_t* base, const uint8_t* storeEnd)
{
    const uint8_t* in = inRef;
    uint8_t* out = outRef;
    while (in < inLimit && out < outLimit) {
        const uint8_t c = in[0];
        if (c < 0x80) {
            const size_t distance = size_t(c & 0x0F) << 8 | in[1];
            const size_t n = (c >> 4) + 3;
            if (distance < n || distance > size_t(out - base))
                break;
            uint8_t block[16];
            std::memcpy(block, out - distance, 16);
            std::memcpy(out, block, 16);
            out += n;
            in += 2;
        } else if (c < 0xC0) {
            const size_t n = c & 0x3F;
            if (n == 0)
                break;
            std::memcpy(out, in + 1, 64);
            out += n;
            in += 1 + n;
        } else if (c < 0xFE) {
            const size_t position = ReadU16(in + 1);
            const size_t n = (c & 0x3F) + 3;
            if (position >= size_t(out - base) || !CopyFastFromOutput(out, base + position, n))
                break;
            out += n;
            in += 3;
        } else if (c == 0xFE) {
            const size_t n = ReadU16(in + 1);
            if (n > 64)
                break;
            std::memset(out, in[3], 64);
            out += n;
            in += 4;
        } else {
            const size_t n = ReadU16(in + 1);
            const size_t position = ReadU16(in + 3);
            const size_t done = size_t(out - base);
            if (n == 0 || n > FastLongCopy || position >= done || done - position < 16 ||
                RoundToBlocks(n) > size_t(storeEnd - out))
                break;
            CopyBlocksFromOutput(out, base + position, n);
            out += n;
            in += 5;
        }
    }
    inRef = in;
    outRef = out;
}

// Clears TDFrameOffsets when loading ends, whichever way it ends.
template <class T> struct TClearOnExit {
    T& Target;
    ~TClearOnExit()
    {
        Target.clear();
        Target.shrink_to_fit();
    }
};

} // namespace

bool TSHP::LoadTD(std::span<const uint8_t> file)
{
    if (file.size() < TDFileHeaderSize)
        return false;
    const int count = ReadU16(&file[0]);
    const uint16_t width = ReadU16(&file[6]);
    const uint16_t height = ReadU16(&file[8]);
    if (count == 0 || width == 0 || height == 0)
        return false;
    // The offset table (count + 2 entries) must fit in the file.
    if ((file.size() - TDFileHeaderSize) / TDEntrySize < size_t(count) + 2)
        return false;

    Game = TSHPGame::TD;
    Width = width;
    Height = height;
    int frames = count;
    if (OneFrameLoad) {
        DetectSHPType(count);
        frames = 1;
    }
    CheckCanvasSize(Width, Height);
    CheckCanvasBudget(uint64_t(frames), file.size());

    const uint8_t* const table = file.data() + TDFileHeaderSize;
    TClearOnExit<decltype(TDFrameOffsets)> clearOffsets{TDFrameOffsets};
    bool keyDeltas = false;
    for (int f = 0; f < frames; ++f)
        keyDeltas |= table[size_t(f) * TDEntrySize + 3] == FormatXORKey;
    if (keyDeltas) {
        TDFrameOffsets.resize(size_t(frames));
        for (int f = 0; f < frames; ++f)
            TDFrameOffsets[size_t(f)] = {ReadU24(table + size_t(f) * TDEntrySize), f};
        if (!std::is_sorted(TDFrameOffsets.begin(), TDFrameOffsets.end()))
            std::sort(TDFrameOffsets.begin(), TDFrameOffsets.end());
        TDKeyHint = 0;
    }

    Frames = std::vector<TSHPFrame>(size_t(frames));
    const size_t canvas = size_t(Width) * size_t(Height);
    TCanvasBlocks canvases(size_t(frames), canvas);
    for (int f = 0; f < frames; ++f) {
        const uint8_t* const entry = table + size_t(f) * TDEntrySize;
        TSHPFrame& frame = Frames[size_t(f)];
        frame.CX = width;
        frame.CY = height;
        frame.Data = canvases.Next();
        int reference = -1;
        const uint8_t code = entry[3];
        const bool known = code == FormatLCW || code == FormatXORKey || code == FormatXORPrevious;
        if (HeadersOnly || !known) {
            std::memset(frame.Data.get(), 0, canvas);
            if (!HeadersOnly)
                frame.CX = frame.CY = 0;
            continue;
        }
        if (code == FormatXORKey)
            reference = FindFrameByOffset(ReadU24(entry + 4), f);
        else if (code == FormatXORPrevious)
            reference = f - 1;
        const uint32_t offset = ReadU24(entry);
        DecodeTDFrame(frame, reference, offset < file.size() ? file.subspan(offset) : std::span<const uint8_t>());
    }

    ReadPaletteTrailer(file.subspan(TDFileHeaderSize + size_t(frames) * TDEntrySize));
    if (KeepHeaders) {
        RawFileHeader.assign(file.begin(), file.begin() + TDFileHeaderSize);
        RawFrameHeaders.assign(table, table + size_t(frames) * TDEntrySize);
    }
    return true;
}

void TSHP::DecodeTDFrame(TSHPFrame& frame, int reference, std::span<const uint8_t> source)
{
    const std::span<uint8_t> output(frame.Data.get(), size_t(Width) * size_t(Height));
    // The canvases come from TCanvasBlocks, and the frames are decoded in order: the slack the
    // decoders write past a frame's end is the next frame's canvas or the block's tail.
    constexpr size_t slack = TCanvasBlocks::CanvasSlack;
    size_t written = 0;
    if (reference < 0)
        written = DecodeFormat80(source, output, slack);
    else if (reference < FrameCount() && Frames[size_t(reference)].Data)
        written = DecodeFormat40(source, Frames[size_t(reference)].Data.get(), output, slack);
    if (written < output.size())
        std::memset(output.data() + written, 0, output.size() - written);
}

size_t TSHP::DecodeFormat80(std::span<const uint8_t> input, std::span<uint8_t> output, size_t slack)
{
    const uint8_t* in = input.data();
    const uint8_t* const inEnd = in + input.size();
    uint8_t* const base = output.data();
    uint8_t* out = base;
    uint8_t* const outEnd = base + output.size();
    // The fast commands need FastInput bytes of input after the command byte and may store
    // FastRoom bytes from out: they run while in < inLimit and out < outLimit. One may end past
    // outEnd, in the slack; decoding then ends.
    const uint8_t* const inLimit = inEnd - std::min<size_t>(input.size(), FastInput);
    const size_t storeSize = output.size() + slack;
    const uint8_t* const storeEnd = base + storeSize;
    const uint8_t* const outLimit = storeSize >= FastRoom ? std::min(outEnd, base + (storeSize - FastRoom + 1)) : base;
    while (true) {
        DecodeFastLCWCommands(in, inLimit, out, outLimit, base, storeEnd);
        if (out >= outEnd || in >= inEnd)
            break;
        const uint8_t c = *in++;
        const size_t room = size_t(outEnd - out);
        const size_t done = size_t(out - base);
        if (c < 0x80) {
            // Copy 3 to 10 bytes from up to 4095 bytes back.
            if (in == inEnd)
                break;
            const size_t distance = size_t(c & 0x0F) << 8 | *in++;
            if (distance == 0 || distance > done)
                break;
            out = CopyShortFromOutput(out, out - distance, std::min<size_t>((c >> 4) + 3, room), room);
        } else if (c == 0x80) {
            break;
        } else if (c < 0xC0) {
            // Copy 1 to 63 bytes from the input.
            const size_t n = c & 0x3F;
            if (RoundToBlocks(n) <= std::min(size_t(inEnd - in), room)) {
                CopyBlocks(out, in, n);
                out += n;
                in += n;
                continue;
            }
            const size_t have = std::min({n, size_t(inEnd - in), room});
            std::memcpy(out, in, have);
            out += have;
            in += have;
            if (have < n)
                break;
        } else if (c < 0xFE) {
            // Copy 3 to 64 bytes from an absolute position of the output.
            if (inEnd - in < 2)
                break;
            const size_t position = ReadU16(in);
            in += 2;
            if (position >= done)
                break;
            out = CopyShortFromOutput(out, base + position, std::min<size_t>((c & 0x3F) + 3, room), room);
        } else if (c == 0xFE) {
            // Fill.
            if (inEnd - in < 3)
                break;
            const size_t n = std::min<size_t>(ReadU16(in), room);
            std::memset(out, in[2], n);
            out += n;
            in += 3;
        } else {
            // Copy up to 65535 bytes from an absolute position of the output.
            if (inEnd - in < 4)
                break;
            const size_t n = std::min<size_t>(ReadU16(in), room);
            const size_t position = ReadU16(in + 2);
            in += 4;
            if (n == 0)
                continue;
            if (position >= done)
                break;
            out = CopyFromOutput(out, base + position, n);
        }
    }
    return size_t(std::min(out, outEnd) - base);
}

size_t TSHP::DecodeFormat40(std::span<const uint8_t> input, const uint8_t* reference, std::span<uint8_t> output,
                            size_t slack)
{
    // The output starts as a copy of the reference frame, so that the runs left as they are cost
    // nothing; the bytes past the end of the decoded ones are cleared by the caller.
    if (reference != output.data())
        std::memcpy(output.data(), reference, output.size());
    const uint8_t* in = input.data();
    const uint8_t* const inEnd = in + input.size();
    uint8_t* const base = output.data();
    uint8_t* out = base;
    uint8_t* const outEnd = base + output.size();
    auto xorInput = [&](size_t n) {
        const size_t room = size_t(outEnd - out), inRoom = size_t(inEnd - in);
        const size_t have = std::min({n, inRoom, room});
        XorInput(out, reference + (out - base), in, have, room + slack, inRoom);
        out += have;
        in += have;
        return have == n || out == outEnd;
    };
    auto xorValue = [&](uint8_t value, size_t n) {
        const size_t room = size_t(outEnd - out);
        n = std::min(n, room);
        XorValue(out, reference + (out - base), value, n, room + slack);
        out += n;
    };
    auto skip = [&](size_t n) { out += std::min(n, size_t(outEnd - out)); };
    const uint8_t* const shortRunsInEnd = input.size() > ShortRunInput ? inEnd - ShortRunInput : in;
    const bool shortRuns = MaskedTails && slack >= ShortRun;
    while (out < outEnd && in < inEnd) {
        if (shortRuns) {
            DecodeShortXorRuns(in, shortRunsInEnd, out, outEnd, reference, base);
            if (out >= outEnd || in >= inEnd)
                break;
        }
        const uint8_t c = *in++;
        if (c == 0) {
            if (inEnd - in < 2)
                break;
            const uint8_t n = in[0];
            const uint8_t value = in[1];
            in += 2;
            xorValue(value, n);
        } else if (c < 0x80) {
            if (!xorInput(c))
                break;
        } else if (c > 0x80) {
            skip(c & 0x7F);
        } else {
            if (inEnd - in < 2)
                break;
            const uint16_t w = ReadU16(in);
            in += 2;
            if (w == 0)
                break;
            if (w < 0x8000) {
                skip(w);
            } else if ((w & 0x4000) == 0) {
                if (!xorInput(w & 0x3FFF))
                    break;
            } else {
                if (in == inEnd)
                    break;
                xorValue(*in++, w & 0x3FFF);
            }
        }
    }
    return size_t(std::min(out, outEnd) - base);
}

int TSHP::FindFrameByOffset(uint32_t offset, int before)
{
    // Consecutive key deltas mostly name the same key frame: the entry found last is tried first,
    // and the search moves on from it to the last entry of that offset below `before`.
    const auto& entries = TDFrameOffsets;
    size_t k = TDKeyHint;
    if (k >= entries.size() || entries[k].first != offset || entries[k].second >= before) {
        const auto it = std::lower_bound(entries.begin(), entries.end(), std::pair{offset, before});
        if (it == entries.begin() || std::prev(it)->first != offset)
            return -1;
        k = size_t(std::prev(it) - entries.begin());
    }
    while (k + 1 < entries.size() && entries[k + 1].first == offset && entries[k + 1].second < before)
        ++k;
    TDKeyHint = k;
    return entries[k].second;
}

} // namespace vantrel
