#include "write_support.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace writetest;

namespace {

using Bytes = std::vector<uint8_t>;

void ExpectLCWRoundTrip(const Bytes& input, const char* what)
{
    const Bytes encoded = TSHP::EncodeFormat80(input);
    const auto decoded = StrictLCW(encoded, input.size());
    ASSERT_TRUE(decoded.has_value()) << what;
    EXPECT_EQ(*decoded, input) << what;
}

void ExpectXORRoundTrip(const Bytes& input, const Bytes& reference, const char* what)
{
    const Bytes encoded = TSHP::EncodeFormat40(input, reference.data());
    for (bool rest : {false, true}) {
        const auto decoded = StrictXOR(encoded, reference.data(), input.size(), rest);
        ASSERT_TRUE(decoded.has_value()) << what;
        EXPECT_EQ(*decoded, input) << what << (rest ? ", rest from the reference" : ", rest 0");
    }
}

// Every frame of a sprite whose canvas is its whole Data (or 0 without Data).
void ExpectSameFrames(const TSHP& s, const std::vector<Bytes>& frames)
{
    ASSERT_EQ(frames.size(), s.Frames.size());
    for (int i = 0; i < s.FrameCount(); ++i)
        ASSERT_EQ(frames[size_t(i)], Canvas(s, i)) << "frame " << i;
}

} // namespace

TEST(LCWEncoder, SmallInputsExactly)
{
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{5, 6}), (Bytes{0x82, 5, 6, 0x80}));
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes(576, 0)), (Bytes{0xFE, 0x40, 0x02, 0, 0x80}));
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{7, 7, 7}), (Bytes{0xFE, 3, 0, 7, 0x80}));
    // a literal pair, then a relative copy of 8 from 2 back: 1 2 1 2 1 2 1 2 1 2
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{1, 2, 1, 2, 1, 2, 1, 2, 1, 2}), (Bytes{0x82, 1, 2, 0x50, 2, 0x80}));
}

TEST(LCWEncoder, DecodesBackStrictly)
{
    std::mt19937 rng(7);
    Bytes noise(5000);
    for (uint8_t& b : noise)
        b = uint8_t(rng());
    ExpectLCWRoundTrip(noise, "noise");
    Bytes few(20000);
    for (uint8_t& b : few)
        b = uint8_t(rng() % 3);
    ExpectLCWRoundTrip(few, "three values");
    Bytes runs;
    for (int k = 0; k < 400; ++k)
        runs.insert(runs.end(), size_t(rng() % 300), uint8_t(rng() % 4));
    ExpectLCWRoundTrip(runs, "runs");
    ExpectLCWRoundTrip(Bytes(200000, 9), "a fill longer than 65535");
    ExpectLCWRoundTrip(Bytes{1}, "one byte");
}

TEST(LCWEncoder, CanvasBeyond64KUsesReachableCopies)
{
    // The same stretch of random bytes at 1000, 70000 and 140000: the copy at 70000 can come
    // from the start, the one at 140000 only from 4095 bytes back or as literals.
    std::mt19937 rng(3);
    Bytes canvas(150000, 0);
    Bytes stretch(3000);
    for (uint8_t& b : stretch)
        b = uint8_t(rng());
    for (size_t at : {size_t(1000), size_t(70000), size_t(140000)})
        std::copy(stretch.begin(), stretch.end(), canvas.begin() + std::ptrdiff_t(at));
    for (size_t at = 100000; at < 110000; at += 5)
        canvas[at] = uint8_t(rng() % 4);
    ExpectLCWRoundTrip(canvas, "150000 bytes");
    EXPECT_LT(TSHP::EncodeFormat80(canvas).size(), 3000u * 2 + 3000u);
}

TEST(XOREncoder, SmallInputsExactly)
{
    const Bytes ref = {1, 2, 3, 4};
    EXPECT_EQ(TSHP::EncodeFormat40(Bytes{1, 7, 6, 0}, ref.data()), (Bytes{0x81, 0x03, 5, 5, 4, 0x80, 0, 0}));
    EXPECT_EQ(TSHP::EncodeFormat40(ref, ref.data()), (Bytes{0x84, 0x80, 0, 0}));
    const Bytes zeros(6, 0);
    EXPECT_EQ(TSHP::EncodeFormat40(zeros, zeros.data()), (Bytes{0x80, 0, 0})) << "nothing to write";
    EXPECT_EQ(TSHP::EncodeFormat40(Bytes{3, 0, 0}, zeros.data()), (Bytes{0x01, 3, 0x80, 0, 0}));
}

