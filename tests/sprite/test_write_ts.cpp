#include "write_support.h"

#include <gtest/gtest.h>

#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace vantrel;
using namespace writetest;

namespace {

// Sets the pixels of frame i (the whole canvas) and shrinks its rectangle to them.
void Paint(TSHP& s, int i, const Bytes& pixels)
{
    std::memcpy(s.Frames[size_t(i)].Data.get(), pixels.data(), pixels.size());
    s.UpdateFrameBounds(i);
}

uint32_t Flags(const Bytes& file, int i) { return Get16(&file[8 + 24 * size_t(i) + 8]); }
uint32_t Offset(const Bytes& file, int i) { return Get32(&file[8 + 24 * size_t(i) + 20]); }
Bytes Radar(const Bytes& file, int i) { return Bytes(&file[8 + 24 * size_t(i) + 12], &file[8 + 24 * size_t(i) + 16]); }

// A 4 x 2 canvas: frame 0 is (1, 0, 2 x 2) holding 5 5 / 0 9, frame 1 is all transparent.
void MakeSmallSprite(TSHP& s)
{
    s.AddFrames(2, 4, 2);
    Paint(s, 0, {0, 5, 5, 0, 0, 0, 9, 0});
    s.UpdateFrameBounds(1);
}

} // namespace

TEST(WriteTS, SmallFileExactly)
{
    TSHP s;
    MakeSmallSprite(s);
    s.ForcedFlags = 4 | 2;
    Bytes expected = {
        0, 0, 4, 0, 2, 0, 2, 0,                                                   // file header
        1, 0, 0, 0, 2, 0, 2, 0, 5, 0, 0, 0, 5, 5, 5, 0, 0, 0, 0, 0, 56, 0, 0, 0, // raw, greys 4 4 8
        0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // empty
        5, 5, 0, 9};
    EXPECT_EQ(s.SaveToMemory(), expected);

    s.CompressionMode = 2;
    expected[16] = 7; // forced 4, index 0 inside, line-encoded
    expected.resize(56);
    expected.insert(expected.end(), {4, 0, 5, 5, 5, 0, 0, 1, 9});
    EXPECT_EQ(s.SaveToMemory(), expected);

    s.SavePalette = true;
    s.Game = TSHPGame::RA2;
    s.SHPType = TSHPType::Cameo;
    s.Palette[3] = MakeColour(10, 20, 30);
    const Bytes withTrailer = s.SaveToMemory();
    ASSERT_EQ(withTrailer.size(), expected.size() + 778);
    EXPECT_EQ(Bytes(withTrailer.begin() + 65 + 9, withTrailer.begin() + 65 + 12), (Bytes{30, 20, 10}));
    EXPECT_EQ(Bytes(withTrailer.end() - 10, withTrailer.end()), (Bytes{3, 5, 0, 0, 0, 'E', 'X', 'T', 'R', 'A'}));
    EXPECT_FALSE(s.CustomPalette) << "building the bytes changes nothing";
    Bytes out;
    s.WriteTS(out);
    EXPECT_EQ(out, withTrailer);
    EXPECT_TRUE(s.CustomPalette);
}

TEST(WriteTS, LineEncodingOfRows)
{
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes{0, 0, 5, 0}.data(), 4, 1), (Bytes{7, 0, 0, 2, 5, 0, 1}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes(300, 0).data(), 300, 1), (Bytes{6, 0, 0, 255, 0, 45}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes(255, 0).data(), 255, 1), (Bytes{4, 0, 0, 255}));
    EXPECT_EQ(TSHP::EncodeTSCompressed(Bytes{1, 2, 0, 0}.data(), 2, 2), (Bytes{4, 0, 1, 2, 4, 0, 0, 2}));
}

TEST(WriteTS, CompressionModes)
{
    TSHP s;
    s.AddFrames(10, 4, 1);
    for (int i = 0; i < 10; ++i)
        std::memcpy(s.Frames[size_t(i)].Data.get(), (i % 2 ? Bytes{0, 0, 5, 0} : Bytes{6, 6, 6, 6}).data(), 4);
    auto encoded = [&](uint8_t mode) {
        s.CompressionMode = mode;
        const Bytes file = s.SaveToMemory();
        std::string which;
        for (int i = 0; i < 10; ++i)
            which += Flags(file, i) & 2 ? 'E' : 'r';
        return which;
    };
    EXPECT_EQ(encoded(0), "rrrrrrrrrr"); // 0 0 5 0 takes 7 bytes encoded, 6 6 6 6 takes 6
    EXPECT_EQ(encoded(1), "EEEEErrrrr");
    EXPECT_EQ(encoded(2), "EEEEEEEEEE");
    EXPECT_EQ(encoded(3), "rrrrrrrrrr");
    s.CompressionMode = 2;
    const Bytes all = s.SaveToMemory();
    EXPECT_EQ(Bytes(all.begin() + 248 + 6, all.begin() + 248 + 13), (Bytes{7, 0, 0, 2, 5, 0, 1}));
    for (int i = 0; i < 10; ++i)
        Paint(s, i, {0, 0, 0, uint8_t(i % 3)}); // a pixel or nothing: raw is smaller
    EXPECT_EQ(encoded(0), "rrrrrrrrrr");
}

