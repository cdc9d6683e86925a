// The TD/RA1 layout writer and its two frame encoders: LCW (key frames) and XOR delta.
//
// Both encoders choose their commands by a shortest-path pass over segments of about 1 MiB of
// the canvas: it computes the cheapest command sequence that reaches every position (literal runs
// through a sliding-window minimum; copies and fills as offers that reach a range of positions,
// kept in a queue by cost; LCW matches found through bounded hash-chain searches), then reads the
// sequence back from the end. Long runs, long matches and long unchanged stretches are passed
// over whole, so LCW is close to but not always at the optimum.
//
// The writer estimates each delta frame against the previous frame and the latest key frames,
// encodes the delta against the best of them, and encodes the LCW key frame only when a quick
// greedy guess of its size leaves it a chance, and then only as far as it can still be the
// smaller. Long sprites are cut into runs of frames that are encoded on their own, on several
// threads; the cut depends on the sprite alone, so the file does not depend on the threads.
#include "SHP.h"
#include "SHPWriteShared.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <bit>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define VANTREL_TD_SSE2 1
#endif

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
// Delta frames are tried against this many of the latest key frames, fewer when the canvases
// are so large that their copies would take more than KeyMemory bytes.
constexpr size_t KeyCandidates = 48;
constexpr size_t KeyMemory = size_t(64) << 20;

constexpr uint32_t Unreached = std::numeric_limits<uint32_t>::max();

// Minimum of cost[k] - k over the last Window positions, for literal runs of up to Window bytes:
// reaching position j through a literal run from k costs cost[k] + header + (j - k).
template <size_t Window>
class TLiteralWindow {
public:
    void Reset() { Front = Back = 0; }
    void Push(size_t pos, uint32_t cost)
    {
        const int32_t value = int32_t(cost) - int32_t(pos);
        while (Back > Front && Items[(Back - 1) & Mask].Value >= value)
            --Back;
        Items[Back++ & Mask] = {uint32_t(pos), value};
    }
    // The best start for a literal run ending at j, or false when there is none in reach. Asked
    // before each Push, so that the queue never holds more than Window + 1 positions.
    bool Best(size_t j, size_t& start, uint32_t& cost)
    {
        while (Front < Back && Items[Front & Mask].Pos + Window < j)
            ++Front;
        if (Front == Back)
            return false;
        start = Items[Front & Mask].Pos;
        cost = uint32_t(Items[Front & Mask].Value + int32_t(j));
        return true;
    }

private:
    struct TItem {
        uint32_t Pos;
        int32_t Value;
    };
    static constexpr size_t Capacity = std::bit_ceil(Window + 2);
    static constexpr size_t Mask = Capacity - 1;
    std::vector<TItem> Items = std::vector<TItem>(Capacity); // a monotonic queue from Front to Back
    size_t Front = 0, Back = 0;
};

// One step of an optimal parse: the command that reaches a position from Length bytes before.
struct TStep {
    uint32_t Length = 0;
    uint32_t Arg = 0; // distance, absolute position or fill value
    uint8_t Kind = 0;
};

// Length of the common prefix of a and b, at most max bytes; the ranges may overlap.
#ifdef VANTREL_TD_SSE2
__m128i Load128(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

size_t MatchLength(const uint8_t* a, const uint8_t* b, size_t max)
{
    size_t n = 0;
#ifdef VANTREL_TD_SSE2
    for (; n + 16 <= max; n += 16)
        if (const uint32_t unequal = ~uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(Load128(a + n), Load128(b + n)))) & 0xFFFF)
            return n + size_t(std::countr_zero(unequal));
#endif
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
    if constexpr (std::endian::native == std::endian::little)
        if (n < max && max >= 8) {
            // The last eight bytes, of which those before n are known to be equal.
            uint64_t x, y;
            std::memcpy(&x, a + max - 8, 8);
            std::memcpy(&y, b + max - 8, 8);
            return x == y ? max : max - 8 + size_t(std::countr_zero(x ^ y) / 8);
        }
    while (n < max && a[n] == b[n])
        ++n;
    return n;
}

// ---------------------------------------------------------------------------------------------
// LCW (format 80)

// Offers of commands of one shortest length: the command of Kind that starts at Start reaches
// every position from Start + the shortest length to End, where the parse costs Cost. Best
// answers the cheapest offer that reaches a position, for positions asked in increasing order;
// offers are added in order of Start and become usable after the shortest length (a monotonic
// queue by cost, expired from the front).
class TOffers {
public:
    struct TOffer {
        size_t Start;
        size_t End;
        uint32_t Cost;
        uint32_t Arg;
        uint8_t Kind;
    };
    void Reset(size_t minLength)
    {
        WaitFront = WaitBack = Front = Back = 0;
        MinLength = minLength;
    }
    void Add(const TOffer& offer)
    {
        // An offer that starts no sooner, costs no less and ends no later than the last adds nothing.
        const TOffer* last = WaitBack > WaitFront ? &Waiting[(WaitBack - 1) % WaitCapacity]
                             : Back > Front       ? &Queue[Back - 1]
                                                  : nullptr;
        if (last && last->Cost <= offer.Cost && last->End >= offer.End)
            return;
        Waiting[WaitBack++ % WaitCapacity] = offer;
    }
    const TOffer* Best(size_t j)
    {
        if (WaitFront == WaitBack && Front == Back)
            return nullptr;
        while (WaitFront < WaitBack && Waiting[WaitFront % WaitCapacity].Start + MinLength <= j)
            Enqueue(Waiting[WaitFront++ % WaitCapacity]);
        while (Front < Back && Queue[Front].End < j)
            ++Front;
        return Front < Back ? &Queue[Front] : nullptr;
    }

private:
    // Offers wait at most their shortest length, one a position.
    static constexpr size_t WaitCapacity = 128;

