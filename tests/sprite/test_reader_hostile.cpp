#include "read_helpers.h"

#include <random>

using namespace vantrel;
using namespace readtest;

namespace {

// Loads the bytes as a sprite and probes them; a refusal must leave the sprite cleared.
void LoadOrRefuse(const Bytes& file, bool oneFrame = false)
{
    TSHP s;
    s.OneFrameLoad = oneFrame;
    try {
        s.LoadFromMemory(file);
    } catch (const SHPError&) {
        EXPECT_EQ(s.Format, TSHPFormat::None);
        EXPECT_EQ(s.FrameCount(), 0);
        return;
    }
    for (const TSHPFrame& f : s.Frames)
        ASSERT_TRUE(f.X + f.CX <= s.Width && f.Y + f.CY <= s.Height);
    TMemorySource source(file);
    ProbeTD(source);
    ProbeTS(source);
}

Bytes CorpusFile(const std::string& name) { return ReadWholeFile(CorpusPath(name)); }

std::vector<Bytes> HostileSeeds()
{
    Bytes withTrailer = CorpusFile("ts/ora-ts_ammopips.shp");
    const Bytes trailer = Trailer(3, 1);
    withTrailer.insert(withTrailer.end(), trailer.begin(), trailer.end());
    return {CorpusFile("td/ora-cnc_afld.shp"), CorpusFile("ts/ora-ts_gatick.shp"), withTrailer};
}

} // namespace

TEST(ReaderHostile, EveryTruncationLoads)
{
    SKIP_WITHOUT_CORPUS();
    for (const Bytes& file : HostileSeeds())
        for (size_t n = 0; n <= file.size(); ++n)
            LoadOrRefuse(Bytes(file.begin(), file.begin() + ptrdiff_t(n)), n % 2 == 1);
}

TEST(ReaderHostile, RandomlyCorruptedCopiesLoadOrAreRefused)
{
    SKIP_WITHOUT_CORPUS();
    std::vector<Bytes> seeds = HostileSeeds();
    seeds.push_back(CorpusFile("td/ora-cnc_chan.shp"));
    seeds.push_back(CorpusFile("ts/rv_tss_bang48.shp"));
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        Bytes file = seeds[random() % seeds.size()];
        const int changes = 1 + int(random() % 8);
        for (int k = 0; k < changes; ++k) {
            // Half of the changes hit the headers and the start of the tables.
            const size_t span = k % 2 ? file.size() : std::min<size_t>(file.size(), 64);
            const size_t at = random() % span;
            // Canvas sizes stay below 512 x 512 so that no copy asks for hundreds of megabytes.
            const bool sizeHighByte = at >= 3 && at <= 9 && at % 2 == 1;
            file[at] = uint8_t(sizeHighByte ? random() % 2 : random());
        }
        if (round % 5 == 0)
            file.resize(random() % file.size());
        LoadOrRefuse(file, round % 7 == 0);
    }
}

TEST(ReaderHostile, HugeCanvasClaimsAreRefusedNamingTheSize)
{
    // 65535 frame headers of 4000 x 4000 pixels whose data offsets all lie inside the file.
    Bytes ts;
    Put16(ts, 0), Put16(ts, 4000), Put16(ts, 4000), Put16(ts, 65535);
    for (int i = 0; i < 65535; ++i)
        Put16(ts, 0), Put16(ts, 0), Put16(ts, 4000), Put16(ts, 4000), Put32(ts, 0), Put32(ts, 0), Put32(ts, 0), Put32(ts, 8);
    Bytes td = MakeTD(4000, 4000, std::vector<TDFrame>(65535));
    // One canvas whose bytes do not fit a signed 32-bit count.
    Bytes wide = MakeTS(65535, 32769, {{0, 0, 1, 1, 0, {1}}});
    wide.resize(9u << 20);
    for (const Bytes* file : {&ts, &td, &wide}) {
        TSHP s;
        Load(s, MakeTS(2, 1, {{0, 0, 2, 1, 0, {7, 8}}}));
        try {
            s.LoadFromMemory(*file);
            FAIL() << "loaded";
        } catch (const SHPError& e) {
            const std::string text = e.what();
            EXPECT_TRUE(text.find("1048560000000") != std::string::npos || text.find("65535 x 32769") != std::string::npos) << text;
        }
        EXPECT_EQ(s.Format, TSHPFormat::None);
        EXPECT_EQ(s.FrameCount(), 0);
    }
}
