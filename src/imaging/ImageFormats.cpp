#include "FormatSupport.h"
#include "ImageUtil.h"
#include "Imaging.h"

#include "sprite/FileUtil.h"
#include "sprite/Text.h"
#include "sprite/WorkBudget.h"

#include <QImageReader>

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {

namespace {

// Qt refuses pictures that would need more than its allocation limit at 32 bits a pixel (128 MB:
// 5800 x 5800 pixels, less than the sheet of a large sprite). Frames are read with a limit of
// 1 GiB (16384 x 16384 pixels) instead.
constexpr int PictureLimitMB = 1024;

class TPictureLimit {
public:
    TPictureLimit() : Before(QImageReader::allocationLimit())
    {
        if (Before > 0 && Before < PictureLimitMB)
            QImageReader::setAllocationLimit(PictureLimitMB);
    }
    ~TPictureLimit() { QImageReader::setAllocationLimit(Before); }
    TPictureLimit(const TPictureLimit&) = delete;
    TPictureLimit& operator=(const TPictureLimit&) = delete;

private:
    int Before;
};

std::string Quote(std::string_view path) { return "\"" + std::string(path) + "\""; }

TColour24 TableColour(uint32_t entry) { return ColourFromValue(entry & 0xFFFFFF); }

bool IsIndexedImage(const QImage& image)
{
    const QImage::Format f = image.format();
    return f == QImage::Format_Indexed8 || f == QImage::Format_Mono || f == QImage::Format_MonoLSB;
}

void SetTable(TBitmap8& bitmap, const TPalette& palette)
{
    for (size_t e = 0; e < 256; ++e)
        bitmap.ColourTable[e] = ColourToARGB(palette[e]);
}

TIndexedPicture MatchTrueColour(const QImage& image, const TFrameReadOptions& options, const std::string& path)
{
    const std::optional<TPalette>& palette = options.Palette ? options.Palette : options.TrueColourPalette;
    if (!palette)
        throw NoPaletteError("Cannot import " + Quote(path) + ": a true-colour picture needs a palette to match its colours to");
    // An opaque picture's RGB32 pixels read as ARGB32 ones (their top byte is 255): no copy.
    const QImage argb = image.format() == QImage::Format_RGB32 ? image : InFormat(image, QImage::Format_ARGB32);
    TIndexedPicture result{MakeBitmap8(argb.width(), argb.height()), *palette, false, {}};
    SetTable(result.Bitmap, *palette);
    TColourMatcher matcher(*palette, options.Game);
    bool first = true;
    QRgb last = 0;
    uint8_t lastIndex = 0;
    double lastDistance = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* in = RowOf(argb, y);
        uint8_t* out = result.Bitmap.Row(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = in[x];
            if (qAlpha(p) < MatchAlphaThreshold) {
                out[x] = 0;
                continue;
            }
            if (first || p != last) {
                first = false;
                last = p;
                lastIndex = matcher.Nearest(MakeColour(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p))), lastDistance);
            }
            out[x] = lastIndex;
            if (lastDistance > 0) {
                ++result.Matching.InexactPixels;
                result.Matching.MaxDistance = std::max(result.Matching.MaxDistance, lastDistance);
            }
        }
    }
    return result;
}

// Frames of path, width x height, go with those of firstPath, firstWidth x firstHeight.
void CheckSameSize(const std::string& path, int width, int height, const std::string& firstPath, int firstWidth,
                   int firstHeight)
{
    if (width != firstWidth || height != firstHeight)
        throw FormatError("The frames of " + Quote(path) + " are " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels, those of " + Quote(firstPath) + " " +
                          std::to_string(firstWidth) + " x " + std::to_string(firstHeight) +
                          "; all frames of a sprite have one size");
}

// Adds the frames of more to sprite, which must have the same canvas.
void AppendFrames(TSHP& sprite, TSHP& more, const std::string& firstPath, const std::string& path)
{
    CheckSameSize(path, more.Width, more.Height, firstPath, sprite.Width, sprite.Height);
    if (sprite.Frames.size() + more.Frames.size() > size_t(MaxFrames))
        throw FormatError("With " + Quote(path) + " the sprite would have more than " + std::to_string(MaxFrames) +
                          " frames");
    for (TSHPFrame& f : more.Frames)
        sprite.Frames.push_back(std::move(f));
    more.Frames.clear();
}

} // namespace

