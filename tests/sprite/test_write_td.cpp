#include "../../fuzz/ReferenceTD.h"
#include "write_support.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace writetest;

namespace {

void ExpectLCWRoundTrip(const Bytes& input, const char* what)
{
    const Bytes encoded = TSHP::EncodeFormat80(input);
    Bytes decoded(input.size(), 0xEE), plain(input.size(), 0xEE);
    EXPECT_EQ(TSHP::DecodeFormat80(encoded, decoded), input.size()) << what;
    EXPECT_EQ(decoded, input) << what;
    EXPECT_EQ(fuzz::ReferenceLCW(encoded, plain), input.size()) << what;
    EXPECT_EQ(plain, input) << what << ", byte-at-a-time decoder";
    EXPECT_EQ(encoded.back(), 0x80) << what;
}

// After the end command the reader leaves 0; a decoder that works on a copy of the reference
// leaves the reference there. Both must see the frame.
void ExpectXORRoundTrip(const Bytes& input, const Bytes& reference, const char* what)
{
    const Bytes encoded = TSHP::EncodeFormat40(input, reference.data());
    for (bool rest : {false, true}) {
        Bytes decoded = rest ? reference : Bytes(input.size(), 0);
        TSHP::DecodeFormat40(encoded, reference.data(), decoded);
        EXPECT_EQ(decoded, input) << what << (rest ? ", rest from the reference" : ", rest 0");
    }
    Bytes plain(input.size(), 0);
    fuzz::ReferenceXOR(encoded, reference, plain);
    EXPECT_EQ(plain, input) << what << ", byte-at-a-time decoder";
    EXPECT_EQ(Bytes(encoded.end() - 3, encoded.end()), (Bytes{0x80, 0, 0})) << what;
}

void ExpectLoadsBack(const TSHP& s, const Bytes& file)
{
    TSHP loaded;
    loaded.LoadFromMemory(file);
    ASSERT_EQ(loaded.Format, TSHPFormat::TD);
    ASSERT_EQ(loaded.FrameCount(), s.FrameCount());
    for (int i = 0; i < s.FrameCount(); ++i)
        ASSERT_EQ(Canvas(loaded, i), Canvas(s, i)) << "frame " << i;
}

} // namespace

TEST(LCWEncoder, SmallInputsExactly)
{
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{5, 6}), (Bytes{0x82, 5, 6, 0x80}));
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes(576, 0)), (Bytes{0xFE, 0x40, 0x02, 0, 0x80}));
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{7, 7, 7}), (Bytes{0xFE, 3, 0, 7, 0x80}));
    // two literals, then 8 bytes copied from 2 back: 1 2 1 2 1 2 1 2 1 2
    EXPECT_EQ(TSHP::EncodeFormat80(Bytes{1, 2, 1, 2, 1, 2, 1, 2, 1, 2}), (Bytes{0x82, 1, 2, 0x50, 2, 0x80}));
}

TEST(LCWEncoder, DecodesBackStrictly)
{
    std::mt19937 rng(7);
    Bytes noise(5000), few(20000), runs;
    for (uint8_t& b : noise)
        b = uint8_t(rng());
    for (uint8_t& b : few)
        b = uint8_t(rng() % 3);
    for (int k = 0; k < 400; ++k)
        runs.insert(runs.end(), size_t(rng() % 300), uint8_t(rng() % 4));
    ExpectLCWRoundTrip(noise, "noise");
    ExpectLCWRoundTrip(few, "three values");
    ExpectLCWRoundTrip(runs, "runs");
    ExpectLCWRoundTrip(Bytes(200000, 9), "a fill longer than 65535");
    ExpectLCWRoundTrip(Bytes{1}, "one byte");

    // The same random stretch at 1000, 70000 and 140000: absolute copies reach only the first
    // 65536 bytes, relative ones 4095 bytes back.
    Bytes canvas(150000, 0), stretch(3000);
    for (uint8_t& b : stretch)
        b = uint8_t(rng());
    for (size_t at : {1000, 70000, 140000})
        std::copy(stretch.begin(), stretch.end(), canvas.begin() + std::ptrdiff_t(at));
    ExpectLCWRoundTrip(canvas, "150000 bytes");
    EXPECT_LT(TSHP::EncodeFormat80(canvas).size(), 3 * 3000u);
}

