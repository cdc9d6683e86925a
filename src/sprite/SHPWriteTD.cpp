// The TD/RA1 layout writer and its two frame encoders: LCW (key frames) and XOR delta.
//
// Both encoders choose their commands by a shortest-path pass: it computes the cheapest command
// sequence that reaches every position of the canvas (literal runs through a sliding-window
// minimum, fills and skips from run lengths, LCW copies found through bounded hash-chain
// searches, so LCW is close to but not always at the optimum), then the sequence is read back
// from the end.
#include "SHP.h"
#include "SHPWriteShared.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <limits>

namespace vantrel {

using namespace writer;

namespace {

constexpr size_t TDFileHeaderSize = 14;
constexpr size_t TDEntrySize = 8;
constexpr uint64_t TDFileSizeLimit = 1ull << 24; // offsets hold 24 bits
constexpr uint8_t FormatLCW = 0x80;
constexpr uint8_t FormatXORKey = 0x40;
constexpr uint8_t FormatXORPrevious = 0x20;
// What real files put into the last byte of an entry: the format of the frame the delta starts
// from (a key frame for 0x40, a 0x40 frame for 0x20, with bit 3 set).
constexpr uint8_t ReferenceTagXORKey = 0x80;
constexpr uint8_t ReferenceTagXORPrevious = 0x48;
// Delta frames are tried against this many of the latest key frames.
constexpr size_t KeyCandidates = 8;

constexpr uint32_t Unreached = std::numeric_limits<uint32_t>::max();

// Minimum of cost[k] - k over the last Window positions, for literal runs of up to Window bytes:
// reaching position j through a literal run from k costs cost[k] + header + (j - k).
template <size_t Window>
class TLiteralWindow {
public:
    void Reset()
    {
        Items.clear();
        Front = 0;
    }
    void Push(size_t pos, uint32_t cost)
    {
        const int64_t value = int64_t(cost) - int64_t(pos);
        while (Items.size() > Front && Items.back().Value >= value)
            Items.pop_back();
        Items.push_back({pos, value});
    }
    // The best start for a literal run ending at j, or false when there is none in reach.
    bool Best(size_t j, size_t& start, uint32_t& cost)
    {
        while (Front < Items.size() && Items[Front].Pos + Window < j)
            ++Front;
        if (Front == Items.size())
            return false;
        start = Items[Front].Pos;
        cost = uint32_t(Items[Front].Value + int64_t(j));
        return true;
    }

private:
    struct TItem {
        size_t Pos;
        int64_t Value;
    };
    std::vector<TItem> Items; // a monotonic queue from Front on
    size_t Front = 0;
};

// One step of an optimal parse: the command that reaches a position from Length bytes before.
struct TStep {
    uint32_t Length = 0;
    uint32_t Arg = 0; // distance, absolute position or fill value
    uint8_t Kind = 0;
};

// Length of the common prefix of a and b, at most max bytes; the ranges may overlap.
size_t MatchLength(const uint8_t* a, const uint8_t* b, size_t max)
{
    size_t n = 0;
    while (n + 8 <= max) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little)
                return n + size_t(std::countr_zero(x ^ y) / 8);
            else
                break;
        }
        n += 8;
    }
    while (n < max && a[n] == b[n])
        ++n;
    return n;
}

// ---------------------------------------------------------------------------------------------
// LCW (format 80)

class TLCWEncoder {
public:
    std::vector<uint8_t> Encode(std::span<const uint8_t> input);

private:
    enum : uint8_t { KindLiteral, KindRelative, KindAbsolute, KindFill };
    static constexpr size_t MaxLiteral = 63;
    static constexpr size_t MinCopy = 3;
    static constexpr size_t MaxRelativeCopy = 10;
    static constexpr size_t MaxRelativeDistance = 4095;
    static constexpr size_t MaxMediumCopy = 64;
    static constexpr size_t MaxLong = 65535; // long copies and fills
    static constexpr size_t AbsoluteReach = 65536;
    static constexpr uint32_t CostRelative = 2;
    static constexpr uint32_t CostMedium = 3;
    static constexpr uint32_t CostLong = 5;
    static constexpr uint32_t CostFill = 4;
    // Search limits: chain candidates looked at per position, a match long enough to take
    // without looking further (and without searching the positions it covers), and the run
    // length beyond which a position inside a run is only filled.
    static constexpr int MaxChain = 48;
    static constexpr size_t NiceLength = 128;
    static constexpr size_t RunOnly = 80;
    static constexpr int MinHashBits = 10;
    static constexpr int MaxHashBits = 16;