const std::vector<const TImageFormat*>& ImageFormats()
{
    static const std::vector<const TImageFormat*> formats{&BmpMapFormat(), &PngSheetFormat(), &PngFramesFormat(),
                                                          &PictureFormat()};
    return formats;
}

const TImageFormat* FindImageFormat(std::string_view id)
{
    for (const TImageFormat* f : ImageFormats())
        if (f->Id() == id)
            return f;
    return nullptr;
}

std::string DialogFilter(const TImageFormat& format)
{
    std::string patterns;
    for (const std::string& p : format.Patterns())
        patterns += (patterns.empty() ? "" : " ") + p;
    return std::string(format.Name()) + " (" + patterns + ")";
}

std::string DialogFilters(bool writing)
{
    std::string filters;
    for (const TImageFormat* f : ImageFormats())
        if (writing ? f->CanWrite() : f->CanRead())
            filters += (filters.empty() ? "" : ";;") + DialogFilter(*f);
    return filters;
}

TIndexedPicture ResolveIndexed(TBitmap8 bitmap, bool tableAlpha, const TFrameReadOptions& options)
{
    TIndexedPicture result{std::move(bitmap), {}, false, {}};
    TBitmap8& b = result.Bitmap;
    if (!options.Palette) {
        for (size_t e = 0; e < 256; ++e)
            result.Palette[e] = TableColour(b.ColourTable[e]);
        result.PaletteFromPicture = true;
        return result;
    }
    std::array<uint64_t, 256> used{};
    for (uint8_t p : b.Pixels)
        ++used[p];
    const TPalette& palette = *options.Palette;
    auto alpha = [&](size_t e) { return tableAlpha ? uint8_t(b.ColourTable[e] >> 24) : uint8_t(255); };
    bool differs = false;
    for (size_t e = 1; e < 256; ++e)
        differs = differs || (used[e] && (TableColour(b.ColourTable[e]) != palette[e] || alpha(e) < MatchAlphaThreshold));
    result.Palette = palette;
    if (differs) {
        std::array<uint8_t, 256> map{};
        TColourMatcher matcher(palette, options.Game);
        for (size_t e = 1; e < 256; ++e)
            if (used[e])
                map[e] = matcher.Match(TableColour(b.ColourTable[e]), alpha(e), used[e]);
        for (uint8_t& p : b.Pixels)
            p = map[p];
        result.Matching = matcher.Stats;
    }
    SetTable(b, palette);
    return result;
}

TIndexedPicture ReadIndexedPicture(const std::string& path, const TFrameReadOptions& options)
{
    return ReadIndexedPicture(ReadWholeFile(path), path, options);
}

TIndexedPicture ReadIndexedPicture(std::span<const uint8_t> file, const std::string& path,
                                   const TFrameReadOptions& options)
{
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
        // A damaged BMP is refused: Qt would read what it can and leave the rest blank. One of
        // another depth that the strict reader found sound comes from Qt.
        TBitmap8 bitmap;
        try {
            bitmap = ReadBmp8(file);
        } catch (const BmpError& e) {
            throw FormatError("Cannot read bitmap " + Quote(path) + ": " + e.what());
        }
        if (bitmap.IsIndexed())
            return ResolveIndexed(std::move(bitmap), false, options);
    }
    // A picture larger than a picture may be, or out of proportion to its file (a PNG of a few
    // hundred kilobytes may claim 16384 x 16384 true-colour pixels), is refused before it is
    // decoded.
    if (const QSize size = PictureFileSize(file, path); size.isValid()) {
        const uint64_t w = uint64_t(std::max(size.width(), 0)), h = uint64_t(std::max(size.height(), 0));
        std::string problem = PictureSizeProblem(w, h);
        if (problem.empty())
            problem = WorkProblem(w * h, 1, file.size());
        if (!problem.empty())
            throw FormatError("Cannot import " + Quote(path) + ": " + problem);
    }
    QImage image;
    {
        const TPictureLimit limit;
        image = LoadPicture(file, path);
    }
    if (IsIndexedImage(image))
        return ResolveIndexed(ImageToBitmap8(InFormat(image, QImage::Format_Indexed8)), true, options);
    return MatchTrueColour(image, options, path);
}