TEST(WriteTS, EmptyFramesHaveNoData)
{
    TSHP s;
    s.AddFrames(4, 3, 3);
    for (int i = 0; i < 4; ++i)
        Paint(s, i, i == 2 ? Bytes(9, 0) : Bytes{0, 0, 0, 0, uint8_t(i + 1), 0, 0, 0, 0});
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(Offset(file, 0), 104u);
    EXPECT_EQ(Offset(file, 1), 105u);
    EXPECT_EQ(Offset(file, 2), 0u);
    EXPECT_EQ(Offset(file, 3), 106u);
    EXPECT_EQ(Bytes(file.begin() + 104, file.end()), (Bytes{1, 2, 4}));
}

TEST(WriteTS, FlagsAndRadarColour)
{
    TSHP s;
    s.AddFrames(3, 3, 2); // frame 0: only index 0 in its rectangle
    s.SetRadarColour(0, 0xFFFFFF);
    Paint(s, 1, {1, 2, 0, 0, 0, 0});
    s.Palette[1] = MakeColour(10, 0, 255);
    s.Palette[2] = MakeColour(21, 100, 0);
    s.Frames[2].Data.reset(); // rectangle without Data, as after a HeadersOnly load: index 0
    s.ForcedFlags = 0xFFFF & ~1;
    s.CompressionMode = 3;
    const Bytes file = s.SaveToMemory();
    EXPECT_EQ(Flags(file, 0), 0xFFFDu) << "bit 1 never comes from ForcedFlags";
    EXPECT_EQ(Flags(file, 1), 0xFFFCu);
    EXPECT_EQ(Flags(file, 2), 0xFFFDu);
    EXPECT_EQ(Radar(file, 0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Radar(file, 1), (Bytes{127, 50, 15, 0}));
    EXPECT_EQ(Bytes(file.end() - 6, file.end()), Bytes(6, 0));
    s.CompressionMode = 2;
    const Bytes encoded = s.SaveToMemory();
    EXPECT_EQ(Bytes(encoded.end() - 8, encoded.end()), (Bytes{4, 0, 0, 3, 4, 0, 0, 3}));

    for (const auto& [pixels, grey] : {std::pair{2550, 100}, std::pair{2551, 200}, std::pair{5100, 100}}) {
        TSHP t; // averaged in batches of 2550 pixels
        t.AddFrames(1, pixels, 1);
        std::memset(t.Frames[0].Data.get(), 1, size_t(pixels));
        t.Palette[1] = MakeColour(100, 100, 100);
        EXPECT_EQ(t.AverageColour(0), MakeColour(uint8_t(grey), uint8_t(grey), uint8_t(grey))) << pixels;
    }
}

TEST(WriteTS, RowTooLongForItsLengthIsStoredRaw)
{
    TSHP s;
    s.AddFrames(1, 65535, 1);
    for (int x = 1; x < 65535; x += 2)
        s.Frames[0].Data[size_t(x)] = 7; // 0 7 0 7 ...: three bytes for every two pixels encoded
    EXPECT_THROW(TSHP::EncodeTSCompressed(s.Frames[0].Data.get(), 65535, 1), SHPError);
    for (uint8_t mode : {0, 1, 2}) {
        s.CompressionMode = mode;
        const Bytes file = s.SaveToMemory();
        EXPECT_EQ(Flags(file, 0), 1u) << int(mode);
        EXPECT_EQ(file.size(), 32u + 65535u);
    }
}

TEST(WriteTS, RefusesWhatTheFieldsCannotHold)
{
    TSHP s;
    s.Format = TSHPFormat::TS;
    EXPECT_THROW(s.SaveToMemory(), SHPError) << "no frames";
    s.Frames.resize(1); // a sprite without canvas, as the reader makes of 00 00 00 00 00 00 01 00
    Bytes expected(32, 0);
    expected[6] = 1;
    EXPECT_EQ(s.SaveToMemory(), expected);
    s.Frames.resize(2);
    EXPECT_THROW(s.SaveToMemory(), SHPError) << "two frames without canvas";

    TSHP wide;
    wide.AddFrames(1, 65536, 1);
    EXPECT_THROW(wide.SaveToMemory(), SHPError);
    EXPECT_THROW(wide.SaveToMemory(TSHPFormat::TD), SHPError);

    TSHP outside;
    outside.AddFrames(1, 4, 4);
    outside.Frames[0].X = 3;
    outside.Frames[0].CX = 2;
    try {
        outside.SaveToMemory();
        FAIL();
    } catch (const SHPError& e) {
        EXPECT_NE(std::string(e.what()).find("does not lie inside the 4 x 4 canvas"), std::string::npos) << e.what();
    }

    TSHP huge; // 2 x 65535 x 65535 raw bytes pass 4 GiB; refused before anything is allocated
    huge.Format = TSHPFormat::TS;
    huge.Width = huge.Height = 65535;
    huge.Frames.resize(2);
    for (TSHPFrame& f : huge.Frames)
        f.CX = f.CY = 65535;
    huge.CompressionMode = 3;
    EXPECT_THROW(huge.SaveToMemory(), SHPError);
}

TEST(WriteTS, StreamAndLayoutChoice)
{
    TSHP s;
    MakeSmallSprite(s);
    const Bytes file = s.SaveToMemory();
    s.Format = TSHPFormat::TD; // loaded from a TD/RA1 file: saved as TS/RA2 all the same
    EXPECT_EQ(s.SaveToMemory(), file);
    EXPECT_THROW(s.SaveToMemory(TSHPFormat::None), SHPError);

    std::ostringstream out;
    out << "prefix";
    s.SaveToStream(out);
    const std::string text = out.str();
    EXPECT_EQ(Bytes(text.begin() + 6, text.end()), file) << "offsets count from the sprite's start";
    EXPECT_TRUE(s.IsSaved && s.HasFile);
    EXPECT_EQ(s.FileName, "unknown.shp");

    TSHP t;
    MakeSmallSprite(t);
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_THROW(t.SaveToStream(broken), FileError);
    EXPECT_FALSE(t.IsSaved || t.HasFile);
}

TEST(SaveToFile, ReplacesTheTargetAndMarksTheSprite)
{
    TTempDir dir;
    TSHP s;
    MakeSmallSprite(s);
    s.SavePalette = true;
    const std::string name = dir.File("out.shp");
    WriteBytes(name, Bytes(5000, 0xAB));
    s.SaveToFile(name);
    EXPECT_EQ(ReadBytes(name), s.SaveToMemory());
    EXPECT_EQ(s.FileName, name);
    EXPECT_TRUE(s.IsSaved && s.HasFile && s.CustomPalette);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 1) << "no temporary file is left";
}

