// The indexed PNG frame sequence: one picture a frame, NAME-0000.png, NAME-0001.png, ..., each of
// colour type 3 with the palette as PLTE and index 0 transparent; read back in number order.
#include "FormatSupport.h"

#include "sprite/FileUtil.h"

#include <cstring>

namespace vantrel {

namespace {

class TPngFramesFormat final : public TImageFormat {
public:
    std::string_view Id() const override { return "png-frames"; }
    std::string_view Name() const override { return "Indexed PNG frame sequence"; }
    std::vector<std::string> Patterns() const override { return {"*.png"}; }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return true; }

    std::vector<std::string> OutputPaths(const TSHP& sprite, const std::string& chosenPath) const override
    {
        std::vector<std::string> paths;
        for (int i = 0; i < sprite.FrameCount(); ++i)
            paths.push_back(FrameSequencePath(chosenPath, i, sprite.FrameCount()));
        return paths;
    }

    std::vector<std::string> Write(const TSHP& sprite, const std::string& chosenPath) const override
    {
        CheckExportable(sprite);
        const std::vector<std::string> paths = OutputPaths(sprite, chosenPath);
        TBitmap8 frame = MakeBitmap8(sprite.Width, sprite.Height);
        for (size_t e = 0; e < 256; ++e)
            frame.ColourTable[e] = ColourToARGB(sprite.Palette[e]);
        TFileBatch files; // thousands of frames are flushed to disk at once
        for (int i = 0; i < sprite.FrameCount(); ++i) {
            std::memset(frame.Pixels.data(), 0, frame.Pixels.size());
            CopyFrameIndices(sprite, i, frame, 0, 0);
            files.Add(paths[size_t(i)], IndexedPNG(frame, paths[size_t(i)]));
        }
        files.Commit();
        return paths;
    }

    // Every file of the sequence path belongs to, each one frame.
    TFramesRead Read(const std::string& path, const TFrameReadOptions& options) const override
    {
        const std::vector<std::string> files = FrameSequenceFiles(path);
        TFrameReadOptions rest = options;
        TFramesRead result;
        for (const std::string& file : files) {
            TFramesRead one = CutIntoFrames(ReadIndexedPicture(file, rest), file, rest, true);
            if (!result.Sprite) {
                result = std::move(one);
                rest.Palette = result.Sprite->Palette;
                continue;
            }
            TSHP& sprite = *result.Sprite;
            if (one.Sprite->Width != sprite.Width || one.Sprite->Height != sprite.Height)
                throw FormatError("\"" + file + "\" is " + std::to_string(one.Sprite->Width) + " x " +
                                  std::to_string(one.Sprite->Height) + " pixels, \"" + files[0] + "\" " +
                                  std::to_string(sprite.Width) + " x " + std::to_string(sprite.Height) +
                                  "; the frames of a sequence have one size");
            if (sprite.FrameCount() >= MaxFrames)
                throw FormatError("The sequence of \"" + path + "\" has more than " + std::to_string(MaxFrames) + " frames");
            sprite.Frames.push_back(std::move(one.Sprite->Frames[0]));
            result.Matching.Add(one.Matching);
        }
        if (result.Sprite)
            result.Sprite->FileName = ChangeFileExt(ExtractFileName(FrameSequenceName(path)), ".shp");
        return result;
    }
};

} // namespace

const TImageFormat& PngFramesFormat()
{
    static const TPngFramesFormat format;
    return format;
}

} // namespace vantrel