TFramesRead CutIntoFrames(TIndexedPicture picture, const std::string& path, const TFrameReadOptions& options,
                          bool wholeFrame)
{
    const TBitmap8& b = picture.Bitmap;
    TSheetLayout layout{b.Width, b.Height, 1};
    if (wholeFrame) {
    } else if (options.FrameWidth > 0 && options.FrameHeight > 0) {
        layout = {options.FrameWidth, options.FrameHeight,
                  int(std::clamp<int64_t>(int64_t(b.Width / options.FrameWidth) * (b.Height / options.FrameHeight), 1,
                                          INT32_MAX))};
    } else {
        layout = InitialSheetLayout(b, ExtractFileName(path));
    }
    const std::string problem = SheetLayoutProblem(b.Width, b.Height, layout);
    if (!problem.empty())
        throw FormatError("Cannot cut " + std::to_string(layout.FrameCount) + " frame(s) of " +
                          std::to_string(layout.FrameWidth) + " x " + std::to_string(layout.FrameHeight) +
                          " from the " + std::to_string(b.Width) + " x " + std::to_string(b.Height) + " picture " +
                          Quote(path) + ": " + problem);
    TFramesRead result{ImportSpriteSheet(b, layout, path), picture.Matching};
    TSHP& s = *result.Sprite;
    s.Game = options.Game;
    s.SetPalette(picture.Palette);
    s.CustomPalette = picture.PaletteFromPicture;
    return result;
}

TFramesRead ReadFrameFiles(const std::vector<std::string>& paths, const TImageFormat* format,
                           const TFrameReadOptions& options)
{
    if (paths.empty())
        throw FormatError("No picture to read frames from");
    const TImageFormat& reader = format ? *format : PictureFormat();
    TFramesRead result = reader.Read(paths[0], options);
    TFrameReadOptions rest = options;
    rest.Palette = result.Sprite->Palette; // later pictures keep their indices only with the same colours
    for (size_t k = 1; k < paths.size(); ++k) {
        TFramesRead more = reader.Read(paths[k], rest);
        AppendFrames(*result.Sprite, *more.Sprite, paths[0], paths[k]);
        result.Matching.Add(more.Matching);
    }
    result.Sprite->InvalidateFrames();
    return result;
}

TFrameSource ReadInsertSource(const std::string& path, const TImageFormat* format, const TSHP& target,
                              TMatchStats& stats)
{
    stats = {};
    if (!format && IsSHPExtension(ExtractFileExt(path))) {
        TSHP source;
        source.LoadFromFile(path);
        if (source.Format == TSHPFormat::None)
            throw FormatError("Cannot insert " + Quote(path) + ": not an SHP file (neither the TD/RA1 nor the TS/RA2 layout)");
        return FrameSourceOf(source);
    }
    TFrameReadOptions options;
    options.Palette = target.Palette;
    options.Game = target.Game;
    TFramesRead read = ReadFrameFiles({path}, format, options);
    stats = read.Matching;
    TFrameSource source = FrameSourceOf(*read.Sprite);
    source.ShadowHalf = false;
    return source;
}

