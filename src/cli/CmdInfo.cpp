// info and probe: describing and testing many files.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "Json.h"
#include "SpriteSetup.h"

#include "sprite/FileUtil.h"
#include "sprite/SHP.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

namespace {

constexpr size_t TSFrameHeaderSize = 24;
constexpr size_t TDFrameEntrySize = 8;

struct TFrameInfo {
    int X, Y, CX, CY;
    unsigned Flags;
    TColour24 Radar;
};

// Rectangles as loaded; flags and radar colour as the frame headers hold them.
TFrameInfo DescribeFrame(const TSHP& sprite, int i)
{
    const TSHPFrame& f = sprite.Frames[size_t(i)];
    TFrameInfo info{f.X, f.Y, f.CX, f.CY, 0, {}};
    const std::vector<uint8_t>& raw = sprite.RawFrameHeaders;
    if (sprite.Format == TSHPFormat::TS && (size_t(i) + 1) * TSFrameHeaderSize <= raw.size()) {
        const uint8_t* h = raw.data() + size_t(i) * TSFrameHeaderSize;
        info.Flags = unsigned(h[8] | h[9] << 8);
        info.Radar = {h[12], h[13], h[14]};
    } else if (sprite.Format == TSHPFormat::TD && (size_t(i) + 1) * TDFrameEntrySize <= raw.size())
        info.Flags = raw[size_t(i) * TDFrameEntrySize + 3];
    return info;
}

std::string HexColour(TColour24 c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", unsigned(c.R), unsigned(c.G), unsigned(c.B));
    return buf;
}

std::string JsonNameOrNull(std::string_view name) { return name.empty() ? "null" : JsonString(name); }

std::string NameOrValue(std::string_view name, unsigned value)
{
    return name.empty() ? "unknown (" + std::to_string(value) + ")" : std::string(name);
}

std::string JsonLine(const std::string& path, const TSHP* sprite)
{
    std::string line = "{\"file\":" + JsonString(path);
    if (!sprite)
        return line + ",\"layout\":null,\"width\":null,\"height\":null,\"game\":null,\"type\":null,"
                      "\"theatre\":null,\"palette_trailer\":null,\"frames\":[]}";
    const TSHP& s = *sprite;
    line += ",\"layout\":";
    line += s.Format == TSHPFormat::TD ? "\"td\"" : "\"ts\"";
    line += ",\"width\":" + std::to_string(s.Width) + ",\"height\":" + std::to_string(s.Height);
    line += ",\"game\":" + JsonNameOrNull(GameName(s.Game));
    line += ",\"type\":" + JsonNameOrNull(SHPTypeName(s.SHPType));
    line += ",\"theatre\":" + JsonNameOrNull(TheatreName(s.Theatre));
    line += std::string(",\"palette_trailer\":") + (s.CustomPalette ? "true" : "false");
    line += ",\"frames\":[";
    for (int i = 0; i < s.FrameCount(); ++i) {
        const TFrameInfo f = DescribeFrame(s, i);
        if (i > 0)
            line += ',';
        line += "{\"x\":" + std::to_string(f.X) + ",\"y\":" + std::to_string(f.Y) + ",\"cx\":" + std::to_string(f.CX) +
                ",\"cy\":" + std::to_string(f.CY) + ",\"flags\":" + std::to_string(f.Flags) + ",\"radar\":\"" +
                HexColour(f.Radar) + "\"}";
    }
    return line + "]}";
}

std::string TextLine(const std::string& path, const TSHP& s)
{
    const int n = s.FrameCount();
    return path + ": " + LayoutName(s.Format) + ", " + NameOrValue(GameName(s.Game), unsigned(s.Game)) + ", " +
           NameOrValue(SHPTypeName(s.SHPType), unsigned(s.SHPType)) + ", theatre " +
           NameOrValue(TheatreName(s.Theatre), unsigned(s.Theatre)) + ", " + std::to_string(s.Width) + "x" +
           std::to_string(s.Height) + ", " + std::to_string(n) + (n == 1 ? " frame, " : " frames, ") +
           (s.CustomPalette ? "palette trailer" : "no palette trailer");
}

// One file's line (text or JSON) or error; shp tells whether it was read as an SHP file.
TFileResult DescribeFile(const std::string& path, bool json, bool& shp)
{
    TFileResult result;
    auto sprite = std::make_unique<TSHP>();
    sprite->KeepHeaders = true;
    result = RunCaught("", [&] {
        Reading([&] { sprite->LoadFromFile(path); }, "read " + Quoted(path));
        return std::string();
    });
    if (result.Status != ExitOK)
        return result;
    shp = sprite->Format != TSHPFormat::None;
    if (!shp) {
        result.Status = ExitInput;
        result.Err = ErrorLine(NotSHPMessage(path));
        if (json)
            result.Out = JsonLine(path, nullptr) + "\n";
        return result;
    }
    result.Out = (json ? JsonLine(path, sprite.get()) : TextLine(path, *sprite)) + "\n";
    return result;
}

// "TD/RA1 SHP", "TS/RA2 SHP" or "not an SHP" by the content test.
TFileResult ProbeFile(const std::string& path, const char*& verdict)
{
    return RunCaught("", [&] {
        Reading([&] {
            TFileSource source(path);
            verdict = ProbeTD(source) ? "TD/RA1 SHP" : ProbeTS(source) ? "TS/RA2 SHP" : "not an SHP";
        });
        return path + ": " + verdict + "\n";
    });
}

std::vector<std::string> InputPaths(const std::vector<TBatchInput>& inputs)
{
    std::vector<std::string> paths;
    for (const TBatchInput& input : inputs)
        paths.push_back(input.Path);
    return paths;
}

} // namespace