TEST(SaveToFile, RefusalsAndFailuresLeaveTheTargetIntact)
{
    TTempDir dir;
    const std::string name = dir.File("keep.shp");
    const Bytes original = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto expectRefused = [&](TSHP& s, TSHPFormat layout, const std::string& target, const char* what) {
        WriteBytes(name, original);
        s.FileName = "before.shp";
        EXPECT_ANY_THROW(s.SaveToFile(target, layout)) << what;
        EXPECT_EQ(ReadBytes(name), original) << what;
        EXPECT_EQ(s.FileName, "before.shp") << what;
        EXPECT_FALSE(s.IsSaved || s.HasFile) << what;
    };

    TSHP oneFrame;
    MakeSmallSprite(oneFrame);
    oneFrame.OneFrameLoad = true;
    try {
        oneFrame.SaveToFile(name);
        FAIL();
    } catch (const AssertionError& e) {
        EXPECT_STREQ(e.what(), "Can not save a SHP with OneFrameLoad enabled....");
    }
    expectRefused(oneFrame, TSHPFormat::TS, name, "OneFrameLoad");

    TSHP none;
    none.Width = none.Height = 2;
    none.Frames.resize(1);
    EXPECT_THROW(none.SaveToMemory(), SHPError);
    expectRefused(none, TSHPFormat::TS, name, "Format None");

    TSHP many;
    many.AddFrames(65536, 1, 1);
    expectRefused(many, TSHPFormat::TS, name, "65536 frames");
    expectRefused(many, TSHPFormat::TD, name, "65536 frames in TD");

    TSHP fine;
    MakeSmallSprite(fine);
    try {
        fine.SaveToFile(dir.File("no-such-folder") + "/x.shp");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("x.shp"), std::string::npos) << e.what();
    }
    EXPECT_EQ(fine.FileName, "unknown.shp");
    EXPECT_FALSE(fine.IsSaved || fine.HasFile);