TFrameSource ReadInsertSources(const std::vector<std::string>& paths, const TImageFormat* format, const TSHP& target,
                               TMatchStats& stats)
{
    stats = {};
    if (paths.empty())
        throw FormatError("No file to insert frames from");
    std::vector<TFrameSource> parts;
    for (const std::string& path : paths) {
        TMatchStats one;
        parts.push_back(ReadInsertSource(path, format, target, one));
        stats.Add(one);
        CheckSameSize(path, parts.back().Width, parts.back().Height, paths.front(), parts.front().Width,
                      parts.front().Height);
    }
    const bool halves = std::all_of(parts.begin(), parts.end(), [](const TFrameSource& p) {
        return p.ShadowHalf && p.Frames.size() % 2 == 0;
    });
    TFrameSource joined{parts.front().Width, parts.front().Height, {}, halves};
    for (int half = 0; half < (halves ? 2 : 1); ++half)
        for (TFrameSource& part : parts) {
            const size_t n = halves ? part.Frames.size() / 2 : part.Frames.size();
            auto from = part.Frames.begin() + std::ptrdiff_t(half * n);
            joined.Frames.insert(joined.Frames.end(), std::make_move_iterator(from),
                                 std::make_move_iterator(from + std::ptrdiff_t(n)));
        }
    return joined;
}

std::string FrameSequencePath(std::string_view chosenPath, int i, int count)
{
    const int digits = std::max(4, int(std::to_string(std::max(count - 1, 0)).size()));
    // Appended piece by piece: GCC 12 at -O3 takes "x" + std::string + "y" for overlapping copies
    // (a false -Wrestrict).
    std::string suffix = "-";
    suffix.append(PadNumber(i, digits)).append(".png");
    return ChangeFileExt(chosenPath, suffix);
}

namespace {

// "NAME-" of a file name NAME-<digits>.EXT, else "".
std::string SequencePrefix(const std::string& name)
{
    const std::string stem = name.substr(0, name.size() - ExtractFileExt(name).size());
    size_t digits = stem.size();
    while (digits > 0 && stem[digits - 1] >= '0' && stem[digits - 1] <= '9')
        --digits;
    if (digits == stem.size() || digits == 0 || stem[digits - 1] != '-')
        return {};
    return stem.substr(0, digits);
}

} // namespace

std::string FrameSequenceName(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    const std::string prefix = SequencePrefix(name);
    if (prefix.size() < 2)
        return path;
    return path.substr(0, path.size() - name.size()) + prefix.substr(0, prefix.size() - 1) + ExtractFileExt(name);
}

std::vector<std::string> FrameSequenceFiles(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    const std::string ext = ExtractFileExt(name);
    const std::string prefix = SequencePrefix(name);
    if (prefix.empty())
        return {path};
    const std::string folder = path.substr(0, path.size() - name.size());
    std::vector<std::pair<std::string, std::string>> found; // number without leading zeros, name
    for (const TDirEntry& e : ListDirectory(folder.empty() ? "." : folder)) {
        if (e.IsFolder || e.Name.size() <= prefix.size() + ext.size() || e.Name.compare(0, prefix.size(), prefix) != 0 ||
            !SameTextNoCase(ExtractFileExt(e.Name), ext))
            continue;
        const std::string number = e.Name.substr(prefix.size(), e.Name.size() - prefix.size() - ext.size());
        if (number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const size_t nonZero = std::min(number.find_first_not_of('0'), number.size() - 1);
        found.emplace_back(number.substr(nonZero), e.Name);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first.size() != b.first.size())
            return a.first.size() < b.first.size();
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    std::vector<std::string> files;
    for (const auto& f : found)
        files.push_back(folder + f.second);
    return files;
}

void CheckExportable(const TSHP& sprite)
{
    if (sprite.FrameCount() == 0)
        throw FormatError("The sprite has no frames to export.");
    if (sprite.Width < 1 || sprite.Height < 1)
        throw FormatError("The sprite's canvas of " + std::to_string(sprite.Width) + " x " +
                          std::to_string(sprite.Height) + " is empty.");
}

std::vector<uint8_t> IndexedPNG(const TBitmap8& bitmap, const std::string& path)
{
    QImage image = Bitmap8ToImage(bitmap);
    if (image.isNull())
        throw FormatError("Cannot write " + Quote(path) + ": the picture is empty");
    image.setColor(0, image.color(0) & 0x00FFFFFFu);
    return EncodePNG(image, path);
}

void ThrowCannotWrite(const TImageFormat& format)
{
    throw FormatError("The format " + std::string(format.Name()) + " cannot be written");
}

} // namespace vantrel