    void Enqueue(const TOffer& offer)
    {
        if (offer.End < offer.Start + MinLength)
            return;
        // An offer that is at least as cheap and lasts as long replaces the ones before it; one
        // that is no cheaper and ends no later than the last one adds nothing.
        while (Back > Front && Queue[Back - 1].Cost >= offer.Cost && Queue[Back - 1].End <= offer.End)
            --Back;
        if (Back > Front && Queue[Back - 1].Cost <= offer.Cost && Queue[Back - 1].End >= offer.End)
            return;
        if (Back == Queue.size())
            Queue.resize(2 * Back + 64);
        Queue[Back++] = offer;
    }
    std::array<TOffer, WaitCapacity> Waiting;
    std::vector<TOffer> Queue; // a queue by cost from Front to Back
    size_t WaitFront = 0, WaitBack = 0, Front = 0, Back = 0, MinLength = 0;
};

class TLCWEncoder {
public:
    // The encoding, or an empty vector as soon as it is certain to be longer than bound bytes.
    std::vector<uint8_t> Encode(std::span<const uint8_t> input, size_t bound = std::numeric_limits<size_t>::max());

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
    // without looking further, and the run length beyond which a position inside a run is only
    // filled (the parse jumps over such positions).
    static constexpr int MaxChain = 16;
    static constexpr size_t NiceLength = 64;
    static constexpr size_t RunOnly = 80;
    // A match of at least TakeWhole bytes is taken without weighing the positions it covers but
    // its last TakeWholeTail.
    static constexpr size_t TakeWhole = 44;
    static constexpr size_t TakeWholeTail = 2;
    static constexpr int MinHashBits = 10;
    static constexpr int MaxHashBits = 16;
    // The parse works on segments of this many positions, so that its memory does not grow
    // with the canvas; no command crosses a segment's end (a whole number of longest fills).
    static constexpr size_t SegmentSize = 16 * MaxLong;
    // The last positions kept in the hash chains beyond the first AbsoluteReach ones: relative
    // copies reach no further back.
    static constexpr size_t RecentWindow = 4096;

    struct TMatch {
        size_t Length = 0;
        uint32_t Arg = 0;
    };
    // Hash chains: the latest position of each key, and the latest below AbsoluteReach (their
    // Previous links stay below it). A position that starts a run of MinCopy or more equal
    // bytes is keyed by its byte and its run length (only such a run matches it in full and
    // goes on), every other position by its first three bytes.
    struct TChains {
        std::vector<uint32_t> Head, AbsoluteHead;
    };

    void Prepare();
    size_t RunAt(size_t i);
    void FindMatches(size_t i, TMatch& relative, TMatch& absolute);
    void Insert(size_t i);
    uint32_t& PreviousOf(size_t p) { return p < AbsoluteReach ? Previous[p] : Recent[p % RecentWindow]; }
    // The chains hold positions of the current input as Base + 1 + position, so that the tables
    // need no clearing between frames: a value not above Base is no position.
    int64_t PositionOf(uint32_t stamp) const { return int64_t(stamp) - int64_t(Base) - 1; }
    uint32_t StampOf(size_t p) const { return Base + 1 + uint32_t(p); }
    bool ParseSegment(size_t begin, size_t end, size_t bound);
    void EmitSegment(size_t begin, size_t end);
    uint32_t Key(size_t i, size_t run) const
    {
        const uint8_t* p = In.data() + i;
        const uint32_t v = run >= MinCopy ? uint32_t(p[0]) | uint32_t(run) << 8
                                          : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        return (v * 2654435761u) >> (32 - HashBits);
    }

    std::span<const uint8_t> In;
    std::vector<uint8_t> Out;
    int HashBits = MinHashBits; // about the input size
    size_t RunEnd = 0;          // where the run of equal bytes that holds the last position asked ends
    std::vector<TStep> Steps;
    TChains Plain, Runs;
    std::vector<uint32_t> Previous, Recent;
    uint32_t Base = 0;
    size_t LastSize = 0;
    TMatch CarriedRelative, CarriedAbsolute; // the matches of the position before, one byte on
    TLiteralWindow<MaxLiteral> Literals;
    TOffers Offers, LongOffers; // copies of up to MaxMediumCopy bytes and fills; longer copies
};

void TLCWEncoder::Prepare()
{
    const size_t n = In.size();
    const int bits = std::clamp(int(std::bit_width(n)), MinHashBits, MaxHashBits);
    const uint64_t next = uint64_t(Base) + LastSize + 1;
    if (bits != HashBits || Plain.Head.empty() || next + n + 1 > std::numeric_limits<uint32_t>::max()) {
        HashBits = bits;
        for (TChains* chains : {&Plain, &Runs}) {
            chains->Head.assign(size_t(1) << HashBits, 0);
            chains->AbsoluteHead.assign(size_t(1) << HashBits, 0);
        }
        Base = 0;
    } else {
        Base = uint32_t(next);
    }
    LastSize = n;
    if (Previous.size() < std::min(n, AbsoluteReach))
        Previous.resize(std::min(n, AbsoluteReach));
    if (n > AbsoluteReach)
        Recent.resize(RecentWindow);
    RunEnd = 0;
    Out.clear();
}

// Equal bytes from position i on, at most MaxLong.
size_t TLCWEncoder::RunAt(size_t i)
{
    if (i >= RunEnd)
        RunEnd = i + 1 + MatchLength(In.data() + i, In.data() + i + 1, In.size() - i - 1);
    return std::min(RunEnd - i, MaxLong);
}