TEST(XOREncoder, EncodesAndDecodesBack)
{
    const Bytes ref = {1, 2, 3, 4}, zeros(6, 0);
    EXPECT_EQ(TSHP::EncodeFormat40(Bytes{1, 7, 6, 0}, ref.data()), (Bytes{0x81, 0x03, 5, 5, 4, 0x80, 0, 0}));
    EXPECT_EQ(TSHP::EncodeFormat40(ref, ref.data()), (Bytes{0x84, 0x80, 0, 0}));
    EXPECT_EQ(TSHP::EncodeFormat40(zeros, zeros.data()), (Bytes{0x80, 0, 0})) << "nothing to write";
    EXPECT_EQ(TSHP::EncodeFormat40(Bytes{3, 0, 0}, zeros.data()), (Bytes{0x01, 3, 0x80, 0, 0}));

    std::mt19937 rng(11);
    Bytes a(70000), b(70000), literals(40000);
    for (size_t k = 0; k < a.size(); ++k) {
        a[k] = k % 1000 < 400 ? 0 : uint8_t(rng() % 5);
        b[k] = rng() % 7 == 0 ? uint8_t(rng()) : a[k];
    }
    std::fill(b.begin() + 20000, b.begin() + 40000, 0x33); // a long xor fill
    std::fill(b.end() - 500, b.end(), 0);                  // changed, then 0 to the end
    for (uint8_t& v : literals)
        v = uint8_t(1 + rng() % 255);
    ExpectXORRoundTrip(b, a, "mixed");
    ExpectXORRoundTrip(a, a, "identical");
    ExpectXORRoundTrip(a, Bytes(a.size(), 0), "from nothing");
    ExpectXORRoundTrip(literals, Bytes(literals.size(), 0), "long literals");
}

TEST(WriteTD, SmallFileExactly)
{
    TSHP s;
    s.AddFrames(3, 4, 2);
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

TEST(WriteTD, KeyFramesAtLeastEveryInterval)
{
    TSHP s; // each frame differs a little from the one before: deltas are always smaller
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
            if (table[size_t(f)].Format == 0x80)
                lastKey = f, ++keys;
            ASSERT_LT(f - lastKey, std::max(interval, 1)) << "interval " << interval << ", frame " << f;
        }
        EXPECT_EQ(keys, interval <= 1 ? 50 : (49 / interval) + 1) << interval;
        ExpectLoadsBack(s, file);
    }
}

TEST(WriteTD, DeltaChainsAsRealFilesHaveThem)
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
            EXPECT_TRUE(e.Reference == 0 && e.Tag == 0) << f;
        } else if (e.Format == 0x40) {
            ++kinds[1];
            chainStart = int(f);
            EXPECT_EQ(e.Tag, 0x80);
            EXPECT_TRUE(std::any_of(table.begin(), table.begin() + std::ptrdiff_t(f),
                                    [&](const TDEntry& k) { return k.Offset == e.Reference && k.Format == 0x80; }))
                << "frame " << f << " refers to a key frame";
        } else {
            ++kinds[2];
            ASSERT_EQ(e.Format, 0x20);
            EXPECT_NE(table[f - 1].Format, 0x80) << "a delta on a key frame is written as 0x40";
            EXPECT_EQ(int(e.Reference), chainStart);
            EXPECT_EQ(e.Tag, 0x48);
        }
    }
    EXPECT_TRUE(kinds[0] > 0 && kinds[1] > 0 && kinds[2] > 0);
    ExpectLoadsBack(s, file);
}