    struct TMatch {
        size_t Length = 0;
        uint32_t Arg = 0;
    };
    // Hash chains: the latest position of each key, and the latest below AbsoluteReach (their
    // Previous links stay below it). A position that starts a run of MinCopy or more equal
    // bytes is keyed by its byte and its run length (only such a run matches it in full and
    // goes on), every other position by its first three bytes.
    struct TChains {
        std::vector<int32_t> Head, AbsoluteHead;
    };

    void Prepare();
    void Relax(size_t from, size_t length, uint32_t extra, uint8_t kind, uint32_t arg);
    void FindMatches(size_t i, TMatch& relative, TMatch& absolute) const;
    void Insert(size_t i);
    void RelaxCopies(size_t i, const TMatch& relative, const TMatch& absolute);
    std::vector<uint8_t> Emit() const;
    bool StartsRun(size_t i) const { return Run[i] >= MinCopy; }
    uint32_t Key(size_t i) const
    {
        const uint8_t* p = In.data() + i;
        const uint32_t v = StartsRun(i) ? uint32_t(p[0]) | Run[i] << 8 : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        return (v * 2654435761u) >> (32 - HashBits);
    }

    std::span<const uint8_t> In;
    int HashBits = MinHashBits; // about the input size, so that small frames clear small tables
    std::vector<uint32_t> Run; // equal bytes from each position on, at most MaxLong
    std::vector<uint32_t> Cost;
    std::vector<TStep> Steps;
    TChains Plain, Runs;
    std::vector<int32_t> Previous;
    TLiteralWindow<MaxLiteral> Literals;
};

void TLCWEncoder::Prepare()
{
    const size_t n = In.size();
    Run.assign(n, 1);
    for (size_t i = n - 1; i-- > 0;)
        if (In[i] == In[i + 1])
            Run[i] = std::min<uint32_t>(Run[i + 1] + 1, MaxLong);
    Cost.assign(n + 1, Unreached);
    Steps.assign(n + 1, TStep{});
    HashBits = std::clamp(int(std::bit_width(n)), MinHashBits, MaxHashBits);
    for (TChains* chains : {&Plain, &Runs}) {
        chains->Head.assign(size_t(1) << HashBits, -1);
        chains->AbsoluteHead.assign(size_t(1) << HashBits, -1);
    }
    Previous.assign(n, -1);
    Literals.Reset();
    Cost[0] = 0;
}

void TLCWEncoder::Relax(size_t from, size_t length, uint32_t extra, uint8_t kind, uint32_t arg)
{
    const uint32_t c = Cost[from] + extra;
    if (c < Cost[from + length]) {
        Cost[from + length] = c;
        Steps[from + length] = {uint32_t(length), arg, kind};
    }
}

void TLCWEncoder::FindMatches(size_t i, TMatch& relative, TMatch& absolute) const
{
    const uint8_t* cur = In.data() + i;
    const size_t maxAbsolute = std::min(MaxLong, In.size() - i);
    const size_t maxRelative = std::min(MaxRelativeCopy, maxAbsolute);
    auto consider = [&](size_t p) {
        const uint8_t* src = In.data() + p;
        const bool isRelative = i - p <= MaxRelativeDistance;
        const bool isAbsolute = p < AbsoluteReach;
        const size_t want = isAbsolute ? maxAbsolute : maxRelative;
        const size_t best = isAbsolute ? std::max(absolute.Length, relative.Length) : relative.Length;
        if (best >= want || src[best] != cur[best])
            return;
        const size_t length = MatchLength(src, cur, want);
        if (length < MinCopy)
            return;
        if (isRelative && length > relative.Length && relative.Length < maxRelative)
            relative = {std::min(length, maxRelative), uint32_t(i - p)};
        if (isAbsolute && length > absolute.Length)
            absolute = {length, uint32_t(p)};
    };
    auto enough = [&] { return absolute.Length >= std::min(NiceLength, maxAbsolute); };
    const bool run = StartsRun(i);
    if (run && i > 0 && In[i - 1] == In[i])
        consider(i - 1); // the run repeats its own byte
    const TChains& chains = run ? Runs : Plain;
    const uint32_t key = Key(i);
    int depth = MaxChain;
    for (int32_t p = chains.Head[key]; p >= 0 && depth-- > 0; p = Previous[size_t(p)]) {
        if (i - size_t(p) > MaxRelativeDistance && size_t(p) >= AbsoluteReach)
            break;
        consider(size_t(p));
        if (enough() && relative.Length >= maxRelative)
            return;
    }
    if (i <= AbsoluteReach)
        return;
    depth = MaxChain;
    for (int32_t p = chains.AbsoluteHead[key]; p >= 0 && depth-- > 0 && !enough(); p = Previous[size_t(p)])
        consider(size_t(p));
}