void TLCWEncoder::FindMatches(size_t i, TMatch& relative, TMatch& absolute)
{
    const uint8_t* cur = In.data() + i;
    const size_t maxAbsolute = std::min(MaxLong, In.size() - i);
    const size_t maxRelative = std::min(MaxRelativeCopy, maxAbsolute);
    auto consider = [&](size_t p, bool isAbsolute) {
        const uint8_t* src = In.data() + p;
        const bool isRelative = i - p <= MaxRelativeDistance;
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
    // The matches of the position before go on one byte shorter.
    if (CarriedRelative.Length > MinCopy) {
        const size_t p = i - CarriedRelative.Arg;
        const size_t length = CarriedRelative.Length == MaxRelativeCopy ? MatchLength(In.data() + p, cur, maxRelative)
                                                                       : CarriedRelative.Length - 1;
        relative = {length, CarriedRelative.Arg};
    }
    if (CarriedAbsolute.Length > MinCopy && CarriedAbsolute.Arg + 1 < AbsoluteReach)
        absolute = {CarriedAbsolute.Length - 1, CarriedAbsolute.Arg + 1};
    auto enough = [&] { return absolute.Length >= std::min(NiceLength, maxAbsolute); };
    if (enough())
        return; // inside a long match: no search

    const size_t run = RunAt(i);
    if (run >= MinCopy && i > 0 && In[i - 1] == In[i])
        consider(i - 1, i - 1 < AbsoluteReach); // the run repeats its own byte
    const TChains& chains = run >= MinCopy ? Runs : Plain;
    const uint32_t key = Key(i, run);
    int depth = MaxChain;
    if (i < AbsoluteReach) {
        // Every position of the chain is in reach of absolute copies.
        for (int64_t p = PositionOf(chains.Head[key]); p >= 0 && depth-- > 0; p = PositionOf(Previous[size_t(p)])) {
            consider(size_t(p), true);
            if (enough() && relative.Length >= maxRelative)
                return;
        }
        return;
    }
    for (int64_t p = PositionOf(chains.Head[key]); p >= 0 && depth-- > 0; p = PositionOf(PreviousOf(size_t(p)))) {
        if (i - size_t(p) > MaxRelativeDistance && size_t(p) >= AbsoluteReach)
            break;
        consider(size_t(p), size_t(p) < AbsoluteReach);
        if (enough() && relative.Length >= maxRelative)
            return;
    }
    if (i == AbsoluteReach)
        return;
    depth = MaxChain;
    for (int64_t p = PositionOf(chains.AbsoluteHead[key]); p >= 0 && depth-- > 0 && !enough(); p = PositionOf(Previous[size_t(p)]))
        consider(size_t(p), true);
}

void TLCWEncoder::Insert(size_t i)
{
    const size_t run = RunAt(i);
    if (run > RunOnly)
        return; // no position that is searched starts a run this long
    TChains& chains = run >= MinCopy ? Runs : Plain;
    const uint32_t key = Key(i, run);
    PreviousOf(i) = chains.Head[key];
    chains.Head[key] = StampOf(i);
    if (i < AbsoluteReach)
        chains.AbsoluteHead[key] = StampOf(i);
}

// The cheapest parse of positions begin to end (the costs from begin); false as soon as the
// encoding is certain to be longer than bound.
bool TLCWEncoder::ParseSegment(size_t begin, size_t end, size_t bound)
{
    const size_t n = end - begin;
    Steps.resize(n + 1);
    Literals.Reset();
    Offers.Reset(MinCopy); // a fill of 2 bytes costs more than their literal
    LongOffers.Reset(MaxMediumCopy + 1);
    CarriedRelative = CarriedAbsolute = {};
    for (size_t j = 0; j <= n; ++j) {
        const size_t i = begin + j;
        uint32_t cost = j == 0 ? 0 : Unreached; // of the cheapest way to reach i
        auto take = [&](const TOffers::TOffer* offer) {
            if (offer && offer->Cost < cost) {
                cost = offer->Cost;
                Steps[j] = {uint32_t(i - offer->Start), offer->Arg, offer->Kind};
            }
        };
        take(Offers.Best(i));
        take(LongOffers.Best(i));
        size_t start;
        uint32_t c;
        if (j > 0 && Literals.Best(j, start, c) && c + 1 < cost) {
            cost = c + 1;
            Steps[j] = {uint32_t(j - start), 0, KindLiteral};
        }
        // The whole encoding costs at least what any of its prefixes costs, less one byte, plus the
        // end command.
        if (Out.size() + cost > bound)
            return false;
        if (j == n)
            break;
        Literals.Push(j, cost);
        const size_t run = RunAt(i);
        if (i + MinCopy > In.size()) {
            CarriedRelative = CarriedAbsolute = {};
            continue;
        }
        if (run > RunOnly + MaxMediumCopy) {
            // Inside a long run only the fill goes on: go to where the run's last RunOnly
            // positions begin, with no literal reaching over the jump.
            const size_t to = std::min(i + run - RunOnly, end);
            Offers.Add({i, std::min(i + run, end), cost + CostFill, In[i], KindFill});
            Literals.Reset();
            CarriedRelative = CarriedAbsolute = {};
            j = to - begin - 1;
            continue;
        }
        TMatch relative, absolute;
        if (run <= RunOnly)
            FindMatches(i, relative, absolute);
        // In order of cost, so that each adds only what the cheaper ones do not reach.
        if (relative.Length >= MinCopy)
            Offers.Add({i, std::min(i + relative.Length, end), cost + CostRelative, relative.Arg, KindRelative});
        if (absolute.Length >= MinCopy)
            Offers.Add({i, std::min(i + std::min(absolute.Length, MaxMediumCopy), end), cost + CostMedium,
                        absolute.Arg, KindAbsolute});
        if (run >= MinCopy)
            Offers.Add({i, std::min(i + run, end), cost + CostFill, In[i], KindFill});
        if (absolute.Length > MaxMediumCopy)
            LongOffers.Add({i, std::min(i + absolute.Length, end), cost + CostLong, absolute.Arg, KindAbsolute});
        CarriedRelative = relative;
        CarriedAbsolute = absolute;
        Insert(i);
        if (absolute.Length >= TakeWhole) {
            // A match this long is taken as it is: the positions it covers, but the last few,
            // are only entered in the chains.
            const size_t to = std::min(i + absolute.Length - TakeWholeTail, end);
            for (size_t k = i + 1; k < to && k + MinCopy <= In.size(); ++k)
                Insert(k);
            Literals.Reset();
            CarriedRelative = {};
            CarriedAbsolute = {absolute.Length - (to - i) + 1, uint32_t(absolute.Arg + (to - i) - 1)};
            j = to - begin - 1;
        }
    }
    return true;
}

void TLCWEncoder::EmitSegment(size_t begin, size_t end)
{
    std::vector<size_t> ends;
    for (size_t j = end - begin; j > 0; j -= Steps[j].Length)
        ends.push_back(j);
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const TStep& s = Steps[*it];
        const size_t to = begin + *it, from = to - s.Length;
        uint8_t word[2];
        switch (s.Kind) {
        case KindLiteral:
            Out.push_back(uint8_t(0x80 | s.Length));
            Out.insert(Out.end(), In.begin() + std::ptrdiff_t(from), In.begin() + std::ptrdiff_t(to));
            break;
        case KindRelative:
            Out.push_back(uint8_t((s.Length - MinCopy) << 4 | s.Arg >> 8));
            Out.push_back(uint8_t(s.Arg));
            break;
        case KindAbsolute:
            if (s.Length <= MaxMediumCopy) {
                Out.push_back(uint8_t(0xC0 + (s.Length - MinCopy)));
            } else {
                Out.push_back(0xFF);
                Put16(word, s.Length);
                Out.insert(Out.end(), word, word + 2);
            }
            Put16(word, s.Arg);
            Out.insert(Out.end(), word, word + 2);
            break;
        case KindFill:
            Out.push_back(0xFE);
            Put16(word, s.Length);
            Out.insert(Out.end(), word, word + 2);
            Out.push_back(uint8_t(s.Arg));
            break;
        }
    }
}