TEST(WriteTD, RectanglesAndMissingDataBecomeCanvases)
{
    TSHP s;
    s.AddFrames(3, 5, 4);
    s.Frames[0].Data[7] = 9;
    s.Frames[0].Data[19] = 3; // outside the rectangle set below: not part of the frame
    s.Frames[0].X = s.Frames[0].Y = 1;
    s.Frames[0].CX = s.Frames[0].CY = 2;
    s.Frames[1].Data.reset();
    s.Frames[2].CX = 0;
    TSHP loaded;
    loaded.LoadFromMemory(s.SaveToMemory(TSHPFormat::TD));
    Bytes first(20, 0);
    first[7] = 9;
    EXPECT_EQ(Canvas(loaded, 0), first);
    EXPECT_EQ(Canvas(loaded, 1), Bytes(20, 0));
    EXPECT_EQ(Canvas(loaded, 2), Bytes(20, 0));
}

TEST(WriteTD, RefusesWhatTheLayoutCannotHold)
{
    TSHP empty;
    empty.Format = TSHPFormat::TS;
    empty.Frames.resize(1);
    EXPECT_THROW(empty.SaveToMemory(TSHPFormat::TD), SHPError) << "no canvas";

    if (Sanitized)
        GTEST_SKIP() << "17 MB through the encoders";
    TSHP noise; // 17 MB that do not compress: the 24-bit offsets cannot reach its end
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
}

// Canvases of several of the encoders' segments (about 1 MiB each), with runs of every length up
// to 300 and beyond 65535, stretches repeated at the copies' reach, and deltas of every run
// length: both decoders give the canvas back.
TEST(TDEncoders, LargeCanvasesAndEveryRunLength)
{
    if (Sanitized)
        GTEST_SKIP() << "megabytes through the encoders";
    std::mt19937 rng(21);
    Bytes canvas;
    for (size_t run = 1; run <= 300; ++run) {
        canvas.insert(canvas.end(), run, uint8_t(1 + run % 7));
        canvas.push_back(uint8_t(rng()));
    }
    canvas.insert(canvas.end(), 200000, 0);
    Bytes stretch(5000);
    for (uint8_t& b : stretch)
        b = uint8_t(rng() % 4);
    for (size_t at : {size_t(60000), size_t(65530), size_t(1048000), size_t(2200000)}) {
        canvas.resize(std::max(canvas.size(), at), 0);
        canvas.insert(canvas.begin() + std::ptrdiff_t(at), stretch.begin(), stretch.end());
        canvas.insert(canvas.begin() + std::ptrdiff_t(at + 5000 + 4095 - 5000 / 2), stretch.begin(), stretch.end());
    }
    canvas.resize(3000000, 5);
    ExpectLCWRoundTrip(canvas, "3 MB");
    EXPECT_LT(TSHP::EncodeFormat80(canvas).size(), 80000u);

    Bytes changed = canvas;
    size_t at = 0;
    for (size_t run = 1; run <= 300 && at < changed.size(); ++run) {
        at += run; // unchanged
        for (size_t k = 0; k < run && at < changed.size(); ++k)
            changed[at++] ^= uint8_t(k % 2 ? 0x11 : 0x5A); // a fill or a literal
    }
    for (size_t k = 1500000; k < 1500000 + 40000; ++k)
        changed[k] = uint8_t(rng());
    ExpectXORRoundTrip(changed, canvas, "3 MB delta");
    ExpectXORRoundTrip(canvas, changed, "3 MB delta back");
}

