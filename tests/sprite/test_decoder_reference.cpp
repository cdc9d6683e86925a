// The frame decoders against plain byte-at-a-time decoders written straight from the format
// descriptions, on every frame of the shared corpus and on random and damaged input, so that
// the fast decoders keep exactly the same results (including where damaged input ends them).
#include "../../fuzz/ReferenceTD.h"
#include "read_helpers.h"
#include "sprite/FileUtil.h"
#include "sprite/SHP.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace vantrel;
using vantrel::fuzz::ReferenceLCW;
using vantrel::fuzz::ReferenceXOR;

namespace {

using Bytes = std::vector<uint8_t>;

// The rows of a line-encoded frame into a width x height canvas at the rectangle, clipped.
void ReferenceTSLines(const Bytes& in, int width, int height, int x0, int y0, int cx, int cy, Bytes& canvas)
{
    size_t pos = 0;
    for (int r = 0; r < cy; ++r) {
        if (in.size() - pos < 2)
            break;
        const size_t length = in[pos] | in[pos + 1] << 8;
        if (length < 2)
            break;
        const size_t end = pos + std::min(length, in.size() - pos);
        size_t p = pos + 2;
        int x = 0;
        while (p < end) {
            const uint8_t b = in[p++];
            if (b != 0) {
                if (x < cx && x0 + x < width && y0 + r < height)
                    canvas[size_t(y0 + r) * size_t(width) + size_t(x0 + x)] = b;
                ++x;
            } else {
                if (p >= end)
                    break;
                x += in[p++];
            }
        }
        pos = end;
    }
}

Bytes RandomBytes(std::mt19937& rng, size_t n, int zeroPercent)
{
    Bytes b(n);
    for (uint8_t& v : b)
        v = int(rng() % 100) < zeroPercent ? 0 : uint8_t(rng());
    return b;
}

// Turns random bytes into mostly valid LCW or XOR command streams by biasing command bytes.
Bytes RandomCommands(std::mt19937& rng, size_t n, bool lcw)
{
    Bytes b;
    while (b.size() < n) {
        const int kind = int(rng() % 6);
        if (lcw) {
            const uint8_t c[] = {uint8_t(rng() % 0x80), uint8_t(0x81 + rng() % 63), uint8_t(0xC0 + rng() % 62), 0xFE, 0xFF,
                                 uint8_t(0x81 + rng() % 8)};
            b.push_back(c[kind]);
        } else {
            const uint8_t c[] = {0x00, uint8_t(1 + rng() % 0x7F), uint8_t(0x81 + rng() % 0x7F), 0x80, uint8_t(1 + rng() % 6),
                                 uint8_t(0x81 + rng() % 6)};
            b.push_back(c[kind]);
        }
        const size_t args = rng() % 5;
        for (size_t k = 0; k < args; ++k)
            b.push_back(uint8_t(rng() % 3 == 0 ? rng() % 8 : rng()));
    }
    return b;
}

// A valid LCW stream of about n output bytes whose copies (near, far and long) reach back every
// distance, near ones (overlapping, repeating their pattern) as often as far ones.
Bytes ValidLCWCommands(std::mt19937& rng, size_t n)
{
    Bytes b;
    size_t done = 0;
    auto back = [&] { return rng() % 2 ? 1 + rng() % std::min<size_t>(done, 80) : 1 + rng() % done; };
    while (done < n) {
        const int kind = done == 0 ? 0 : int(rng() % 5);
        if (kind == 0) {
            const size_t count = 1 + rng() % 63;
            b.push_back(uint8_t(0x80 | count));
            for (size_t k = 0; k < count; ++k)
                b.push_back(uint8_t(rng()));
            done += count;
        } else if (kind == 1) {
            const size_t count = 1 + rng() % 100;
            b.insert(b.end(), {0xFE, uint8_t(count), uint8_t(count >> 8), uint8_t(rng())});
            done += count;
        } else if (kind == 2) {
            const size_t distance = std::min<size_t>(back(), 4095), count = 3 + rng() % 8;
            b.insert(b.end(), {uint8_t((count - 3) << 4 | distance >> 8), uint8_t(distance)});
            done += count;
        } else if (kind == 3) {
            const size_t position = done - back(), count = 3 + rng() % 62;
            b.insert(b.end(), {uint8_t(0xC0 | (count - 3)), uint8_t(position), uint8_t(position >> 8)});
            done += count;
        } else {
            const size_t position = done - back(), count = 1 + rng() % 300;
            b.insert(b.end(), {0xFF, uint8_t(count), uint8_t(count >> 8), uint8_t(position), uint8_t(position >> 8)});
            done += count;
        }
    }
    b.push_back(0x80);
    return b;
}

// Runs the decoders on an output of cap bytes that lies at the start of a buffer with `slack`
// more bytes, which they may store to as the reader's shared canvases let them (the reference of
// an XOR delta then has as many bytes after it, which may be read).
struct TSlackOutput {
    size_t Slack;
    Bytes Buffer;
    TSlackOutput(size_t cap, size_t slack) : Slack(slack), Buffer(cap + slack, 0xEE) {}
    std::span<uint8_t> Output() { return {Buffer.data(), Buffer.size() - Slack}; }
    size_t LCW(const Bytes& in) { return TSHP::DecodeFormat80(in, Output(), Slack); }
    size_t XOR(const Bytes& in, Bytes ref)
    {
        ref.resize(ref.size() + Slack, 0x55);
        return TSHP::DecodeFormat40(in, ref.data(), Output(), Slack);
    }
};

constexpr size_t Slacks[] = {0, 64};

} // namespace