std::vector<uint8_t> TLCWEncoder::Encode(std::span<const uint8_t> input, size_t bound)
{
    In = input;
    Prepare();
    for (size_t begin = 0; begin < In.size(); begin += SegmentSize) {
        const size_t end = std::min(In.size(), begin + SegmentSize);
        if (!ParseSegment(begin, end, bound))
            return {};
        EmitSegment(begin, end);
    }
    Out.push_back(0x80);
    if (Out.size() > bound)
        return {};
    return std::move(Out);
}


// The size of a quick greedy LCW encoding, for deciding whether the real one is worth trying:
// fills of runs of four or more, otherwise the match at the last position with the same first
// three bytes when it has three or more, otherwise a literal. It comes out about an eighth
// larger than the real one, rarely more than half larger.
class TLCWSizeGuess {
public:
    size_t Of(std::span<const uint8_t> in);

private:
    static constexpr int HashBits = 12;
    std::vector<uint32_t> Last; // per hash of three bytes: Base + 1 + the latest position
    uint32_t Base = 0;
};

size_t TLCWSizeGuess::Of(std::span<const uint8_t> in)
{
    const size_t n = in.size();
    if (Last.empty() || uint64_t(Base) + n + 1 > std::numeric_limits<uint32_t>::max()) {
        Last.assign(size_t(1) << HashBits, 0);
        Base = 0;
    }
    const uint32_t base = Base;
    Base += uint32_t(n) + 1;
    size_t size = 1, literals = 0, i = 0;
    auto flush = [&] {
        size += literals + (literals + 62) / 63;
        literals = 0;
    };
    while (i + 2 < n) {
        const uint8_t* p = in.data() + i;
        const size_t run = 1 + MatchLength(p, p + 1, std::min<size_t>(n - i - 1, 65534));
        if (run >= 4) {
            flush();
            size += 4;
            i += run;
            continue;
        }
        uint32_t& slot = Last[((uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16) * 2654435761u) >> (32 - HashBits)];
        const size_t from = slot > base ? slot - base - 1 : i;
        slot = base + 1 + uint32_t(i);
        size_t length = from < i ? MatchLength(in.data() + from, p, std::min<size_t>(n - i, 65535)) : 0;
        if (from >= 65536) // out of reach of absolute copies
            length = i - from <= 4095 ? std::min<size_t>(length, 10) : 0;
        if (length < 3) {
            ++literals;
            ++i;
            continue;
        }
        flush();
        size += i - from <= 4095 && length <= 10 ? 2 : length <= 64 ? 3 : 5;
        i += length;
    }
    literals += n - std::min(i, n);
    flush();
    return size;
}

// ---------------------------------------------------------------------------------------------
// Two canvases compared

constexpr uint64_t HighBits = 0x8080808080808080ull;

