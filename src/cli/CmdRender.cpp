// render: frames to PNG pictures.
#include "Batch.h"
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"
#include "sprite/SpriteSheet.h"
#include "sprite/WorkBudget.h"

#include <cstring>
#include <new>
#include <vector>

namespace vantrel::cli {

namespace {

struct TRenderSettings {
    bool DrawShadows = false;
    int Zoom = 1;
    QImage Background; // null: none
};

// How a render is asked for: one frame, every frame to a file of its own, or the sheet.
struct TRenderJob {
    enum { One, All, Sheet } Kind = One;
    int Frame = 0;
};

bool DrawnOverShadow(const TSHP& sprite, int frame, const TRenderSettings& settings)
{
    return settings.DrawShadows && sprite.HasShadowFrames() && frame >= 0 && frame < sprite.FrameCount() / 2;
}

// The picture of one frame at the canvas size: the frame (over its shadow frame), blended over
// the tiled background when there is one. A frame of -1 gives the background alone.
QImage ComposeFrame(TSHP& sprite, int frame, const TRenderSettings& settings)
{
    QImage image;
    if (frame >= 0)
        image = FrameToPNG(sprite, frame, settings.DrawShadows);
    if (settings.Background.isNull()) {
        if (image.isNull()) {
            image = QImage(sprite.Width, sprite.Height, QImage::Format_ARGB32);
            if (image.isNull())
                throw std::bad_alloc();
            image.fill(0);
        }
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    QImage canvas = MakeCheckerBackground(sprite.Width, sprite.Height).convertToFormat(QImage::Format_RGB32);
    TileBackground(canvas, settings.Background);
    if (!image.isNull())
        BlendOver(canvas, image.convertToFormat(QImage::Format_ARGB32));
    return canvas.convertToFormat(QImage::Format_RGB32);
}

// A PNG file written from rows at the canvas scale, every pixel repeated zoom times in both
// directions.
class TZoomedPNG {
public:
    TZoomedPNG(const std::string& path, int width, int height, int zoom, bool alpha)
        : Writer(path, width * zoom, height * zoom, alpha), Zoom(zoom), Row(size_t(width) * size_t(zoom))
    {
    }
    void Put(const QRgb* row)
    {
        const QRgb* in = row;
        if (Zoom > 1) {
            for (size_t x = 0; x < Row.size(); ++x)
                Row[x] = row[x / size_t(Zoom)];
            in = Row.data();
        }
        for (int k = 0; k < Zoom; ++k)
            Writer.WriteRow(in);
    }
    void Finish() { Writer.Finish(); }

private:
    TPNGWriter Writer;
    int Zoom;
    std::vector<QRgb> Row;
};

void WritePicture(const QImage& image, const std::string& path, int zoom)
{
    TZoomedPNG png(path, image.width(), image.height(), zoom, image.hasAlphaChannel());
    for (int y = 0; y < image.height(); ++y)
        png.Put(reinterpret_cast<const QRgb*>(image.constScanLine(y)));
    png.Finish();
}

// The sheet, one row of cells at a time: the working memory is a row of cells and one frame.
void WriteSheet(TSHP& sprite, const TRenderSettings& settings, const std::string& path)
{
    const TSheetGrid grid = SheetGrid(sprite.FrameCount());
    const bool alpha = settings.Background.isNull();
    TZoomedPNG png(path, grid.Columns * sprite.Width, grid.Rows * sprite.Height, settings.Zoom, alpha);
    QImage band(grid.Columns * sprite.Width, sprite.Height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (band.isNull())
        throw std::bad_alloc();
    const size_t cellBytes = size_t(sprite.Width) * 4;
    for (int row = 0; row < grid.Rows; ++row) {
        band.fill(0);
        for (int column = 0; column < grid.Columns; ++column) {
            const int cell = row * grid.Columns + column;
            const int frame = cell < sprite.FrameCount() ? cell : -1;
            if (frame < 0 && alpha)
                continue;
            const QImage image = ComposeFrame(sprite, frame, settings);
            for (int y = 0; y < sprite.Height; ++y)
                std::memcpy(band.scanLine(y) + size_t(column) * cellBytes, image.constScanLine(y), cellBytes);
        }
        for (int y = 0; y < sprite.Height; ++y)
            png.Put(reinterpret_cast<const QRgb*>(band.constScanLine(y)));
    }
    png.Finish();
}

// OUT with the frame number before its extension, padded to the width of the last number.
std::string FramePath(const std::string& out, int frame, int frameCount)
{
    const int width = int(std::to_string(frameCount - 1).size());
    std::string number = std::to_string(frame);
    number.insert(0, size_t(std::max(0, width - int(number.size()))), '0');
    return ChangeFileExt(out, "") + number + ExtractFileExt(out);
}

// Refuses, before anything is drawn, a picture larger than a picture may be and work beyond the
// budget of the file: every frame drawn over its canvas (once more over its shadow frame, once
// more over the background), the pixels of every picture and the number of files.
// Returns what is rendered, for messages.
std::string CheckRenderWork(const TSHP& sprite, const TRenderSettings& settings, const TRenderJob& job,
                            const std::string& file)
{
    const uint64_t canvas = uint64_t(sprite.Width) * uint64_t(sprite.Height);
    const uint64_t zoom = uint64_t(settings.Zoom);
    auto drawn = [&](int frame) {
        return canvas * (1 + DrawnOverShadow(sprite, frame, settings) + !settings.Background.isNull());
    };
    uint64_t pictureWidth = uint64_t(sprite.Width) * zoom;
    uint64_t pictureHeight = uint64_t(sprite.Height) * zoom;
    uint64_t pictures = 1;
    uint64_t work = 0;
    std::string what;
    if (job.Kind == TRenderJob::One) {
        work = drawn(job.Frame);
        what = "frame " + std::to_string(job.Frame);
    } else {
        for (int i = 0; i < sprite.FrameCount(); ++i)
            work += drawn(i);
        if (job.Kind == TRenderJob::All) {
            pictures = uint64_t(sprite.FrameCount());
        } else {
            const TSheetGrid grid = SheetGrid(sprite.FrameCount());
            pictureWidth *= uint64_t(grid.Columns);
            pictureHeight *= uint64_t(grid.Rows);
        }
        what = std::string(job.Kind == TRenderJob::All ? "each of " : "a sheet of ") +
               std::to_string(sprite.FrameCount()) + " frame(s)";
    }
    work += pictures * pictureWidth * pictureHeight;
    what += " of " + std::to_string(sprite.Width) + " x " + std::to_string(sprite.Height) + " pixels";
    RequireWithinBudget("render", file, what, pictureWidth, pictureHeight, work, pictures);
    return what;
}

// Frame 3 of an iso building is drawn with the iso palette of its game: when the frames to draw
// include it (or draw a frame over it), that file is read first, so that a missing one is an
// error of the input.
void ReadIsoPalette(TSHP& sprite, const TRenderSettings& settings, const TRenderJob& job)
{
    const int iso = 3;
    if (sprite.FrameCount() <= iso)
        return;
    const bool drawn = job.Kind != TRenderJob::One || job.Frame == iso ||
                       (DrawnOverShadow(sprite, job.Frame, settings) && job.Frame + sprite.FrameCount() / 2 == iso);
    if (drawn)
        Reading([&] { sprite.FramePixelTable(iso); });
}

struct TRenderRequest {
    TRenderSettings Settings;
    TRenderJob Job;
    int Luminosity = 0;
    std::optional<uint32_t> Side;
};

QImage LoadBackground(const std::string& path)
{
    QImage background;
    Reading([&] { background = LoadPicture(path); });
    if (background.width() <= 0 || background.height() <= 0)
        ThrowInput("Cannot use background " + Quoted(path) + ": the picture has no pixels");
    return background;
}

// Draws the frames request asks for of one file. The background is read here unless the
// request already holds it.
void RenderFile(const std::string& file, const std::string& out, const TArgs& args, TRenderRequest request)
{
    TRenderSettings& settings = request.Settings;
    const auto sprite = LoadSprite(file);
    if (sprite->Width <= 0 || sprite->Height <= 0)
        ThrowInput("Cannot render " + Quoted(file) + ": its canvas is empty (" + std::to_string(sprite->Width) + " x " +
                   std::to_string(sprite->Height) + ")");
    ChooseLook(*sprite, args);
    if (const auto background = args.Value("--background"); background && settings.Background.isNull())
        settings.Background = LoadBackground(*background);
    if (request.Side) {
        sprite->SetUseSideColour(true);
        sprite->SetSideColour(*request.Side);
    }
    sprite->SetTransparentShadows(args.Has("--transparent-shadows"));
    sprite->SetLuminosity(int16_t(request.Luminosity));

    const int count = sprite->FrameCount();
    const TRenderJob& job = request.Job;
    if (job.Frame >= count)
        args.Fail("frame " + std::to_string(job.Frame) + " is out of range: " + Quoted(file) + " has " +
                  std::to_string(count) + " frame(s), 0 to " + std::to_string(count - 1));
    const std::string what = CheckRenderWork(*sprite, settings, job, file);
    ReadIsoPalette(*sprite, settings, job);
    Writing([&] {
        if (job.Kind == TRenderJob::Sheet)
            WriteSheet(*sprite, settings, out);
        else if (job.Kind == TRenderJob::All)
            for (int i = 0; i < count; ++i)
                WritePicture(ComposeFrame(*sprite, i, settings), FramePath(out, i, count), settings.Zoom);
        else
            WritePicture(ComposeFrame(*sprite, job.Frame, settings), out, settings.Zoom);
    }, "render " + Quoted(file) + ", " + what);
}

} // namespace

int CmdRender(const TArgList& list)
{
    std::vector<TOptionSpec> specs{{"-o", true, "--output"},     {"--frame", true},
                                   {"--all"},                    {"--sheet"},
                                   {"--side-colour", true, "--side-color"},
                                   {"--transparent-shadows"},    {"--draw-shadows"},
                                   {"--luminosity", true},       {"--background", true},
                                   {"--zoom", true}};
    for (TOptionSpec& o : LookOptions())
        specs.push_back(o);
    const TArgs args("render", list, WithBatchOptions(specs));
    const bool batch = IsBatch(args);
    args.Exclusive({"-o", "--output-dir"});
    args.RequirePositionals(1, batch ? SIZE_MAX : 1, "FILE");
    if (!batch && !args.Has("-o"))
        args.Fail("missing option '-o OUT.png'");
    args.Exclusive({"--frame", "--all", "--sheet"});
    TRenderRequest request;
    request.Job.Frame = args.Has("--frame") ? int(args.Integer("--frame", 0, 65534)) : 0;
    request.Job.Kind = args.Has("--sheet") ? TRenderJob::Sheet : args.Has("--all") ? TRenderJob::All : TRenderJob::One;
    request.Luminosity = args.Has("--luminosity") ? int(args.Integer("--luminosity", -50, 50)) : 0;
    request.Settings.Zoom = args.Has("--zoom") ? int(args.Integer("--zoom", 1, 32)) : 1;
    request.Settings.DrawShadows = args.Has("--draw-shadows");
    if (const auto text = args.Value("--side-colour")) {
        request.Side = ParseSideColour(*text);
        if (!request.Side)
            args.Fail("unknown side colour '" + *text + "' (Gold, Red, Blue, Green, Orange, Sky Blue, Pink, Purple or #RRGGBB)");
    }

    UseDataFolder(args);
    if (!batch) {
        RenderFile(args.Positionals()[0], *args.Value("-o"), args, request);
        return ExitOK;
    }
    if (const auto background = args.Value("--background"))
        request.Settings.Background = LoadBackground(*background);
    return RunFiles(args, ".png", [&](const std::string& input, const std::string& output) {
        RenderFile(input, output, args, request);
        return std::string();
    });
}

} // namespace vantrel::cli
