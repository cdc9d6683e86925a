// Replays the inputs that once broke a fuzz target through the same checks the fuzzers run.
// Each input is kept as hex text in data/regressions/<target>/*.hex ('#' starts a comment).
#include "../../fuzz/FuzzChecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vantrel;

namespace {

std::vector<uint8_t> ReadHex(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::vector<uint8_t> bytes;
    std::string line;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        std::string digits;
        for (char c : line)
            if (std::isxdigit(static_cast<unsigned char>(c)))
                digits += c;
        for (size_t k = 0; k + 1 < digits.size(); k += 2)
            bytes.push_back(uint8_t(std::stoi(digits.substr(k, 2), nullptr, 16)));
    }
    return bytes;
}

} // namespace

TEST(FuzzRegressions, EveryKeptInputPassesItsTargetsCheck)
{
    const std::filesystem::path root = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "regressions";
    int replayed = 0;
    for (const fuzz::TTarget& target : fuzz::Targets) {
        const std::filesystem::path folder = root / target.Name;
        if (!std::filesystem::is_directory(folder))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() != ".hex")
                continue;
            SCOPED_TRACE(entry.path().string());
            const std::vector<uint8_t> input = ReadHex(entry.path());
            EXPECT_NO_THROW(target.Check(input));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

TEST(FuzzRegressions, ATinyFileCannotAskForAHugeCanvasWithoutFrameData)
{
    // 65280 x 65535 pixels, one frame whose data offset lies past the end of the file.
    std::vector<uint8_t> file = {0, 0, 0x00, 0xFF, 0xFF, 0xFF, 1, 0};
    file.resize(8 + 24, 0);
    file[8 + 20] = 0xFF;
    TSHP sprite;
    EXPECT_THROW(sprite.LoadFromMemory(file), SHPError);
    EXPECT_EQ(sprite.Format, TSHPFormat::None);
    EXPECT_EQ(sprite.FrameCount(), 0);
}