TEST(DecoderReference, LCWMatchesOnValidStreamsWithNearAndFarCopies)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 3000; ++round) {
        const size_t cap = 1 + rng() % 3000;
        const Bytes in = ValidLCWCommands(rng, cap + rng() % 200);
        Bytes expect(cap, 0xEE);
        const size_t n = ReferenceLCW(in, expect);
        for (size_t slack : Slacks) {
            TSlackOutput got(cap, slack);
            ASSERT_EQ(got.LCW(in), n) << "round " << round << " slack " << slack;
            ASSERT_TRUE(std::equal(expect.begin(), expect.begin() + std::ptrdiff_t(n), got.Buffer.begin()))
                << "round " << round << " slack " << slack;
        }
    }
}

TEST(DecoderReference, LCWAndXORMatchOnRandomAndDamagedInput)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 20000; ++round) {
        const size_t cap = 1 + rng() % 600;
        const Bytes in = round % 3 == 0 ? RandomBytes(rng, rng() % 400, 10) : RandomCommands(rng, rng() % 400, round % 2);
        const Bytes ref = RandomBytes(rng, cap, 30);
        Bytes expect(cap, 0xEE), expectX(cap, 0xEE);
        const size_t n = ReferenceLCW(in, expect), nX = ReferenceXOR(in, ref, expectX);
        for (size_t slack : Slacks) {
            // Bytes past the count written are the caller's to clear; compare what was written.
            TSlackOutput got(cap, slack), gotX(cap, slack);
            ASSERT_EQ(got.LCW(in), n) << "round " << round << " slack " << slack;
            ASSERT_TRUE(std::equal(expect.begin(), expect.begin() + std::ptrdiff_t(n), got.Buffer.begin()))
                << "LCW round " << round << " slack " << slack;
            ASSERT_EQ(gotX.XOR(in, ref), nX) << "round " << round << " slack " << slack;
            ASSERT_TRUE(std::equal(expectX.begin(), expectX.begin() + std::ptrdiff_t(nX), gotX.Buffer.begin()))
                << "XOR round " << round << " slack " << slack;
        }
    }
}

namespace {

// Every frame of a TD/RA1 file as the reader decodes it against the reference decoders, a key
// delta taking the latest frame below it whose data offset is the one it names.
void ExpectTDFramesMatch(const Bytes& file, const std::string& what)
{
    TSHP sprite;
    sprite.LoadFromMemory(file);
    ASSERT_EQ(sprite.Format, TSHPFormat::TD) << what;
    const size_t canvas = size_t(sprite.Width) * size_t(sprite.Height);
    std::vector<Bytes> frames;
    for (int f = 0; f < sprite.FrameCount(); ++f) {
        const uint8_t* e = file.data() + 14 + 8 * size_t(f);
        const size_t offset = e[0] | e[1] << 8 | e[2] << 16;
        const Bytes input(file.begin() + std::ptrdiff_t(offset), file.end());
        Bytes frame(canvas, 0);
        if (e[3] == 0x80 || (e[3] == 0x20 && f == 0)) {
            ReferenceLCW(input, frame);
        } else {
            int reference = f - 1;
            if (e[3] == 0x40) {
                const size_t wanted = e[4] | e[5] << 8 | e[6] << 16;
                reference = -1;
                for (int k = 0; k < f; ++k) {
                    const uint8_t* g = file.data() + 14 + 8 * size_t(k);
                    if (size_t(g[0] | g[1] << 8 | g[2] << 16) == wanted)
                        reference = k;
                }
            }
            if (reference < 0)
                ReferenceLCW(input, frame);
            else
                ReferenceXOR(input, frames[size_t(reference)], frame);
        }
        ASSERT_TRUE(std::equal(frame.begin(), frame.end(), sprite.GetFrame(f).Data.get())) << what << " frame " << f;
        frames.push_back(std::move(frame));
    }
}

} // namespace