uint64_t Load64(const uint8_t* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The high bit of each byte of w that is 0.
uint64_t ZeroBytes(uint64_t w)
{
    return ~(((w & ~HighBits) + ~HighBits) | w) & HighBits;
}

// A frame's canvas and the canvas its XOR delta is taken against, rows of Width bytes. Both hold
// only 0 before Start, from End on and outside the columns Left to Right, so that comparing them
// jumps over what lies there.
struct TCanvasPair {
    const uint8_t* In = nullptr;
    const uint8_t* Reference = nullptr;
    size_t Width = 0;
    size_t Left = 0, Right = 0; // columns [Left, Right)
    size_t Start = 0, End = 0;

    uint8_t Delta(size_t k) const { return In[k] ^ Reference[k]; }
    // The first position from k on where the canvases differ, or End.
    size_t NextDifference(size_t k) const
    {
        k = std::max(k, Start);
        if (Left == 0 && Right == Width)
            return k < End ? k + MatchLength(In + k, Reference + k, End - k) : End;
        return NextDifferenceByRows(k);
    }
    size_t NextDifferenceByRows(size_t k) const;
    // The first position from k on, below stop, where the canvases are equal, or stop.
    size_t NextEqual(size_t k, size_t stop) const;
};

size_t TCanvasPair::NextDifferenceByRows(size_t k) const
{
    for (size_t rowStart = k - k % Width; rowStart < End; rowStart += Width) {
        const size_t from = std::max(k, rowStart + Left), stop = std::min(rowStart + Right, End);
        if (from < stop) {
            const size_t same = from + MatchLength(In + from, Reference + from, stop - from);
            if (same < stop)
                return same;
        }
    }
    return End;
}

size_t TCanvasPair::NextEqual(size_t k, size_t stop) const
{
    if constexpr (std::endian::native == std::endian::little)
        for (; k + 8 <= stop; k += 8)
            if (const uint64_t zero = ZeroBytes(Load64(In + k) ^ Load64(Reference + k)))
                return k + size_t(std::countr_zero(zero) / 8);
    while (k < stop && Delta(k) != 0)
        ++k;
    return k;
}

// ---------------------------------------------------------------------------------------------
// XOR delta (format 40)

// The parse works on islands: stretches between unchanged runs of SkipWhole bytes or more, which
// are skipped whole (no literal gains by reaching into them). Each island is parsed on its own.
class TXOREncoder {
public:
    std::vector<uint8_t> Encode(const TCanvasPair& pair);

private:
    enum : uint8_t { KindSkipShort, KindSkipLong, KindFillShort, KindFillLong, KindLiteralShort, KindLiteralLong };
    static constexpr size_t MaxShort = 127;
    static constexpr size_t MaxSkipLong = 0x7FFF;
    static constexpr size_t MaxFillShort = 255;
    static constexpr size_t MaxLong = 0x3FFF; // long fills and literals
    static constexpr size_t SkipWhole = 16;
    // No command crosses the end of a segment of this many positions.
    static constexpr size_t SegmentSize = size_t(1) << 20;

    size_t IslandEnd(size_t k, size_t stop) const;
    void Relax(size_t from, size_t length, uint32_t extra, uint8_t kind);
    void TakeLiterals(size_t j);
    void ParseIsland(size_t begin, size_t end);
    void EmitIsland(size_t n);
    void EmitSkips(size_t length);
    void Word(uint32_t w)
    {
        Out.push_back(uint8_t(w));
        Out.push_back(uint8_t(w >> 8));
    }

    const TCanvasPair* Pair = nullptr;
    std::vector<uint8_t> Out;
    std::vector<uint8_t> Delta;  // of the island
    std::vector<uint32_t> Equal; // equal delta bytes from each position of the island on
    std::vector<uint32_t> Cost;
    std::vector<TStep> Steps;
    std::vector<size_t> Ends;
    TLiteralWindow<MaxShort> ShortLiterals;
    TLiteralWindow<MaxLong> LongLiterals;
};

// Where the first unchanged run of SkipWhole bytes or more after k begins, or stop.
size_t TXOREncoder::IslandEnd(size_t k, size_t stop) const
{
    const TCanvasPair& p = *Pair;
    k = p.NextEqual(k + (p.Delta(k) == 0 ? p.NextDifference(k) - k : 1), stop);
    while (k < stop) {
        const size_t changed = std::min(p.NextDifference(k), stop);
        if (changed - k >= SkipWhole)
            return k;
        k = p.NextEqual(changed, stop);
    }
    return stop;
}

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

void TXOREncoder::ParseIsland(size_t begin, size_t end)
{
    const size_t n = end - begin;
    Delta.resize(n);
    for (size_t k = 0; k < n; ++k)
        Delta[k] = Pair->Delta(begin + k);
    Equal.resize(n);
    Equal[n - 1] = 1;
    for (size_t k = n - 1; k-- > 0;)
        Equal[k] = Delta[k] == Delta[k + 1] ? std::min<uint32_t>(Equal[k + 1] + 1, MaxSkipLong) : 1;
    Cost.assign(n + 1, Unreached);
    Steps.resize(n + 1);
    ShortLiterals.Reset();
    LongLiterals.Reset();
    Cost[0] = 0;
    for (size_t k = 0; k < n; ++k) {
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
    TakeLiterals(n);
}

void TXOREncoder::EmitIsland(size_t n)
{
    Ends.clear();
    for (size_t j = n; j > 0; j -= Steps[j].Length)
        Ends.push_back(j);
    for (auto it = Ends.rbegin(); it != Ends.rend(); ++it) {
        const TStep& s = Steps[*it];
        const size_t from = *it - s.Length;
        switch (s.Kind) {
        case KindSkipShort:
            Out.push_back(uint8_t(0x80 | s.Length));
            break;
        case KindSkipLong:
            Out.push_back(0x80);
            Word(s.Length);
            break;
        case KindFillShort:
            Out.push_back(0x00);
            Out.push_back(uint8_t(s.Length));
            Out.push_back(uint8_t(s.Arg));
            break;
        case KindFillLong:
            Out.push_back(0x80);
            Word(0xC000 | s.Length);
            Out.push_back(uint8_t(s.Arg));
            break;
        case KindLiteralShort:
            Out.push_back(uint8_t(s.Length));
            Out.insert(Out.end(), Delta.begin() + std::ptrdiff_t(from), Delta.begin() + std::ptrdiff_t(*it));
            break;
        case KindLiteralLong:
            Out.push_back(0x80);
            Word(0x8000 | s.Length);
            Out.insert(Out.end(), Delta.begin() + std::ptrdiff_t(from), Delta.begin() + std::ptrdiff_t(*it));
            break;
        }
    }
}

// An unchanged run skipped whole: one command up to MaxShort bytes, two up to twice that, else
// a long skip.
void TXOREncoder::EmitSkips(size_t length)
{
    if (length > 2 * MaxShort) {
        Out.push_back(0x80);
        Word(uint32_t(length));
    } else if (length > MaxShort) {
        Out.push_back(uint8_t(0x80 | MaxShort));
        Out.push_back(uint8_t(0x80 | (length - MaxShort)));
    } else {
        Out.push_back(uint8_t(0x80 | length));
    }
}

std::vector<uint8_t> TXOREncoder::Encode(const TCanvasPair& pair)
{
    Pair = &pair;
    Out.clear();
    for (size_t begin = 0; begin < pair.End; begin += SegmentSize) {
        const size_t stop = std::min(pair.End, begin + SegmentSize);
        for (size_t k = begin; k < stop;) {
            const size_t unchanged = std::min(pair.NextDifference(k), stop) - k;
            if (unchanged >= SkipWhole) {
                const size_t length = std::min(unchanged, MaxSkipLong);
                EmitSkips(length);
                k += length;
                continue;
            }
            const size_t end = IslandEnd(k, stop);
            ParseIsland(k, end);
            EmitIsland(end - k);
            k = end;
        }
    }
    Out.push_back(0x80);
    Out.push_back(0);
    Out.push_back(0);
    return std::move(Out);
}

// The length of input and reference up to the last position where either is not 0.
size_t DeltaEnd(std::span<const uint8_t> input, const uint8_t* reference)
{
    size_t end = input.size();
    for (; end >= 8; end -= 8)
        if ((Load64(input.data() + end - 8) | Load64(reference + end - 8)) != 0)
            break;
    while (end > 0 && input[end - 1] == 0 && reference[end - 1] == 0)
        --end;
    return end;
}

// Bit i of Alike: the delta bytes at i and i + 1 are equal; bit i of Zero: the delta byte at i is 0.
struct TDeltaMasks {
    uint32_t Alike = 0, Zero = 0;
};
constexpr size_t MaskBytes = 32;

// The masks of the MaskBytes delta bytes from k on. Needs k + MaskBytes + 1 <= End.
TDeltaMasks DeltaMasks(const TCanvasPair& pair, size_t k)
{
    TDeltaMasks m;
#ifdef VANTREL_TD_SSE2
    for (size_t half = 0; half < MaskBytes; half += 16) {
        const size_t at = k + half;
        const __m128i x = _mm_xor_si128(Load128(pair.In + at), Load128(pair.Reference + at));
        const __m128i next = _mm_xor_si128(Load128(pair.In + at + 1), Load128(pair.Reference + at + 1));
        m.Alike |= uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(x, next))) << half;
        m.Zero |= uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_setzero_si128()))) << half;
    }