void TLCWEncoder::Insert(size_t i)
{
    if (StartsRun(i) && Run[i] > RunOnly)
        return; // no position that is searched starts a run this long
    TChains& chains = StartsRun(i) ? Runs : Plain;
    const uint32_t key = Key(i);
    Previous[i] = chains.Head[key];
    chains.Head[key] = int32_t(i);
    if (i < AbsoluteReach)
        chains.AbsoluteHead[key] = int32_t(i);
}

void TLCWEncoder::RelaxCopies(size_t i, const TMatch& relative, const TMatch& absolute)
{
    for (size_t len = MinCopy; len <= relative.Length; ++len)
        Relax(i, len, CostRelative, KindRelative, relative.Arg);
    const size_t mediumEnd = std::min(MaxMediumCopy, absolute.Length);
    for (size_t len = std::max(MinCopy, relative.Length + 1); len <= mediumEnd; ++len)
        Relax(i, len, CostMedium, KindAbsolute, absolute.Arg);
    if (absolute.Length > MaxMediumCopy)
        Relax(i, absolute.Length, CostLong, KindAbsolute, absolute.Arg);
}

std::vector<uint8_t> TLCWEncoder::Encode(std::span<const uint8_t> input)
{
    In = input;
    if (In.empty())
        return {0x80};
    Prepare();
    const size_t n = In.size();
    size_t searchFrom = 0; // positions covered by a long match are not searched
    for (size_t i = 0; i < n; ++i) {
        size_t start;
        uint32_t c;
        if (i > 0 && Literals.Best(i, start, c) && c + 1 < Cost[i]) {
            Cost[i] = c + 1;
            Steps[i] = {uint32_t(i - start), 0, KindLiteral};
        }
        Literals.Push(i, Cost[i]);
        if (Run[i] >= 2)
            Relax(i, Run[i], CostFill, KindFill, In[i]);
        if (i + MinCopy > n)
            continue;
        if (i >= searchFrom && Run[i] <= RunOnly) {
            TMatch relative, absolute;
            FindMatches(i, relative, absolute);
            RelaxCopies(i, relative, absolute);
            if (absolute.Length >= NiceLength)
                searchFrom = i + absolute.Length;
        }
        Insert(i);
    }
    size_t start;
    uint32_t c;
    if (Literals.Best(n, start, c) && c + 1 < Cost[n]) {
        Cost[n] = c + 1;
        Steps[n] = {uint32_t(n - start), 0, KindLiteral};
    }
    return Emit();
}

std::vector<uint8_t> TLCWEncoder::Emit() const
{
    std::vector<size_t> ends;
    for (size_t j = In.size(); j > 0; j -= Steps[j].Length)
        ends.push_back(j);
    std::vector<uint8_t> out;
    out.reserve(Cost[In.size()] + 1);
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const TStep& s = Steps[*it];
        const size_t from = *it - s.Length;
        uint8_t word[2];
        switch (s.Kind) {
        case KindLiteral:
            out.push_back(uint8_t(0x80 | s.Length));
            out.insert(out.end(), In.begin() + std::ptrdiff_t(from), In.begin() + std::ptrdiff_t(*it));
            break;
        case KindRelative:
            out.push_back(uint8_t((s.Length - MinCopy) << 4 | s.Arg >> 8));
            out.push_back(uint8_t(s.Arg));
            break;
        case KindAbsolute:
            if (s.Length <= MaxMediumCopy) {
                out.push_back(uint8_t(0xC0 + (s.Length - MinCopy)));
            } else {
                out.push_back(0xFF);
                Put16(word, s.Length);
                out.insert(out.end(), word, word + 2);
            }
            Put16(word, s.Arg);
            out.insert(out.end(), word, word + 2);
            break;
        case KindFill:
            out.push_back(0xFE);
            Put16(word, s.Length);
            out.insert(out.end(), word, word + 2);
            out.push_back(uint8_t(s.Arg));
            break;
        }
    }
    out.push_back(0x80);
    return out;
}