TEST(XOREncoder, DecodesBackWithEitherRest)
{
    std::mt19937 rng(11);
    Bytes a(70000), b(70000);
    for (size_t k = 0; k < a.size(); ++k) {
        a[k] = k % 1000 < 400 ? 0 : uint8_t(rng() % 5);
        b[k] = rng() % 7 == 0 ? uint8_t(rng()) : a[k];
    }
    std::fill(b.begin() + 20000, b.begin() + 40000, 0x33); // a long xor fill
    std::fill(b.end() - 500, b.end(), 0);                  // a tail that differs, then ends in 0
    ExpectXORRoundTrip(b, a, "mixed");
    ExpectXORRoundTrip(a, a, "identical");
    ExpectXORRoundTrip(a, Bytes(a.size(), 0), "from nothing");
    Bytes literals(40000);
    for (uint8_t& v : literals)
        v = uint8_t(1 + rng() % 255);
    ExpectXORRoundTrip(literals, Bytes(literals.size(), 0), "long literals");
}

TEST(WriteTD, SmallFileExactly)
{
    TSHP s;
    s.AddFrames(3, 4, 2);
    s.Format = TSHPFormat::TD;
    std::memcpy(s.Frames[0].Data.get(), Bytes{1, 2, 3, 4, 5, 6, 7, 8}.data(), 8);
    std::memcpy(s.Frames[1].Data.get(), Bytes{1, 2, 3, 4, 5, 6, 9, 9}.data(), 8);
    std::memcpy(s.Frames[2].Data.get(), Bytes{1, 2, 3, 4, 5, 6, 9, 10}.data(), 8);
    const Bytes expected = {
        3, 0, 0, 0, 0, 0, 4, 0, 2, 0, 10, 0, 0, 0, // header: largest frame data 10 bytes
        54, 0, 0, 0x80, 0, 0, 0, 0,                 // key frame
        64, 0, 0, 0x40, 54, 0, 0, 0x80,             // delta against the key frame at 54
        71, 0, 0, 0x20, 1, 0, 0, 0x48,              // delta against frame 1, whose chain starts at 1
        77, 0, 0, 0, 0, 0, 0, 0,                    // file size
        0, 0, 0, 0, 0, 0, 0, 0,                     // zero entry
        0x88, 1, 2, 3, 4, 5, 6, 7, 8, 0x80,         // LCW: eight literals, end
        0x86, 0x02, 7 ^ 9, 8 ^ 9, 0x80, 0, 0,       // skip 6, xor 2, end
        0x87, 0x01, 9 ^ 10, 0x80, 0, 0};            // skip 7, xor 1, end
    EXPECT_EQ(s.SaveToMemory(TSHPFormat::TD), expected);
}

TEST(WriteTD, TableEndsWithFileSizeAndZero)
{
    std::mt19937 rng(5);
    TSHP s;
    MakeRandomSprite(s, rng, 37, 23, 40);
    for (bool trailer : {false, true}) {
        s.SavePalette = trailer;
        const Bytes file = s.SaveToMemory(TSHPFormat::TD);
        const std::vector<TDEntry> table = TDTable(file);
        EXPECT_EQ(table[40].Offset, file.size());
        EXPECT_EQ(table[40].Format, 0);
        EXPECT_EQ(table[41].Offset, 0u);
        EXPECT_EQ(Get24(file.data() + 14 + 8 * 41 + 4), 0u);
        EXPECT_EQ(file[14 + 8 * 41 + 7], 0);
        const auto frames = StrictTDFrames(file);
        ASSERT_TRUE(frames.has_value());
        ExpectSameFrames(s, *frames);
        if (trailer) {
            EXPECT_EQ(Bytes(file.end() - 6, file.end()), (Bytes{0, 'E', 'X', 'T', 'R', 'A'}));
        }
    }
}