#ifndef _WIN32
    if (geteuid() != 0) { // root writes into read-only folders
        std::filesystem::permissions(dir.Path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        expectRefused(fine, TSHPFormat::TS, name, "read-only folder");
        std::filesystem::permissions(dir.Path, std::filesystem::perms::owner_all);
    }
#endif
}

TEST(SaveToFile, EveryAllowedNameCanBeWritten)
{
    TTempDir dir;
    TSHP s;
    MakeSmallSprite(s);
    const std::string name = dir.File(std::string(251, 'n') + ".shp"); // 255 bytes, the most a name may have
    std::string accents;
    for (int i = 0; i < 125; ++i)
        accents += "\xC3\xA9"; // the temporary name cuts this one between two characters
    const std::string multiByte = dir.File(accents + ".shp");
    for (const std::string& target : {name, multiByte}) {
        s.SaveToFile(target);
        EXPECT_EQ(ReadBytes(target), s.SaveToMemory());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 2) << "no temporary file is left";
}

#ifndef _WIN32
TEST(SaveToFile, LinksAreFollowedAndPipesDevicesAndReadOnlyFilesRefused)
{
    namespace fs = std::filesystem;
    TTempDir dir;
    TSHP s;
    MakeSmallSprite(s);
    const std::string real = dir.File("real.shp");
    WriteBytes(real, {1, 2, 3});
    fs::create_directory(dir.Path / "links");
    fs::create_symlink("../real.shp", dir.Path / "links" / "link.shp");
    s.SaveToFile(dir.File("links/link.shp"));
    EXPECT_TRUE(fs::is_symlink(dir.Path / "links" / "link.shp"));
    EXPECT_EQ(ReadBytes(real), s.SaveToMemory());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path / "links"), {}), 1);

    auto expectRefused = [&](const std::string& target, const std::string& reason) {
        try {
            s.SaveToFile(target);
            ADD_FAILURE() << target << " was written";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + target + "\": " + reason), std::string::npos) << e.what();
        }
    };
    const std::string pipe = dir.File("pipe.shp");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    expectRefused(pipe, "it is a pipe");
    EXPECT_TRUE(fs::is_fifo(pipe));
    expectRefused("/dev/null", "it is a device");
    expectRefused(dir.File("links"), "it is a folder");
    const std::string locked = dir.File("locked.shp");
    WriteBytes(locked, {7});
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    expectRefused(locked, "the file is read-only");
    EXPECT_EQ(ReadBytes(locked), Bytes{7});
}

// A save ended by a signal takes its temporary file with it; the target is untouched.
TEST(SaveToFile, EndedBySignalLeavesNoTemporaryFile)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TTempDir dir;
        const std::string target = dir.File("out.shp");
        WriteBytes(target, {1, 2, 3});
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TAtomicFile file(target);
            file.Write(Bytes(1 << 20, 9));
            const bool temporaryThere = std::filesystem::exists(file.TemporaryPath());
            kill(getpid(), signal);
            _exit(temporaryThere ? 0 : 1); // reached only when the signal did not end the process
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ", status " << status;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 1) << "signal " << signal;
        EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
    }
}
// A new file is seen under no name until it is complete, keeps its place when another file takes
// its name meanwhile, and leaves nothing behind however the process ends.
TEST(SaveToFile, NewFilesAppearWholeUnderTheirNameOnly)
{
    TTempDir dir;
    const auto count = [&] { return std::distance(std::filesystem::directory_iterator(dir.Path), {}); };
    const std::string target = dir.File("new.shp");
    {
        TAtomicFile file(target);
        file.Write(Bytes(1000, 5));
        if (!file.TemporaryPath().empty())
            GTEST_SKIP() << "files without a name are not available here";
        EXPECT_EQ(count(), 0);
        file.Close(false);
        EXPECT_EQ(count(), 0);
        WriteBytes(target, {1}); // taken meanwhile: still replaced
        file.Replace();
    }
    EXPECT_EQ(ReadBytes(target), Bytes(1000, 5));
    EXPECT_EQ(count(), 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAtomicFile file(dir.File("killed.shp"));
        file.Write(Bytes(1 << 20, 9));
        kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(count(), 1);
}
#endif