// ---------------------------------------------------------------------------------------------
// XOR delta (format 40)

class TXOREncoder {
public:
    std::vector<uint8_t> Encode(std::span<const uint8_t> input, const uint8_t* reference);

private:
    enum : uint8_t { KindSkipShort, KindSkipLong, KindFillShort, KindFillLong, KindLiteralShort, KindLiteralLong };
    static constexpr size_t MaxShort = 127;
    static constexpr size_t MaxSkipLong = 0x7FFF;
    static constexpr size_t MaxFillShort = 255;
    static constexpr size_t MaxLong = 0x3FFF; // long fills and literals

    void Relax(size_t from, size_t length, uint32_t extra, uint8_t kind);
    void TakeLiterals(size_t j);
    std::vector<uint8_t> Emit(size_t end) const;

    std::vector<uint8_t> Delta;
    std::vector<uint32_t> Equal; // equal delta bytes from each position on
    std::vector<uint32_t> Cost;
    std::vector<TStep> Steps;
    TLiteralWindow<MaxShort> ShortLiterals;
    TLiteralWindow<MaxLong> LongLiterals;
};

void TXOREncoder::Relax(size_t from, size_t length, uint32_t extra, uint8_t kind)
{
    const uint32_t c = Cost[from] + extra;
    if (c < Cost[from + length]) {
        Cost[from + length] = c;
        Steps[from + length] = {uint32_t(length), Delta[from], kind};
    }
}

void TXOREncoder::TakeLiterals(size_t j)
{
    size_t start;
    uint32_t c;
    if (ShortLiterals.Best(j, start, c) && c + 1 < Cost[j]) {
        Cost[j] = c + 1;
        Steps[j] = {uint32_t(j - start), 0, KindLiteralShort};
    }
    if (LongLiterals.Best(j, start, c) && c + 3 < Cost[j]) {
        Cost[j] = c + 3;
        Steps[j] = {uint32_t(j - start), 0, KindLiteralLong};
    }
}

std::vector<uint8_t> TXOREncoder::Encode(std::span<const uint8_t> input, const uint8_t* reference)
{
    size_t end = input.size();
    while (end > 0 && input[end - 1] == 0 && reference[end - 1] == 0)
        --end;
    Delta.resize(end);
    for (size_t k = 0; k < end; ++k)
        Delta[k] = input[k] ^ reference[k];
    Equal.assign(end, 1);
    for (size_t k = end; k-- > 1;)
        if (Delta[k - 1] == Delta[k])
            Equal[k - 1] = std::min<uint32_t>(Equal[k] + 1, MaxSkipLong);
    Cost.assign(end + 1, Unreached);
    Steps.assign(end + 1, TStep{});
    ShortLiterals.Reset();
    LongLiterals.Reset();
    Cost[0] = 0;
    for (size_t k = 0; k < end; ++k) {
        if (k > 0)
            TakeLiterals(k);
        ShortLiterals.Push(k, Cost[k]);
        LongLiterals.Push(k, Cost[k]);
        const size_t run = Equal[k];
        if (Delta[k] == 0) {
            Relax(k, std::min(run, MaxShort), 1, KindSkipShort);
            if (run > MaxShort)
                Relax(k, std::min(run, MaxSkipLong), 3, KindSkipLong);
        } else if (run >= 2) {
            Relax(k, std::min(run, MaxFillShort), 3, KindFillShort);
            if (run > MaxFillShort)
                Relax(k, std::min(run, MaxLong), 4, KindFillLong);
        }
    }
    if (end > 0)
        TakeLiterals(end);
    return Emit(end);
}

