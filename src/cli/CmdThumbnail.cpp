// thumbnail: the open dialog's thumbnail of an SHP file as a PNG picture, for file managers.
#include "CliCore.h"
#include "Commands.h"
#include "SpriteSetup.h"

#include "imaging/Imaging.h"
#include "imaging/Thumbnail.h"
#include "sprite/FileUtil.h"

namespace vantrel::cli {

namespace {

// File managers ask for up to 1024 pixels.
constexpr int64_t MaxThumbnailSize = 4096;

} // namespace

int CmdThumbnail(const TArgList& list)
{
    const TArgs args("thumbnail", list, {DataDirOption()});
    args.RequirePositionals(3, 3, "INPUT OUTPUT.png SIZE");
    const std::string& input = args.Positionals()[0];
    const std::string& output = args.Positionals()[1];
    const std::optional<int64_t> size = ParseInteger(args.Positionals()[2]);
    if (!size || *size < 1 || *size > MaxThumbnailSize)
        args.Fail("SIZE must be a whole number from 1 to " + std::to_string(MaxThumbnailSize) + ", not '" +
                  args.Positionals()[2] + "'");
    UseDataFolder(args);
    if (!FileExists(input))
        ThrowInput("Cannot read file " + Quoted(input) + ": " +
                   (DirectoryExists(input) ? "it is a folder" : "no such file or not a regular file"));
    bool isSHP = false;
    Reading([&] { isSHP = IsSHPFile(input); }); // the open dialog's content test
    if (!isSHP)
        ThrowInput(NotSHPMessage(input));
    TSHP sprite;
    QImage frame;
    Reading([&] { frame = RenderThumbnail(sprite, input); });
    if (sprite.Format == TSHPFormat::None)
        ThrowInput(NotSHPMessage(input));
    const QImage picture = ComposeFileThumbnail(frame, int(*size));
    Writing([&] { SavePNG(picture, output); });
    return ExitOK;
}

} // namespace vantrel::cli