#else
    for (size_t i = 0; i < MaskBytes; ++i) {
        m.Alike |= uint32_t(pair.Delta(k + i) == pair.Delta(k + i + 1)) << i;
        m.Zero |= uint32_t(pair.Delta(k + i) == 0) << i;
    }
#endif
    return m;
}

// How many of the delta bytes the masks describe the estimate below takes as literals in one go,
// after literals (or none) were taken: up to the first run of four alike bytes, of two 0 bytes,
// or a 0 byte first with no literals before it, and never into a run that may go on past them.
size_t LiteralStretch(const TDeltaMasks& m, bool afterLiterals)
{
    const uint32_t stops = (m.Alike & m.Alike >> 1 & m.Alike >> 2) | (m.Zero & m.Zero >> 1) | (afterLiterals ? 0 : m.Zero & 1);
    if (stops != 0)
        return size_t(std::countr_zero(stops)); // each such run starts after one that ends
    return size_t(std::bit_width(~m.Alike));    // up to where the last run starts
}

// The size of a simple greedy XOR delta (skips, fills of 4 or more equal bytes, literals
// otherwise); the optimal encoding is never larger. Stops counting once the size reaches bound.
size_t EstimateXORSize(const TCanvasPair& pair, size_t bound)
{
    const size_t end = pair.End;
    size_t size = 3; // the end command
    size_t literals = 0;
    auto flush = [&] {
        size += literals + (literals > 381 ? 3 * ((literals + 0x3FFE) / 0x3FFF) : (literals + 126) / 127);
        literals = 0;
    };
    size_t k = 0;
    while (k < end && size + literals < bound) {
        size_t run = 0; // of equal delta bytes from k on, 0 while unknown
        if (k + MaskBytes + 1 <= end) {
            const TDeltaMasks m = DeltaMasks(pair, k);
            const size_t n = LiteralStretch(m, literals > 0);
            literals += n;
            k += n;
            // The run that stopped the literals, when it ends inside the masks.
            const size_t alike = n < MaskBytes ? size_t(std::countr_one(m.Alike >> n)) : MaskBytes;
            if (n + alike < MaskBytes)
                run = alike + 1;
            else if (n > 0)
                continue;
        }
        const uint8_t d = pair.Delta(k);
        if (run == 0) {
            run = 1;
            if (d == 0)
                run = pair.NextDifference(k) - k;
            else
                while (k + run < end && pair.Delta(k + run) == d)
                    ++run;
        }
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

bool AllZero(const uint8_t* p, size_t n)
{
    uint64_t any = 0;
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t w;
        std::memcpy(&w, p + k, 8);
        any |= w;
    }
    for (; k < n; ++k)
        any |= p[k];
    return any == 0;
}

// Whether a frame's canvas holds only index 0 outside its rectangle.
bool ZeroOutsideRectangle(const TSHP& s, const TSHPFrame& frame)
{
    const size_t width = size_t(s.Width);
    const uint8_t* d = frame.Data.get();
    if (frame.CX == 0 || frame.CY == 0)
        return AllZero(d, width * size_t(s.Height));
    if (!AllZero(d, width * frame.Y))
        return false;
    for (size_t r = frame.Y; r < size_t(frame.Y) + frame.CY; ++r)
        if (!AllZero(d + r * width, frame.X) || !AllZero(d + r * width + frame.X + frame.CX, width - frame.X - frame.CX))
            return false;
    const size_t below = size_t(frame.Y) + frame.CY;
    return AllZero(d + below * width, width * (size_t(s.Height) - below));
}

// A frame as the whole canvas: its Data when that holds nothing outside its rectangle (so it is
// in most sprites), otherwise its rectangle copied onto a zero canvas (a frame without Data is all
// index 0), and where its content lies. Pictures share their copies.
struct TPicture {
    int Frame = -1;
    const uint8_t* Pixels = nullptr;
    std::shared_ptr<const std::vector<uint8_t>> Own;
    // The columns Left to Right hold every pixel that is not 0, the first at Start, the last
    // before End; End is 0 when there is none.
    size_t Left = 0, Right = 0, Start = 0, End = 0;
    size_t Encoded = 0; // bytes of its LCW encoding, for a key frame
};

size_t FirstNonZero(const uint8_t* p, size_t n)
{
    size_t k = 0;
    while (k + 8 <= n && Load64(p + k) == 0)
        k += 8;
    while (k < n && p[k] == 0)
        ++k;
    return k;
}

// One past the last byte that is not 0, or 0.
size_t NonZeroEnd(const uint8_t* p, size_t n)
{
    while (n >= 8 && Load64(p + n - 8) == 0)
        n -= 8;
    while (n > 0 && p[n - 1] == 0)
        --n;
    return n;
}

void FindContent(TPicture& picture, const TSHPFrame& frame, size_t width)
{
    for (size_t r = frame.Y; r < size_t(frame.Y) + frame.CY; ++r) {
        const size_t rowStart = r * width + frame.X;
        const uint8_t* row = picture.Pixels + rowStart;
        const size_t first = FirstNonZero(row, frame.CX);
        if (first == frame.CX)
            continue;
        const size_t last = NonZeroEnd(row, frame.CX);
        if (picture.End == 0) {
            picture.Start = rowStart + first;
            picture.Left = frame.X + first;
            picture.Right = frame.X + last;
        }
        picture.Left = std::min(picture.Left, frame.X + first);
        picture.Right = std::max(picture.Right, frame.X + last);
        picture.End = rowStart + last;
    }
}

class TPictures {
public:
    explicit TPictures(const TSHP& s) : Sprite(s) {}
    TPicture Of(int f);

private:
    const TSHP& Sprite;
    std::shared_ptr<const std::vector<uint8_t>> Zero; // for the frames without pixels
};

TPicture TPictures::Of(int f)
{
    const TSHPFrame& frame = Sprite.Frames[size_t(f)];
    const size_t width = size_t(Sprite.Width), size = width * size_t(Sprite.Height);
    TPicture picture;
    picture.Frame = f;
    if (frame.Data && ZeroOutsideRectangle(Sprite, frame)) {
        picture.Pixels = frame.Data.get();
    } else if (!frame.Data || frame.CX == 0 || frame.CY == 0) {
        if (!Zero)
            Zero = std::make_shared<std::vector<uint8_t>>(size, 0);
        picture.Own = Zero;
        picture.Pixels = Zero->data();
        return picture;
    } else {
        auto own = std::make_shared<std::vector<uint8_t>>(size, 0);
        for (int r = 0; r < frame.CY; ++r) {
            const size_t at = size_t(frame.Y + r) * width + frame.X;
            std::memcpy(own->data() + at, frame.Data.get() + at, frame.CX);
        }
        picture.Pixels = own->data();
        picture.Own = std::move(own);
    }
    FindContent(picture, frame, width);
    return picture;
}

// Columns this many or more beside both pictures' content are jumped over row by row.
constexpr size_t MarginJump = 32;

TCanvasPair PairOf(const TPicture& in, const TPicture& reference, size_t width)
{
    TCanvasPair pair{in.Pixels, reference.Pixels, width};
    bool any = false;
    for (const TPicture* p : {&in, &reference}) {
        if (p->End == 0)
            continue;
        pair.Left = any ? std::min(pair.Left, p->Left) : p->Left;
        pair.Right = any ? std::max(pair.Right, p->Right) : p->Right;
        pair.Start = any ? std::min(pair.Start, p->Start) : p->Start;
        pair.End = any ? std::max(pair.End, p->End) : p->End;
        any = true;
    }
    if (pair.Left + (width - pair.Right) < MarginJump)
        pair.Left = 0, pair.Right = width;
    return pair;
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

// Frames first to last - 1 encoded on their own: the first is a key frame, deltas refer only to
// frames of the same run. Entries name frames by their index in the sprite and hold offsets in
// the run's data.
struct TFrameRun {
    int First = 0, Last = 0;
    std::vector<TEntry> Entries;
    std::vector<uint8_t> Data;
    size_t Largest = 0;
};

void EncodeFrameRun(const TSHP& s, TFrameRun& run)
{
    const size_t canvasSize = size_t(s.Width) * size_t(s.Height);
    const int interval = std::max(1, s.TDKeyFrameInterval);
    const size_t keyLimit = std::clamp<size_t>(KeyMemory / std::max<size_t>(canvasSize, 1), 1, KeyCandidates);
    TLCWEncoder lcw;
    TLCWSizeGuess lcwGuess;
    TXOREncoder xorEncoder;
    TPictures pictures(s);
    const size_t width = size_t(s.Width);
    run.Entries.assign(size_t(run.Last - run.First), TEntry{});
    std::vector<uint8_t>& data = run.Data;
    int chainStart = -1;
    std::deque<TPicture> keys; // the latest key frames, newest last
    TPicture previous;
    for (int f = run.First; f < run.Last; ++f) {
        TPicture picture = pictures.Of(f);
        const std::span<const uint8_t> pixels(picture.Pixels, canvasSize);
        TEntry& entry = run.Entries[size_t(f - run.First)];
        std::vector<uint8_t> best;
        if (f > run.First && f - keys.back().Frame < interval) {
            // Estimate every candidate reference cheaply and encode the delta against the most
            // promising one; the key frame is encoded only as far as it can still be smaller.
            size_t estimate = std::numeric_limits<size_t>::max();
            const TPicture* reference = nullptr;
            size_t keyEncoded = keys.back().Encoded;
            // The likeliest references first, so that the others' estimates stop early.
            if (f - 1 != keys.back().Frame) {
                estimate = EstimateXORSize(PairOf(picture, previous, width), estimate);
                reference = &previous;
                entry.Format = FormatXORPrevious;
                entry.Reference = uint32_t(chainStart);
            }
            for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
                const size_t e = EstimateXORSize(PairOf(picture, *key, width), estimate);
                if (e < estimate) {
                    estimate = e;
                    reference = &*key;
                    keyEncoded = key->Encoded;
                    entry.Format = FormatXORKey;
                    entry.Reference = uint32_t(key->Frame);
                }
            }
            best = xorEncoder.Encode(PairOf(picture, *reference, width));
            // A delta well below the reference's own key frame, or well below the key frame's
            // quick guess, is not beaten by the key frame.
            std::vector<uint8_t> key;
            if (5 * best.size() >= 4 * keyEncoded && 20 * best.size() >= 17 * lcwGuess.Of(pixels))
                key = lcw.Encode(pixels, best.size());
            if (!key.empty()) {
                best = std::move(key);
                entry = TEntry{};
            }
        } else {
            best = lcw.Encode(pixels);
        }
        entry.Offset = uint32_t(data.size());
        if (TDFileHeaderSize + data.size() + best.size() >= TDFileSizeLimit)
            RefuseTDSize(); // the run alone is too large already
        data.insert(data.end(), best.begin(), best.end());
        run.Largest = std::max(run.Largest, best.size());
        if (entry.Format == FormatXORKey)
            chainStart = f;
        if (entry.Format == FormatLCW) {
            if (keys.size() >= keyLimit)
                keys.pop_front();
            keys.push_back(picture);
            keys.back().Encoded = best.size();
        }
        previous = std::move(picture);
    }
}

// A sprite's frames in runs of MinFramesPerRun or more frames, as many as hold RunCanvasBytes of
// canvas: the runs are encoded on their own (on several threads), each starting with a key
// frame, so that a sprite's encoding is the same whatever the number of threads.
constexpr int MinFramesPerRun = 256;
constexpr size_t RunCanvasBytes = size_t(4) << 20;

std::vector<TFrameRun> FrameRuns(const TSHP& s)
{
    const size_t canvasSize = std::max<size_t>(size_t(s.Width) * size_t(s.Height), 1);
    const int perRun = int(std::max<size_t>(MinFramesPerRun, RunCanvasBytes / canvasSize));
    std::vector<TFrameRun> runs;
    for (int first = 0; first < s.FrameCount(); first += perRun) {
        runs.emplace_back();
        runs.back().First = first;
        runs.back().Last = first + std::min(perRun, s.FrameCount() - first);
    }
    return runs;
}

// Encodes every run, on up to threads threads (the calling one among them).
void EncodeFrameRuns(const TSHP& s, std::vector<TFrameRun>& runs, unsigned threads)
{
    std::atomic<size_t> next{0};
    std::vector<std::exception_ptr> failures(runs.size());
    auto work = [&] {
        for (size_t r = next++; r < runs.size(); r = next++) {
            try {
                EncodeFrameRun(s, runs[r]);
            } catch (...) {
                failures[r] = std::current_exception();
                next = runs.size(); // the others need not start
            }
        }
    };
    const size_t helperCount = std::max<size_t>(std::min<size_t>(threads, runs.size()), 1) - 1;
    std::vector<std::thread> helpers;
    helpers.reserve(helperCount);
    for (size_t k = 0; k < helperCount; ++k) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // fewer threads, the same result
        }
    }
    work();
    for (std::thread& t : helpers)
        t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

} // namespace