TEST(DecoderReference, TDCorpusFramesMatch)
{
    if (!std::filesystem::is_directory(VANTREL_CORPUS_DIR))
        GTEST_SKIP() << "no shared corpus";
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VANTREL_CORPUS_DIR) + "/td"))
        ExpectTDFramesMatch(ReadWholeFile(entry.path().string()), entry.path().string());
}

// Frames without data of their own share their offset with the next frame, and key deltas name
// the offsets of earlier frames in any order: each takes the latest frame of that offset.
TEST(DecoderReference, KeyDeltasFindTheirKeyFramesAmongSharedOffsets)
{
    std::mt19937 rng(31);
    for (int round = 0; round < 200; ++round) {
        const size_t count = 1 + rng() % 60;
        std::vector<readtest::TDFrame> frames(count);
        std::vector<unsigned> offsets;
        size_t offset = 14 + 8 * (count + 2);
        for (size_t f = 0; f < count; ++f) {
            readtest::TDFrame& frame = frames[f];
            const unsigned kind = rng() % 4;
            frame.Format = kind == 0 ? 0x80 : kind == 1 ? 0x20 : 0x40;
            if (rng() % 3 != 0)
                frame.Data = RandomCommands(rng, rng() % 40, frame.Format == 0x80);
            if (frame.Format == 0x40)
                frame.Reference = f > 0 && rng() % 8 != 0 ? offsets[rng() % f] : unsigned(rng() % 4000);
            offsets.push_back(unsigned(offset));
            offset += frame.Data.size();
        }
        ExpectTDFramesMatch(readtest::MakeTD(1 + rng() % 9, 1 + rng() % 7, frames), "round " + std::to_string(round));
    }
}

TEST(DecoderReference, TSLineEncodedFramesMatchOnCorpusAndDamagedInput)
{
    std::mt19937 rng(99);
    std::vector<Bytes> files;
    if (std::filesystem::is_directory(VANTREL_CORPUS_DIR))
        for (const auto& entry : std::filesystem::directory_iterator(std::string(VANTREL_CORPUS_DIR) + "/ts"))
            files.push_back(ReadWholeFile(entry.path().string()));
    for (int round = 0; round < 3000; ++round) {
        // A TS file of one line-encoded frame: random rows, or rows cut from a corpus frame.
        const int width = 1 + int(rng() % 40), height = 1 + int(rng() % 30);
        const int x0 = int(rng() % 8), y0 = int(rng() % 8), cx = 1 + int(rng() % 40), cy = 1 + int(rng() % 30);
        Bytes rows;
        for (int r = 0; r < cy + 1; ++r) {
            Bytes items = RandomBytes(rng, rng() % 50, 25);
            const size_t length = rng() % 20 == 0 ? rng() % 4 : items.size() + 2;
            rows.push_back(uint8_t(length));
            rows.push_back(uint8_t(length >> 8));
            rows.insert(rows.end(), items.begin(), items.end());
        }
        if (!files.empty() && round % 2) {
            const Bytes& f = files[rng() % files.size()];
            const size_t from = 8 + rng() % (f.size() - 8);
            rows.assign(f.begin() + std::ptrdiff_t(from), f.begin() + std::ptrdiff_t(std::min(f.size(), from + 4000)));
        }
        rows.resize(rows.size() - std::min(rows.size(), size_t(rng() % 3 == 0 ? rng() % 30 : 0)));
        Bytes file = {0, 0, uint8_t(width), 0, uint8_t(height), 0, 1, 0};
        const uint8_t header[24] = {uint8_t(x0), 0, uint8_t(y0), 0, uint8_t(cx), 0, uint8_t(cy), 0, 3, 0, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 32, 0, 0, 0};
        file.insert(file.end(), header, header + 24);
        file.insert(file.end(), rows.begin(), rows.end());

        Bytes expect(size_t(width) * size_t(height), 0);
        ReferenceTSLines(rows, width, height, x0, y0, cx, cy, expect);
        TSHP sprite;
        sprite.LoadFromMemory(file);
        ASSERT_EQ(sprite.FrameCount(), 1);
        const uint8_t* data = sprite.GetFrame(0).Data.get();
        if (!data) {
            ASSERT_TRUE(rows.empty()) << "only a frame whose data lie past the file's end has none";
            continue;
        }
        ASSERT_TRUE(std::equal(expect.begin(), expect.end(), data)) << "round " << round;
    }
}