std::vector<uint8_t> TXOREncoder::Emit(size_t end) const
{
    std::vector<size_t> ends;
    for (size_t j = end; j > 0; j -= Steps[j].Length)
        ends.push_back(j);
    std::vector<uint8_t> out;
    out.reserve(Cost[end] + 3);
    auto word = [&out](uint32_t w) {
        out.push_back(uint8_t(w));
        out.push_back(uint8_t(w >> 8));
    };
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const TStep& s = Steps[*it];
        const size_t from = *it - s.Length;
        switch (s.Kind) {
        case KindSkipShort:
            out.push_back(uint8_t(0x80 | s.Length));
            break;
        case KindSkipLong:
            out.push_back(0x80);
            word(s.Length);
            break;
        case KindFillShort:
            out.push_back(0x00);
            out.push_back(uint8_t(s.Length));
            out.push_back(uint8_t(s.Arg));
            break;
        case KindFillLong:
            out.push_back(0x80);
            word(0xC000 | s.Length);
            out.push_back(uint8_t(s.Arg));
            break;
        case KindLiteralShort:
            out.push_back(uint8_t(s.Length));
            out.insert(out.end(), Delta.begin() + std::ptrdiff_t(from), Delta.begin() + std::ptrdiff_t(*it));
            break;
        case KindLiteralLong:
            out.push_back(0x80);
            word(0x8000 | s.Length);
            out.insert(out.end(), Delta.begin() + std::ptrdiff_t(from), Delta.begin() + std::ptrdiff_t(*it));
            break;
        }
    }
    out.push_back(0x80);
    word(0);
    return out;
}

// The size of a simple greedy XOR delta of input against reference (skips, fills of 4 or more
// equal bytes, literals otherwise); the optimal encoding is never larger. Stops counting once
// the size reaches bound.
size_t EstimateXORSize(std::span<const uint8_t> input, const uint8_t* reference, size_t bound)
{
    size_t end = input.size();
    while (end > 0 && input[end - 1] == 0 && reference[end - 1] == 0)
        --end;
    size_t size = 3; // the end command
    size_t literals = 0;
    auto flush = [&] {
        size += literals + (literals > 381 ? 3 * ((literals + 0x3FFE) / 0x3FFF) : (literals + 126) / 127);
        literals = 0;
    };
    size_t k = 0;
    while (k < end && size + literals < bound) {
        const uint8_t d = input[k] ^ reference[k];
        size_t run = 1;
        while (k + run < end && uint8_t(input[k + run] ^ reference[k + run]) == d)
            ++run;
        if (d != 0 && run < 4) {
            literals += run;
        } else if (d == 0 && run == 1 && literals > 0 && k + 1 < end) {
            ++literals; // a lone unchanged byte inside changed ones
        } else {
            flush();
            size += d == 0 ? (run <= 127 ? 1 : 3 * ((run + 0x7FFE) / 0x7FFF)) : 3 * ((run + 254) / 255);
        }
        k += run;
    }
    flush();
    return size;
}

// ---------------------------------------------------------------------------------------------
// The layout

// A frame as the whole canvas: its Data when its rectangle covers the canvas, otherwise its
// rectangle copied onto a zero canvas (a frame without Data is all index 0).
struct TPicture {
    int Frame = -1;
    const uint8_t* Pixels = nullptr;
    std::vector<uint8_t> Own;
};

TPicture FramePicture(const TSHP& s, int f)
{
    const TSHPFrame& frame = s.Frames[size_t(f)];
    TPicture picture;
    picture.Frame = f;
    if (frame.Data && frame.X == 0 && frame.Y == 0 && frame.CX == s.Width && frame.CY == s.Height) {
        picture.Pixels = frame.Data.get();
        return picture;
    }
    picture.Own.assign(size_t(s.Width) * size_t(s.Height), 0);
    if (frame.Data && frame.CX > 0)
        for (int r = 0; r < frame.CY; ++r) {
            const size_t at = size_t(frame.Y + r) * size_t(s.Width) + frame.X;
            std::memcpy(picture.Own.data() + at, frame.Data.get() + at, frame.CX);
        }
    picture.Pixels = picture.Own.data();
    return picture;
}

struct TEntry {
    uint32_t Offset = 0; // of the frame's data in the data block
    uint8_t Format = FormatLCW;
    uint32_t Reference = 0;
};

[[noreturn]] void RefuseTDSize()
{
    throw SHPError("The sprite needs 16 MiB (16777216 bytes) or more in the TD/RA1 layout, whose 24-bit "
                   "offsets cannot reach that far");
}

} // namespace