namespace writer {

void AppendTD(const TSHP& s, std::vector<uint8_t>& out)
{
    CheckStorable(s, "TD/RA1", 1);
    const int count = s.FrameCount();
    const size_t tableEnd = TDFileHeaderSize + TDEntrySize * (size_t(count) + 2);
    std::vector<TFrameRun> runs = FrameRuns(s);
    const unsigned threads = s.TDWriterThreads > 0 ? unsigned(s.TDWriterThreads) : std::max(1u, std::thread::hardware_concurrency());
    EncodeFrameRuns(s, runs, threads);

    std::vector<TEntry> entries;
    entries.reserve(size_t(count));
    size_t dataSize = 0, largest = 0;
    for (const TFrameRun& run : runs) {
        for (TEntry e : run.Entries) {
            e.Offset += uint32_t(dataSize);
            entries.push_back(e);
        }
        dataSize += run.Data.size();
        largest = std::max(largest, run.Largest);
        if (tableEnd + dataSize >= TDFileSizeLimit)
            RefuseTDSize();
    }

    const size_t trailer = s.SavePalette ? PaletteTrailerSize : 0;
    const size_t fileSize = tableEnd + dataSize + trailer;
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
    for (TFrameRun& run : runs) {
        out.insert(out.end(), run.Data.begin(), run.Data.end());
        run.Data = {};
    }
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
    const size_t n = input.size();
    TXOREncoder encoder;
    return encoder.Encode(TCanvasPair{input.data(), reference, n, 0, n, 0, DeltaEnd(input, reference)});
}

} // namespace vantrel
