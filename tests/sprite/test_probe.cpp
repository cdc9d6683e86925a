#include "read_helpers.h"

using namespace vantrel;
using namespace readtest;

namespace {

bool TD(const Bytes& b)
{
    TMemorySource source(b);
    return ProbeTD(source);
}

bool TS(const Bytes& b)
{
    TMemorySource source(b);
    return ProbeTS(source);
}

} // namespace

TEST(Probe, TDTableMustEndWithTheFileSize)
{
    Bytes file = MakeTD(4, 4, {{0x80, 0, {0xFE, 16, 0, 1, 0x80}}});
    ASSERT_EQ(file[14], 38);
    EXPECT_TRUE(TD(file));
    const Bytes sizeEntry(file.begin() + 22, file.begin() + 30);
    std::copy(sizeEntry.begin(), sizeEntry.end(), file.begin() + 30);
    std::fill(file.begin() + 22, file.begin() + 30, 0);
    EXPECT_TRUE(TD(file)) << "the size in the entry after";
    std::fill(file.begin() + 30, file.begin() + 38, 0);
    EXPECT_FALSE(TD(file));
    EXPECT_FALSE(TS(file));
}

TEST(Probe, TSTableMustFit)
{
    Bytes file = {0, 0, 10, 0, 10, 0, 10, 0};
    file.resize(200);
    EXPECT_FALSE(TS(file));
    file.resize(248);
    EXPECT_TRUE(TS(file));
    EXPECT_FALSE(TS({0, 0, 0, 0, 0, 0, 1, 0})) << "the sprite without canvas";
    for (size_t n = 0; n < 14; ++n) {
        const Bytes head(file.begin(), file.begin() + ptrdiff_t(n));
        EXPECT_FALSE(TD(head) || TS(head)) << n << " bytes";
    }
}

TEST(Probe, TDFilesOf16MiBNeverPass)
{
    Bytes file = MakeTD(4, 4, {{0x80, 0, {}}});
    file.resize(16u << 20);
    file[22] = file[23] = file[24] = 0xFF;
    EXPECT_FALSE(TD(file));
}

TEST(Probe, MissingFileRaisesFileError)
{
    EXPECT_THROW(IsSHPFile(TempPath("no-such-file.shp")), FileError);
}