namespace writer {

void AppendTD(const TSHP& s, std::vector<uint8_t>& out)
{
    CheckStorable(s, "TD/RA1", 1);
    const int count = s.FrameCount();
    const size_t canvasSize = size_t(s.Width) * size_t(s.Height);
    const int interval = std::max(1, s.TDKeyFrameInterval);
    const size_t tableEnd = TDFileHeaderSize + TDEntrySize * (size_t(count) + 2);

    TLCWEncoder lcw;
    TXOREncoder xorEncoder;
    std::vector<TEntry> entries(static_cast<size_t>(count));
    std::vector<uint8_t> data;
    size_t largest = 0;
    int chainStart = -1;
    std::deque<TPicture> keys; // the latest key frames, newest last
    TPicture previous;
    for (int f = 0; f < count; ++f) {
        TPicture picture = FramePicture(s, f);
        const std::span<const uint8_t> pixels(picture.Pixels, canvasSize);
        TEntry& entry = entries[size_t(f)];
        std::vector<uint8_t> best = lcw.Encode(pixels);
        if (f > 0 && f - keys.back().Frame < interval) {
            // Estimate every candidate reference cheaply and encode only the most promising one.
            size_t estimate = std::numeric_limits<size_t>::max();
            const uint8_t* reference = nullptr;
            for (const TPicture& key : keys) {
                const size_t e = EstimateXORSize(pixels, key.Pixels, estimate);
                if (e < estimate) {
                    estimate = e;
                    reference = key.Pixels;
                    entry.Format = FormatXORKey;
                    entry.Reference = uint32_t(key.Frame);
                }
            }
            if (f - 1 != keys.back().Frame) {
                const size_t e = EstimateXORSize(pixels, previous.Pixels, estimate);
                if (e < estimate) {
                    estimate = e;
                    reference = previous.Pixels;
                    entry.Format = FormatXORPrevious;
                    entry.Reference = uint32_t(chainStart);
                }
            }
            std::vector<uint8_t> delta;
            if (estimate <= best.size() + best.size() / 8)
                delta = xorEncoder.Encode(pixels, reference);
            if (!delta.empty() && delta.size() < best.size())
                best = std::move(delta);
            else
                entry = TEntry{};
        }
        entry.Offset = uint32_t(data.size());
        if (tableEnd + data.size() + best.size() >= TDFileSizeLimit)
            RefuseTDSize();
        data.insert(data.end(), best.begin(), best.end());
        largest = std::max(largest, best.size());
        if (entry.Format == FormatXORKey)
            chainStart = f;
        if (entry.Format == FormatLCW) {
            if (keys.size() == KeyCandidates)
                keys.pop_front();
            keys.push_back(TPicture{f, picture.Pixels, picture.Own});
            if (!keys.back().Own.empty())
                keys.back().Pixels = keys.back().Own.data();
        }
        previous = std::move(picture);
    }

    const size_t trailer = s.SavePalette ? PaletteTrailerSize : 0;
    const size_t fileSize = tableEnd + data.size() + trailer;
    if (fileSize >= TDFileSizeLimit)
        RefuseTDSize();
    const size_t base = out.size();
    out.resize(base + tableEnd, 0);
    uint8_t* file = out.data() + base;
    Put16(file + 0, uint32_t(count));
    Put16(file + 6, uint32_t(s.Width));
    Put16(file + 8, uint32_t(s.Height));
    Put16(file + 10, largest <= 0xFFFF ? uint32_t(largest) : 0);
    for (int f = 0; f < count; ++f) {
        const TEntry& e = entries[size_t(f)];
        uint8_t* p = file + TDFileHeaderSize + TDEntrySize * size_t(f);
        Put24(p, uint32_t(tableEnd + e.Offset));
        p[3] = e.Format;
        if (e.Format == FormatXORKey) {
            Put24(p + 4, uint32_t(tableEnd + entries[e.Reference].Offset));
            p[7] = ReferenceTagXORKey;
        } else if (e.Format == FormatXORPrevious) {
            Put24(p + 4, e.Reference);
            p[7] = ReferenceTagXORPrevious;
        }
    }
    Put24(file + TDFileHeaderSize + TDEntrySize * size_t(count), uint32_t(fileSize));
    out.insert(out.end(), data.begin(), data.end());
    AppendPaletteTrailer(s, out);
}

} // namespace writer

void TSHP::WriteTD(std::vector<uint8_t>& out)
{
    AppendTD(*this, out);
    if (SavePalette)
        CustomPalette = true;
}

std::vector<uint8_t> TSHP::EncodeFormat80(std::span<const uint8_t> input)
{
    TLCWEncoder encoder;
    return encoder.Encode(input);
}

std::vector<uint8_t> TSHP::EncodeFormat40(std::span<const uint8_t> input, const uint8_t* reference)
{
    TXOREncoder encoder;
    return encoder.Encode(input, reference);
}

} // namespace vantrel