TEST(WriteTD, KeyFramesAtLeastEveryInterval)
{
    // Frames that each differ a little from the one before: deltas are always smaller.
    TSHP s;
    s.AddFrames(50, 40, 30);
    for (int i = 0; i < 50; ++i) {
        uint8_t* d = s.Frames[size_t(i)].Data.get();
        for (int p = 0; p < 1200; ++p)
            d[p] = uint8_t((p * 7 + p / 40) % 13);
        d[i * 11] = 200;
    }
    for (int interval : {16, 5, 1, 0, 1000}) {
        s.TDKeyFrameInterval = interval;
        const Bytes file = s.SaveToMemory(TSHPFormat::TD);
        const std::vector<TDEntry> table = TDTable(file);
        int lastKey = -1, keys = 0;
        for (int f = 0; f < 50; ++f) {
            if (table[size_t(f)].Format == 0x80) {
                lastKey = f;
                ++keys;
            }
            ASSERT_LT(f - lastKey, std::max(interval, 1)) << "interval " << interval << ", frame " << f;
        }
        if (interval > 1) {
            EXPECT_LT(keys, 50);
        }
        const auto frames = StrictTDFrames(file, interval % 2 == 0);
        ASSERT_TRUE(frames.has_value()) << interval;
        ExpectSameFrames(s, *frames);
    }
}

TEST(WriteTD, DeltaChainsStartFromAKeyDelta)
{
    std::mt19937 rng(8);
    TSHP s;
    MakeRandomSprite(s, rng, 30, 30, 120);
    const Bytes file = s.SaveToMemory(TSHPFormat::TD);
    const std::vector<TDEntry> table = TDTable(file);
    int chainStart = -1, kinds[3] = {};
    for (size_t f = 0; f < 120; ++f) {
        const TDEntry& e = table[f];
        if (e.Format == 0x80) {
            ++kinds[0];
            EXPECT_EQ(e.Reference, 0u);
            EXPECT_EQ(e.Tag, 0);
        } else if (e.Format == 0x40) {
            ++kinds[1];
            chainStart = int(f);
            EXPECT_EQ(e.Tag, 0x80);
            bool keyFound = false;
            for (size_t k = 0; k < f; ++k)
                keyFound |= table[k].Offset == e.Reference && table[k].Format == 0x80;
            EXPECT_TRUE(keyFound) << f;
        } else {
            ++kinds[2];
            ASSERT_EQ(e.Format, 0x20);
            EXPECT_NE(table[f - 1].Format, 0x80) << "a delta on a key frame is written as 0x40";
            EXPECT_EQ(int(e.Reference), chainStart);
            EXPECT_EQ(e.Tag, 0x48);
        }
    }
    EXPECT_GT(kinds[0], 0);
    EXPECT_GT(kinds[1], 0);
    EXPECT_GT(kinds[2], 0);
    const auto frames = StrictTDFrames(file, true);
    ASSERT_TRUE(frames.has_value());
    ExpectSameFrames(s, *frames);
}

TEST(WriteTD, RectanglesAndMissingDataBecomeCanvases)
{
    TSHP s;
    s.AddFrames(3, 5, 4);
    s.Frames[0].Data[7] = 9;
    s.Frames[0].Data[19] = 3; // outside the rectangle set below: not part of the frame
    s.Frames[0].X = 1;
    s.Frames[0].Y = 1;
    s.Frames[0].CX = s.Frames[0].CY = 2;
    s.Frames[1].Data.reset();
    s.Frames[2].CX = 0;
    const auto frames = StrictTDFrames(s.SaveToMemory(TSHPFormat::TD));
    ASSERT_TRUE(frames.has_value());
    Bytes first(20, 0);
    first[7] = 9;
    EXPECT_EQ((*frames)[0], first);
    EXPECT_EQ((*frames)[1], Bytes(20, 0));
    EXPECT_EQ((*frames)[2], Bytes(20, 0));
}

TEST(WriteTD, RefusesWhatTheLayoutCannotHold)
{
    TSHP empty;
    empty.Format = TSHPFormat::TS;
    empty.Frames.resize(1);
    EXPECT_THROW(empty.SaveToMemory(TSHPFormat::TD), SHPError) << "no canvas";

    if (Sanitized)
        GTEST_SKIP() << "17 MB through the encoders";
    // 17 MB of noise: the 24-bit offsets cannot reach its end.
    TSHP noise;
    noise.AddFrames(260, 256, 256);
    noise.TDKeyFrameInterval = 1;
    uint64_t state = 1;
    for (TSHPFrame& f : noise.Frames)
        for (size_t k = 0; k < 65536; k += 8) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const uint64_t word = state ^ (state >> 29);
            std::memcpy(f.Data.get() + k, &word, 8);
        }
    try {
        noise.SaveToMemory(TSHPFormat::TD);
        FAIL();
    } catch (const SHPError& e) {
        EXPECT_NE(std::string(e.what()).find("16 MiB"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(noise.IsSaved);
}
