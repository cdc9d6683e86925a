// Any picture Qt reads (PNG, BMP, GIF, JPEG, ...), true colour or indexed, as one frame or a sheet
// cut by its name's suffix or a frame size. Read only.
#include "FormatSupport.h"

#include <QImageReader>

#include <set>

namespace vantrel {

namespace {

class TPictureFormat final : public TImageFormat {
public:
    std::string_view Id() const override { return "picture"; }
    std::string_view Name() const override { return "Picture (true colour or indexed)"; }
    std::vector<std::string> Patterns() const override
    {
        std::set<std::string> extensions{"bmp", "png"};
        for (const QByteArray& f : QImageReader::supportedImageFormats())
            extensions.insert(f.toLower().toStdString());
        std::vector<std::string> patterns;
        for (const std::string& e : extensions)
            patterns.push_back("*." + e);
        return patterns;
    }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return false; }

    std::vector<std::string> OutputPaths(const TSHP&, const std::string&) const override { return {}; }

    std::vector<std::string> Write(const TSHP&, const std::string&) const override { ThrowCannotWrite(*this); }

    TFramesRead Read(const std::string& path, const TFrameReadOptions& options) const override
    {
        return CutIntoFrames(ReadIndexedPicture(path, options), path, options);
    }
};

} // namespace

const TImageFormat& PictureFormat()
{
    static const TPictureFormat format;
    return format;
}

} // namespace vantrel