// A frame like a key frame many key frames back is written as a small delta against it.
TEST(WriteTD, DeltasReachKeyFramesFarBack)
{
    TSHP s; // frames of one colour each: every one a key frame
    s.AddFrames(41, 32, 32);
    for (int i = 0; i < 41; ++i)
        std::memset(s.Frames[size_t(i)].Data.get(), 1 + i, 1024);
    std::memset(s.Frames[40].Data.get(), 4, 1024);
    s.Frames[40].Data[1000] = 9;
    s.Frames[40].Data[1010] = 7;
    const Bytes file = s.SaveToMemory(TSHPFormat::TD);
    const std::vector<TDEntry> table = TDTable(file);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(table[size_t(i)].Format, 0x80) << i;
    EXPECT_EQ(table[40].Format, 0x40);
    EXPECT_EQ(table[40].Reference, table[3].Offset);
    EXPECT_LT(table[41].Offset - table[40].Offset, 14u);
    ExpectLoadsBack(s, file);
}

// A small figure that moves over a wide canvas: the writer compares frames only where either
// has pixels, row by row; rows of lone 0s, runs of 2 to 5 and stray pixels outside a frame's
// rectangle must all come back.
TEST(WriteTD, MovingFiguresOnWideCanvases)
{
    TSHP s;
    std::mt19937 rng(5);
    const int width = 150, height = 24, frames = 40;
    s.AddFrames(frames, width, height);
    Bytes figure(20 * 12);
    for (size_t k = 0; k < figure.size();) {
        const size_t run = k % 7 == 3 ? 2 + rng() % 4 : 1;
        const uint8_t v = rng() % 5 == 0 ? 0 : uint8_t(1 + rng() % 200);
        for (size_t r = 0; r < run && k < figure.size(); ++r)
            figure[k++] = v;
    }
    for (int i = 0; i < frames; ++i) {
        TSHPFrame& f = s.Frames[size_t(i)];
        std::memset(f.Data.get(), 0, size_t(width) * height);
        f.X = uint16_t(7 * (i / 4 % 5) + (i >= 20 ? 90 : 0)); // moves every fourth frame
        f.Y = uint16_t(i / 8 % 3);
        f.CX = 20;
        f.CY = 12;
        for (int y = 0; y < 12; ++y)
            std::memcpy(f.Data.get() + (f.Y + y) * width + f.X, figure.data() + y * 20, 20);
        f.Data[size_t(f.Y) * width + f.X + size_t(i % 20)] ^= uint8_t(i); // frames differ a little
    }
    s.Frames[7].Data[size_t(width) * height - 1] = 5; // outside its rectangle: not part of it
    s.Frames[30].Data.reset();
    const Bytes file = s.SaveToMemory(TSHPFormat::TD);
    s.Frames[7].Data[size_t(width) * height - 1] = 0;
    int deltas = 0;
    for (const TDEntry& e : TDTable(file))
        deltas += e.Format == 0x20 || e.Format == 0x40;
    EXPECT_GT(deltas, frames / 2);
    ExpectLoadsBack(s, file);
}

// Long sprites are encoded in runs of frames on several threads: each run starts with a key
// frame, deltas stay inside their run, and the file is the same whatever the number of threads.
TEST(WriteTD, LongSpritesTheSameOnAnyNumberOfThreads)
{
    TSHP s;
    const int width = 256, height = 128, frames = 520; // 32 KiB canvases: runs of 256 frames
    s.AddFrames(frames, width, height);
    for (int i = 0; i < frames; ++i) {
        uint8_t* d = s.Frames[size_t(i)].Data.get();
        std::memset(d, 0, size_t(width) * height);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                d[size_t(40 + y + i / 8 % 7) * width + 100 + x + i / 8 % 5] = uint8_t(1 + (x * y + i / 9) % 60);
    }
    s.TDWriterThreads = 1;
    const Bytes file = s.SaveToMemory(TSHPFormat::TD);
    for (int threads : {2, 3, 0}) {
        s.TDWriterThreads = threads;
        EXPECT_EQ(s.SaveToMemory(TSHPFormat::TD), file) << threads << " threads";
    }
    const std::vector<TDEntry> table = TDTable(file);
    EXPECT_EQ(table[256].Format, 0x80);
    EXPECT_EQ(table[512].Format, 0x80);
    EXPECT_NE(table[257].Format, 0x80);
    ExpectLoadsBack(s, file);
}