int CmdInfo(const TArgList& list)
{
    const TArgs args("info", list, WithBatchOptions({{"--json"}}, false));
    args.RequirePositionals(1, SIZE_MAX, "FILE");
    const bool json = args.Has("--json");
    const std::vector<std::string> files = InputPaths(CollectInputs(args));
    std::vector<char> shp(files.size(), 0);
    const int status = RunBatch(files, JobCount(args, files.size()), [&](size_t i) {
        bool isSHP = false;
        TFileResult result = DescribeFile(files[i], json, isSHP);
        shp[i] = isSHP;
        return result;
    });
    const size_t good = size_t(std::count(shp.begin(), shp.end(), 1));
    if (!json)
        WriteStdout(std::to_string(files.size()) + " file(s): " + std::to_string(good) + " SHP, " +
                    std::to_string(files.size() - good) + " not readable as SHP\n");
    return status;
}

int CmdProbe(const TArgList& list)
{
    const TArgs args("probe", list, BatchOptions(false));
    args.RequirePositionals(1, SIZE_MAX, "FILE");
    const std::vector<std::string> files = InputPaths(CollectInputs(args));
    std::vector<const char*> verdicts(files.size(), nullptr);
    const int status = RunBatch(files, JobCount(args, files.size()),
                                [&](size_t i) { return ProbeFile(files[i], verdicts[i]); });
    size_t td = 0, ts = 0, no = 0, unreadable = 0;
    for (const char* verdict : verdicts) {
        const std::string v = verdict ? verdict : "";
        (v == "TD/RA1 SHP" ? td : v == "TS/RA2 SHP" ? ts : v.empty() ? unreadable : no)++;
    }
    WriteStdout(std::to_string(files.size()) + " file(s) probed: " + std::to_string(td) + " TD/RA1, " +
                std::to_string(ts) + " TS/RA2, " + std::to_string(no) + " not SHP, " + std::to_string(unreadable) +
                " unreadable\n");
    return no + unreadable ? std::max(status, int(ExitInput)) : status;
}

} // namespace vantrel::cli
