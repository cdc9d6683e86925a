// info and probe: describing and testing many files.
#include "CliCore.h"
#include "Commands.h"
#include "Json.h"
#include "SpriteSetup.h"

#include "sprite/FileUtil.h"
#include "sprite/SHP.h"

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

} // namespace

int CmdInfo(const TArgList& list)
{
    const TArgs args("info", list, {{"--json"}});
    args.RequirePositionals(1, SIZE_MAX, "FILE");
    const bool json = args.Has("--json");
    const auto& files = args.Positionals();
    int failed = 0;
    TProgress progress;
    for (size_t i = 0; i < files.size(); ++i) {
        progress.Show(i, files.size(), files[i]);
        auto sprite = std::make_unique<TSHP>();
        sprite->KeepHeaders = true;
        try {
            Reading([&] { sprite->LoadFromFile(files[i]); }, "read " + Quoted(files[i]));
        } catch (const TCliError& e) {
            progress.Clear();
            PrintError(e.what());
            ++failed;
            continue;
        }
        std::string line;
        if (sprite->Format == TSHPFormat::None) {
            progress.Clear();
            PrintError(NotSHPMessage(files[i]));
            ++failed;
            if (!json)
                continue;
            line = JsonLine(files[i], nullptr);
        } else
            line = json ? JsonLine(files[i], sprite.get()) : TextLine(files[i], *sprite);
        progress.Clear();
        WriteStdout(line + "\n");
    }
    progress.Clear();
    if (!json)
        WriteStdout(std::to_string(files.size()) + " file(s): " + std::to_string(files.size() - size_t(failed)) +
                    " SHP, " + std::to_string(failed) + " not readable as SHP\n");
    return failed ? ExitInput : ExitOK;
}

int CmdProbe(const TArgList& list)
{
    const TArgs args("probe", list, {});
    args.RequirePositionals(1, SIZE_MAX, "FILE");
    const auto& files = args.Positionals();
    size_t td = 0, ts = 0, no = 0, unreadable = 0;
    TProgress progress;
    for (size_t i = 0; i < files.size(); ++i) {
        progress.Show(i, files.size(), files[i]);
        const char* verdict = nullptr;
        try {
            Reading([&] {
                TFileSource source(files[i]);
                verdict = ProbeTD(source) ? "TD/RA1 SHP" : ProbeTS(source) ? "TS/RA2 SHP" : "not an SHP";
            });
        } catch (const TCliError& e) {
            progress.Clear();
            PrintError(e.what());
            ++unreadable;
            continue;
        }
        const std::string v = verdict;
        (v == "TD/RA1 SHP" ? td : v == "TS/RA2 SHP" ? ts : no)++;
        progress.Clear();
        WriteStdout(files[i] + ": " + v + "\n");
    }
    progress.Clear();
    WriteStdout(std::to_string(files.size()) + " file(s) probed: " + std::to_string(td) + " TD/RA1, " +
                std::to_string(ts) + " TS/RA2, " + std::to_string(no) + " not SHP, " + std::to_string(unreadable) +
                " unreadable\n");
    return no + unreadable ? ExitInput : ExitOK;
}

} // namespace vantrel::cli
