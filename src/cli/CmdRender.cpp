// render: frames to PNG pictures.
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"
#include "sprite/SpriteSheet.h"

#include <cstring>

namespace vantrel::cli {

namespace {

// No picture larger than this many pixels is made (1 GiB at 4 bytes a pixel).
constexpr int64_t MaxPicturePixels = int64_t(1) << 28;

struct TRenderSettings {
    bool DrawShadows = false;
    int Zoom = 1;
    QImage Background; // null: none
};

QImage NewPicture(int64_t width, int64_t height, QImage::Format format)
{
    if (width * height > MaxPicturePixels || width > INT32_MAX || height > INT32_MAX)
        ThrowOutput("Cannot make a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels: more than " + std::to_string(MaxPicturePixels) + " pixels");
    QImage image(int(width), int(height), format);
    if (image.isNull())
        ThrowOutput("Not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels");
    return image;
}

// Every pixel repeated zoom times in both directions.
QImage Replicate(const QImage& source, int zoom)
{
    if (zoom == 1)
        return source;
    QImage out = NewPicture(int64_t(source.width()) * zoom, int64_t(source.height()) * zoom, source.format());
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* first = reinterpret_cast<QRgb*>(out.scanLine(y * zoom));
        for (int x = 0; x < source.width(); ++x)
            for (int k = 0; k < zoom; ++k)
                first[x * zoom + k] = in[x];
        for (int k = 1; k < zoom; ++k)
            std::memcpy(out.scanLine(y * zoom + k), first, size_t(out.bytesPerLine()));
    }
    return out;
}

// The picture of one frame: the frame (over its shadow frame), blended over the tiled background
// when there is one. A null frame image gives the background alone.
QImage ComposeFrame(TSHP& sprite, int frame, const TRenderSettings& settings)
{
    QImage image = frame < 0 ? QImage() : FrameToPNG(sprite, frame, settings.DrawShadows);
    if (settings.Background.isNull()) {
        if (image.isNull()) {
            image = NewPicture(sprite.Width, sprite.Height, QImage::Format_ARGB32);
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

QImage ComposeSheet(TSHP& sprite, const TRenderSettings& settings)
{
    const TSheetGrid grid = SheetGrid(sprite.FrameCount());
    const QImage::Format format = settings.Background.isNull() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage sheet = NewPicture(int64_t(grid.Columns) * sprite.Width, int64_t(grid.Rows) * sprite.Height, format);
    sheet.fill(0);
    for (int cell = 0; cell < grid.Columns * grid.Rows; ++cell) {
        const int frame = cell < sprite.FrameCount() ? cell : -1;
        if (frame < 0 && settings.Background.isNull())
            continue;
        const QImage image = ComposeFrame(sprite, frame, settings).convertToFormat(format);
        const int left = (cell % grid.Columns) * sprite.Width;
        const int top = (cell / grid.Columns) * sprite.Height;
        for (int y = 0; y < sprite.Height; ++y)
            std::memcpy(sheet.scanLine(top + y) + size_t(left) * 4, image.constScanLine(y), size_t(sprite.Width) * 4);
        sprite.FreeFrameCache(frame);
    }
    return sheet;
}

void Write(const QImage& image, const std::string& path, int zoom)
{
    const QImage zoomed = Replicate(image, zoom);
    Writing([&] { SavePNG(zoomed, path); });
}

// OUT with the frame number before its extension, padded to the width of the last number.
std::string FramePath(const std::string& out, int frame, int frameCount)
{
    const int width = int(std::to_string(frameCount - 1).size());
    std::string number = std::to_string(frame);
    number.insert(0, size_t(std::max(0, width - int(number.size()))), '0');
    return ChangeFileExt(out, "") + number + ExtractFileExt(out);
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
    const TArgs args("render", list, specs);
    args.RequirePositionals(1, 1, "FILE");
    const std::optional<std::string> out = args.Value("-o");
    if (!out)
        args.Fail("missing option '-o OUT.png'");
    args.Exclusive({"--frame", "--all", "--sheet"});
    const int frame = args.Has("--frame") ? int(args.Integer("--frame", 0, 65534)) : 0;
    const int luminosity = args.Has("--luminosity") ? int(args.Integer("--luminosity", -50, 50)) : 0;
    TRenderSettings settings;
    settings.Zoom = args.Has("--zoom") ? int(args.Integer("--zoom", 1, 32)) : 1;
    settings.DrawShadows = args.Has("--draw-shadows");
    std::optional<uint32_t> side;
    if (const auto text = args.Value("--side-colour")) {
        side = ParseSideColour(*text);
        if (!side)
            args.Fail("unknown side colour '" + *text + "' (Gold, Red, Blue, Green, Orange, Sky Blue, Pink, Purple or #RRGGBB)");
    }

    UseDataFolder(args);
    const std::string& file = args.Positionals()[0];
    const auto sprite = LoadSprite(file);
    if (sprite->Width <= 0 || sprite->Height <= 0)
        ThrowInput("Cannot render " + Quoted(file) + ": its canvas is empty (" + std::to_string(sprite->Width) + " x " +
                   std::to_string(sprite->Height) + ")");
    ChooseLook(*sprite, args);
    if (const auto background = args.Value("--background")) {
        Reading([&] { settings.Background = LoadPicture(*background); });
        if (settings.Background.width() <= 0 || settings.Background.height() <= 0)
            ThrowInput("Cannot use background " + Quoted(*background) + ": the picture has no pixels");
    }
    if (side) {
        sprite->SetUseSideColour(true);
        sprite->SetSideColour(*side);
    }
    sprite->SetTransparentShadows(args.Has("--transparent-shadows"));
    sprite->SetLuminosity(int16_t(luminosity));

    const int count = sprite->FrameCount();
    if (frame >= count)
        args.Fail("frame " + std::to_string(frame) + " is out of range: " + Quoted(file) + " has " +
                  std::to_string(count) + " frame(s), 0 to " + std::to_string(count - 1));

    Reading([&] {
        if (args.Has("--sheet"))
            Write(ComposeSheet(*sprite, settings), *out, settings.Zoom);
        else if (args.Has("--all"))
            for (int i = 0; i < count; ++i) {
                Write(ComposeFrame(*sprite, i, settings), FramePath(*out, i, count), settings.Zoom);
                sprite->FreeFrameCache(i);
            }
        else
            Write(ComposeFrame(*sprite, frame, settings), *out, settings.Zoom);
    });
    return ExitOK;
}

} // namespace vantrel::cli
