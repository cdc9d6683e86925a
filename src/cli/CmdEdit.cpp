// edit: frame operations and canvas changes applied to an SHP file in the order given.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/ImageFormats.h"
#include "sprite/FileUtil.h"
#include "sprite/FrameEdit.h"
#include "sprite/WorkBudget.h"

#include <array>

namespace vantrel::cli {

namespace {

enum class TOpKind { Delete, Duplicate, Move, Reverse, Insert, Resize, Crop };

struct TOpSpec {
    const char* Name;
    TOpKind Kind;
    bool TakesValue;
};

constexpr std::array<TOpSpec, 7> OpSpecs{{
    {"--delete", TOpKind::Delete, true},
    {"--duplicate", TOpKind::Duplicate, true},
    {"--move", TOpKind::Move, true},
    {"--reverse", TOpKind::Reverse, false},
    {"--insert", TOpKind::Insert, true},
    {"--resize", TOpKind::Resize, true},
    {"--crop", TOpKind::Crop, false},
}};

struct TEditOp {
    TOpKind Kind = TOpKind::Crop;
    std::string Text; // the option and its value, for messages: "--delete 20"
    std::vector<int> Frames;
    int Position = 0;
    std::string File;
    TAnchor Anchor = TAnchor::Centre;
    int Width = 0;
    int Height = 0;
};

std::vector<TOptionSpec> SettingSpecs()
{
    std::vector<TOptionSpec> specs{
        {"--no-shadow-pairing"}, {"--layout", true}, {"--compression", true}, {"--keep-palette"}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    return WithBatchOptions(specs);
}

const TOpSpec* FindOp(std::string_view name)
{
    for (const TOpSpec& op : OpSpecs)
        if (name == op.Name)
            return &op;
    return nullptr;
}

[[noreturn]] void Bad(const std::string& problem) { ThrowUsage("edit", problem); }

std::vector<int> FrameList(std::string_view text, const char* option)
{
    const auto frames = ParseFrameList(text);
    if (!frames)
        Bad("invalid frame list '" + std::string(text) + "' for " + option +
            " (frame numbers from 0 and ranges, like 3,5-7)");
    return *frames;
}

int Position(std::string_view text, const std::string& what)
{
    const auto value = ParseInteger(text);
    if (!value || text.empty() || text[0] == '+' || text[0] == '-' || *value > 65535)
        Bad("invalid position '" + std::string(text) + "' in " + what + " (a frame number from 0)");
    return int(*value);
}

TAnchor Anchor(std::string_view text, const std::string& what)
{
    const auto anchor = ParseAnchor(text);
    if (!anchor)
        Bad("unknown anchor '" + std::string(text) + "' in " + what +
            " (top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right)");
    return *anchor;
}

TEditOp ParseOp(const TOpSpec& option, const std::string& value)
{
    TEditOp op;
    op.Kind = option.Kind;
    op.Text = std::string(option.Name) + (option.TakesValue ? " " + value : "");
    switch (option.Kind) {
    case TOpKind::Delete:
    case TOpKind::Duplicate:
        op.Frames = FrameList(value, option.Name);
        break;
    case TOpKind::Move: {
        const size_t colon = value.rfind(':');
        if (colon == std::string::npos)
            Bad("--move needs FROM:TO (like 3,5-7:0), not '" + value + "'");
        op.Frames = FrameList(value.substr(0, colon), option.Name);
        op.Position = Position(value.substr(colon + 1), op.Text);
        break;
    }
    case TOpKind::Insert: {
        const size_t at = value.rfind('@');
        if (at == std::string::npos || at == 0)
            Bad("--insert needs FILE@POSITION[:ANCHOR], not '" + value + "'");
        op.File = value.substr(0, at);
        const std::string where = value.substr(at + 1);
        const size_t colon = where.find(':');
        op.Position = Position(where.substr(0, colon), op.Text);
        if (colon != std::string::npos)
            op.Anchor = Anchor(where.substr(colon + 1), op.Text);
        break;
    }
    case TOpKind::Resize: {
        const size_t colon = value.find(':');
        if (!ParseFrameSize(value.substr(0, colon), op.Width, op.Height))
            Bad("invalid canvas size '" + value.substr(0, colon) + "' in " + op.Text +
                " (WIDTHxHEIGHT from 1x1 to 65535x65535)");
        if (colon != std::string::npos)
            op.Anchor = Anchor(value.substr(colon + 1), op.Text);
        break;
    }
    case TOpKind::Reverse:
    case TOpKind::Crop:
        break;
    }
    return op;
}

// The operations in the order given, and the other arguments for TArgs.
void SplitOperations(const TArgList& list, std::vector<TEditOp>& ops, TArgList& rest)
{
    const std::vector<TOptionSpec> settings = SettingSpecs();
    bool ended = false;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string& a = list[i];
        if (ended || a == "--") {
            ended = true;
            rest.push_back(a);
            continue;
        }
        const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, eq);
        if (const TOpSpec* op = FindOp(name)) {
            std::string value;
            if (eq != std::string::npos) {
                if (!op->TakesValue)
                    Bad("option '" + name + "' takes no value");
                value = a.substr(eq + 1);
            } else if (op->TakesValue) {
                if (i + 1 >= list.size())
                    Bad("option '" + name + "' needs a value");
                value = list[++i];
            }
            ops.push_back(ParseOp(*op, value));
            continue;
        }
        rest.push_back(a);
        for (const TOptionSpec& s : settings)
            if (s.TakesValue && eq == std::string::npos && name == s.Name && i + 1 < list.size())
                rest.push_back(list[++i]);
    }
}

struct TEditRun {
    const TArgs& Args;
    std::string Input;
    bool Pairing = true;
    bool PaletteChosen = false;
    TMatchStats Matching;
};

void Insert(TSHP& sprite, const TEditOp& op, TEditRun& run)
{
    const bool picture = !IsSHPExtension(ExtractFileExt(op.File));
    if (picture && !run.PaletteChosen) {
        ChoosePalette(sprite, run.Args); // inserted pictures are matched to the palette the sprite is drawn with
        run.PaletteChosen = true;
    }
    TFrameSource source;
    TMatchStats stats;
    ReadingPictures([&] { source = ReadInsertSource(op.File, nullptr, sprite, stats); }, "read " + Quoted(op.File));
    run.Matching.Add(stats);
    InsertFrames(sprite, source, op.Position, op.Anchor, run.Pairing);
}

void Apply(TSHP& sprite, const TEditOp& op, TEditRun& run)
{
    try {
        switch (op.Kind) {
        case TOpKind::Delete:
            DeleteFrames(sprite, op.Frames, run.Pairing);
            break;
        case TOpKind::Duplicate:
            DuplicateFrames(sprite, op.Frames, run.Pairing);
            break;
        case TOpKind::Move:
            MoveFrames(sprite, op.Frames, op.Position, run.Pairing);
            break;
        case TOpKind::Reverse:
            ReverseFrames(sprite, {}, run.Pairing);
            break;
        case TOpKind::Insert:
            Insert(sprite, op, run);
            break;
        case TOpKind::Resize:
            RequireWithinBudget("resize", run.Input, FramesText(sprite) + " to " + std::to_string(op.Width) + " x " +
                                                         std::to_string(op.Height),
                                0, 0, uint64_t(sprite.FrameCount()) * uint64_t(op.Width) * uint64_t(op.Height));
            ResizeCanvas(sprite, op.Width, op.Height, op.Anchor);
            break;
        case TOpKind::Crop:
            CropCanvas(sprite);
            break;
        }
    } catch (const EditError& e) {
        Bad(op.Text + ": " + e.what());
    } catch (const std::bad_alloc&) {
        ThrowInput(op.Text + ": not enough memory");
    }
}

// One file's work: load, apply every operation in order, save. Returns the line that describes
// the output.
std::string EditFile(const std::string& input, const std::string& output, const std::vector<TEditOp>& ops,
                     TEditRun& run)
{
    const TArgs& args = run.Args;
    const auto sprite = LoadSprite(input);
    const bool hadTrailer = sprite->CustomPalette;
    ApplyGameAndType(*sprite, args);
    for (const TEditOp& op : ops)
        Apply(*sprite, op, run);
    const bool keepPalette = args.Has("--keep-palette");
    if (keepPalette && !run.PaletteChosen)
        ChoosePalette(*sprite, args);
    sprite->SavePalette = keepPalette || hadTrailer;
    sprite->CompressionMode = ParseCompression(args);
    const TSHPFormat layout = ParseLayout(args).value_or(sprite->Format);
    if (layout == TSHPFormat::TD && args.Has("--compression"))
        args.Fail("option '--compression' applies to the TS/RA2 layout only");
    if (layout == TSHPFormat::TD)
        RequireWithinBudget("edit", input, FramesText(*sprite) + " in the TD/RA1 layout", 0, 0,
                            uint64_t(sprite->FrameCount()) * uint64_t(sprite->Width) * uint64_t(sprite->Height), 1,
                            TDEncodingWeight);
    SaveSprite(*sprite, output, layout);
    std::string line = output + ": " + std::to_string(sprite->FrameCount()) + " frame(s) of " +
                       std::to_string(sprite->Width) + " x " + std::to_string(sprite->Height);
    if (run.Matching.InexactPixels > 0)
        line += ", inserted " + MatchSummary(run.Matching);
    return line + "\n";
}

} // namespace

int CmdEdit(const TArgList& list)
{
    std::vector<TEditOp> ops;
    TArgList rest;
    SplitOperations(list, ops, rest);
    const TArgs args("edit", rest, SettingSpecs());
    RequireFiles(args, "INPUT and OUTPUT");
    if (ops.empty())
        args.Fail("no operation given (--delete, --duplicate, --move, --reverse, --insert, --resize or --crop)");
    ParseCompression(args);
    ParseLayout(args);
    UseDataFolder(args);
    return RunFiles(args, "", [&](const std::string& input, const std::string& output) {
        TEditRun run{args, input, !args.Has("--no-shadow-pairing"), false, {}};
        return EditFile(input, output, ops, run);
    });
}

} // namespace vantrel::cli
