// Help and usage errors: what a user sees when the command line is wrong.
#include "cli_harness.h"

#include <gtest/gtest.h>

using namespace clitest;

namespace {

// A usage error: exit status 1, nothing on stdout, one line on stderr naming the problem and
// pointing to the help.
void ExpectUsageError(const std::vector<std::string>& args, const std::string& problem)
{
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.Status, 1) << r.Err;
    EXPECT_EQ(r.Out, "");
    const auto lines = Lines(r.Err);
    ASSERT_EQ(lines.size(), 1u) << r.Err;
    EXPECT_NE(lines[0].find(problem), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].rfind("vantrel-cli: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("(see 'vantrel-cli "), std::string::npos) << lines[0];
}

} // namespace

TEST(CliUsage, ToolHelpListsEveryCommand)
{
    for (const auto& args : {std::vector<std::string>{"--help"}, {"help"}, {"-h"}}) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Err, "");
        for (const char* command : {"info", "render", "export-map", "import-map", "export", "import", "edit",
                                    "convert", "recolour", "report", "zero-test", "probe", "make-test"})
            EXPECT_NE(r.Out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    }
}

TEST(CliUsage, EveryCommandHasItsHelp)
{
    for (const char* command : {"info", "render", "export-map", "import-map", "export", "import", "edit", "convert",
                                "recolour", "report", "zero-test", "probe", "make-test"}) {
        const std::string usage = std::string("Usage: vantrel-cli ") + command;
        const RunResult viaHelp = RunCli({"help", command});
        EXPECT_EQ(viaHelp.Status, 0) << command;
        EXPECT_EQ(viaHelp.Out.rfind(usage, 0), 0u) << command;
        const RunResult viaOption = RunCli({command, "--help"});
        EXPECT_EQ(viaOption.Status, 0) << command;
        EXPECT_EQ(viaOption.Out, viaHelp.Out) << command;
        EXPECT_EQ(viaOption.Err, "");
    }
}

TEST(CliUsage, ReportHelpDocumentsWhereTheSummaryGoes)
{
    const RunResult r = RunCli({"help", "report"});
    EXPECT_NE(r.Out.find("The summary line always goes to stdout"), std::string::npos);
}

TEST(CliUsage, WrongCommandLinesAreUsageErrors)
{
    ExpectUsageError({}, "no command given");
    ExpectUsageError({"paint"}, "unknown command 'paint'");
    ExpectUsageError({"--frobnicate"}, "unknown option '--frobnicate'");
    ExpectUsageError({"help", "paint"}, "unknown command 'paint'");
    ExpectUsageError({"info"}, "missing FILE");
    ExpectUsageError({"info", "a.shp", "--colour"}, "unknown option '--colour'");
    ExpectUsageError({"render", "a.shp"}, "missing option '-o OUT.png'");
    ExpectUsageError({"render", "a.shp", "-o"}, "option '-o' needs a value");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--frame", "abc"}, "needs a whole number, not 'abc'");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--frame", "1.5"}, "needs a whole number");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--frame", "-1"}, "must be from 0 to 65534");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--zoom", "0"}, "must be from 1 to 32");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--luminosity", "51"}, "must be from -50 to 50");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--all", "--sheet"}, "cannot be used together");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--frame", "2", "--all"}, "cannot be used together");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--all", "--all"}, "given more than once");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--all=yes"}, "takes no value");
    ExpectUsageError({"render", "a.shp", "-o", "x.png", "--side-colour", "Mauve"}, "unknown side colour 'Mauve'");
    ExpectUsageError({"render", "a.shp", "b.shp", "-o", "x.png"}, "unexpected argument 'b.shp'");
    ExpectUsageError({"convert", "a.shp"}, "missing IN and OUT");
    ExpectUsageError({"convert", "a.shp", "b.shp", "--compression", "max"}, "unknown compression 'max'");
    ExpectUsageError({"convert", "a.shp", "b.shp", "--layout", "ra2"}, "unknown layout 'ra2'");
    ExpectUsageError({"recolour", "a.shp", "b.shp"}, "missing option '--scheme'");
    ExpectUsageError({"import-map", "a.bmp", "b.shp", "--frame-size", "64"}, "needs WIDTHxHEIGHT");
    ExpectUsageError({"import-map", "a.bmp", "b.shp", "--frame-size", "0x5"}, "needs WIDTHxHEIGHT");
    ExpectUsageError({"import-map", "a.bmp", "b.shp", "--count", "0"}, "must be from 1 to 65535");
    ExpectUsageError({"make-test", "a.shp", "--frames", "65536"}, "must be from 1 to 65535");
    ExpectUsageError({"make-test"}, "missing OUT.shp");
    ExpectUsageError({"report", "a", "b"}, "unexpected argument 'b'");
}

TEST(CliUsage, OptionsTakeBothSpellingsAndDoubleDashEndsThem)
{
    TempDir dir;
    const RunResult eq = RunCli({"make-test", dir / "a.shp", "--frames=4"});
    EXPECT_EQ(eq.Status, 0) << eq.Err;
    const RunResult dashed = RunCli({"make-test", "--frames", "2", "--", dir / "-b.shp"});
    EXPECT_EQ(dashed.Status, 0) << dashed.Err;
    EXPECT_TRUE(Exists(dir / "-b.shp"));
}
