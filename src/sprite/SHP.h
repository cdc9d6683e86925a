// TSHP, the in-memory form of one SHP sprite: a canvas size, frames of palette indices, the
// palette and classification that decide how they are drawn, and the settings read by the
// renderer and the writers. Its methods are spread over several sources by concern:
//   SHP.cpp          model, frame access, editing, classification
//   SHPReadTS.cpp    loading, the TS/RA2 reader and the palette trailer
//   SHPReadTD.cpp    the TD/RA1 reader and its codecs
//   SHPProbe.cpp     the content probe
//   SHPWriteTS.cpp   the TS/RA2 writer
//   SHPWriteTD.cpp   the TD/RA1 writer
//   Palette.cpp      palette files and the default palette
//   Render.cpp       frame rendering and pixel queries
#pragma once

#include "FileUtil.h"
#include "PixelBuffer.h"
#include "Types.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

using TColourBuffer = std::unique_ptr<TColour24[]>;

// The part of a frame's render caches that may hold other than transparent pixels.
struct TCacheArea {
    bool Known = false; // false: nothing is known of the caches' content
    uint16_t X = 0, Y = 0, CX = 0, CY = 0;
};

struct TSHPFrame {
    uint16_t X = 0;
    uint16_t Y = 0;
    uint16_t CX = 0;
    uint16_t CY = 0;
    // Width x Height palette indices of the whole canvas (index 0 transparent), or null for an
    // empty frame read from a TS/RA2 file.
    TPixelBuffer Data;
    // Render caches (Width x Height each), null until the frame is first rendered.
    TColourBuffer RGBCache;
    std::unique_ptr<uint8_t[]> AlphaCache;
    bool Dirty = true;
    // The rectangle of the last render: the caches are transparent outside it, so that the next
    // render of the same rectangle writes only inside it.
    TCacheArea CacheArea;
    TColour24 RadarColour;
    uint8_t RadarColourExtra = 0;
};

// A rectangle of a canvas; CX or CY 0 marks an empty one.
struct TFrameRect {
    int X = 0;
    int Y = 0;
    int CX = 0;
    int CY = 0;
    friend bool operator==(const TFrameRect&, const TFrameRect&) = default;
};
// The colour and opacity each palette index of a frame is drawn with, packed as 0xAARRGGBB
// (blue in the low byte: the byte order of a 32-bit blue, green, red, alpha pixel).
using TPixelTable = std::array<uint32_t, 256>;

// The smallest rectangle holding every non-zero byte of a width x height canvas (rows back to
// back); (0, 0, 0, 0) when there is none.
TFrameRect NonZeroBounds(const uint8_t* data, int width, int height);

// The assertion messages of the sprite.
inline constexpr const char* MsgAddFramesAmount = "TSHP.AddFrames - Amount <= 0";
inline constexpr const char* MsgSaveOneFrameLoad = "Can not save a SHP with OneFrameLoad enabled....";

// Loading refuses a file whose frames would need more than this many bytes of canvas and more
// than MaxCanvasBytesPerFileByte times the file's size.
inline constexpr uint64_t CanvasBudgetFloor = 256ull << 20;
inline constexpr uint64_t MaxCanvasBytesPerFileByte = 256;

class TSHP {
public:
    TSHP();
    virtual ~TSHP();
    TSHP(const TSHP&) = delete;
    TSHP& operator=(const TSHP&) = delete;

    // --- fields, in the order of the model -------------------------------------------------
    std::string FileName = "unknown.shp";
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TSHPFrame> Frames;
    TPalette Palette{};
    std::unique_ptr<TPalette> IsoPalette;
    const TColour24 TransparentColour = MakeColour(1, 2, 255);
    TSHPFormat Format = TSHPFormat::None;
    TSHPGame Game = TSHPGame::TD;
    TSHPType SHPType = TSHPType::Animation;
    TTheatre Theatre = TTheatre::Default;
    bool CustomPalette = false;
    bool SavePalette = false;
    bool OneFrameLoad = false;
    TColour24 SideColour = MakeColour(255, 0, 0);
    bool UseSideColour = false;
    bool KeepHeaders = false;
    std::vector<uint8_t> RawFileHeader;   // empty: none kept
    std::vector<uint8_t> RawFrameHeaders; // empty: none kept
    bool HeadersOnly = false;
    std::string PaletteName;
    bool TransparentShadows = false;
    int16_t Luminosity = 0;
    uint16_t ForcedFlags = 0;
    uint8_t CompressionMode = 0;
    bool IsSaved = false;
    bool HasFile = false;
    // TD/RA1 writer: a key frame at least every this many frames.
    int TDKeyFrameInterval = 16;
    // TD/RA1 writer: how many threads encode long sprites (runs of 256 frames or more) at once;
    // 0 for one a processor core. The file is the same whatever the number.
    int TDWriterThreads = 0;

    // --- lifetime ---------------------------------------------------------------------------
    void Clear();
    void FreeRawHeaders();

    // --- loading (SHPReadTS.cpp, SHPReadTD.cpp) ----------------------------------------------
    // Throws FileError when the file cannot be read and SHPError when it would need memory out
    // of proportion to its size. A file of neither layout leaves Format None.
    void LoadFromFile(const std::string& name);
    // Reads the whole stream into memory, then LoadFromMemory.
    void LoadFromStream(std::istream& stream);
    // The sprite must have been cleared before (LoadFromFile does it).
    void LoadFromMemory(std::span<const uint8_t> file);
    bool LoadTS(std::span<const uint8_t> file);
    void ReadPaletteTrailer(std::span<const uint8_t> tail);
    // Decode one frame's data (starting at source) into the frame's Data, writing every byte of
    // the canvas: 0 outside the rectangle (cut to the canvas) and wherever the data end early.
    // Both end quietly at the end of source; rows are cut at the rectangle's right edge.
    void DecodeTSCompressed(TSHPFrame& frame, std::span<const uint8_t> source) const;
    void DecodeTSRaw(TSHPFrame& frame, std::span<const uint8_t> source) const;
    bool LoadTD(std::span<const uint8_t> file);
    // reference: -1 for LCW, else the index of the frame the XOR delta applies to.
    void DecodeTDFrame(TSHPFrame& frame, int reference, std::span<const uint8_t> source);
    // LCW and XOR delta (against reference, the same size as output) decoders: they return the
    // number n of bytes decoded, never more than output.size(), and stop quietly at the end of
    // the input or at a command whose source lies outside the input or the decoded bytes. Bytes
    // of output past n may have been overwritten: DecodeTDFrame sets them to 0. When slack bytes
    // past the end of output may be written too, and as many past the end of reference read, the
    // decoders store whole words there.
    static size_t DecodeFormat80(std::span<const uint8_t> input, std::span<uint8_t> output, size_t slack = 0);
    static size_t DecodeFormat40(std::span<const uint8_t> input, const uint8_t* reference, std::span<uint8_t> output,
                                 size_t slack = 0);
    // The highest frame index below before whose table entry has the data offset, or -1.
    int FindFrameByOffset(uint32_t offset, int before);

    // --- saving (SHPWriteTS.cpp, SHPWriteTD.cpp) --------------------------------------------
    // Writes the sprite in the given layout through a temporary file that replaces name only
    // once complete. Throws AssertionError for a OneFrameLoad sprite, SHPError for a sprite that
    // cannot be stored (Format None, no frames or more than 65535, a canvas over 65535, a frame
    // rectangle outside the canvas, a TS/RA2 file of 4 GiB or a TD/RA1 file of 16 MiB or more)
    // and FileError when writing fails or the target cannot be replaced (see TAtomicFile: a
    // pipe, device or read-only file is refused, a link is followed); in every such case the
    // target is untouched and the sprite is not marked saved. The TS/RA2 file is written frame
    // by frame. Afterwards FileName is name, IsSaved and HasFile are true, and
    // CustomPalette is true when the palette trailer was written (SavePalette).
    void SaveToFile(const std::string& name, TSHPFormat layout = TSHPFormat::TS);
    // As SaveToFile, at the stream's position (offsets in the file count from there); FileName
    // stays. Throws FileError when the stream fails.
    void SaveToStream(std::ostream& stream, TSHPFormat layout = TSHPFormat::TS);
    // The bytes SaveToFile would write, with the same refusals; changes nothing in the sprite.
    std::vector<uint8_t> SaveToMemory(TSHPFormat layout = TSHPFormat::TS) const;
    // The layout writers append the file image to out (offsets count from where it begins) and
    // set CustomPalette when they write the palette trailer. They refuse (SHPError) what the
    // layout cannot hold but do not check OneFrameLoad or Format.
    void WriteTS(std::vector<uint8_t>& out);
    // TD/RA1: LCW key frames and XOR deltas, the smallest per frame, with a key frame at least
    // every TDKeyFrameInterval frames and at the start of each run of frames the writer encodes
    // on its own (see TDWriterThreads).
    void WriteTD(std::vector<uint8_t>& out);
    // Copies frame i's content rectangle row by row into buffer (CX x CY bytes).
    void ExtractFrameRect(int i, uint8_t* buffer) const;
    static std::vector<uint8_t> EncodeTSCompressed(const uint8_t* buffer, int cx, int cy);
    TColour24 AverageColour(int i) const;
    void WritePaletteTrailer(std::vector<uint8_t>& out);
    // The TD/RA1 frame encoders. LCW of a whole canvas: absolute copies reach only its first
    // 65536 bytes, relative ones 4095 bytes back; ends with the end command. XOR delta of input
    // against reference (input.size() bytes each): ends with the end command as soon as the
    // rest of both is 0, so that a decoder that leaves the rest 0 and one that leaves the
    // reference there agree.
    static std::vector<uint8_t> EncodeFormat80(std::span<const uint8_t> input);
    static std::vector<uint8_t> EncodeFormat40(std::span<const uint8_t> input, const uint8_t* reference);

    // --- frame access -------------------------------------------------------------------------
    int FrameCount() const { return int(Frames.size()); }
    TSHPFrame& GetFrame(int i);
    const TSHPFrame& GetFrame(int i) const;
    uint32_t GetRadarColour(int i) const;
    void SetRadarColour(int i, uint32_t value);
    bool FrameUsesColour(uint8_t index, int i) const;
    const TColour24* GetFrameRGB(int i);
    const uint8_t* GetFrameAlpha(int i);
    void FreeFrameCache(int i);

    // --- editing --------------------------------------------------------------------------------
    void AddFrames(int amount, int width, int height);
    void UpdateFrameBounds(int i);
    void SetSHPType(TSHPType t);
    void InvalidateFrames();
    void SetPalette(const TPalette& buffer);

    // --- classification -------------------------------------------------------------------------
    void DetectSHPType(int count);
    void RefineSHPType();
    bool HasShadowFrames() const;

    // --- palettes (Palette.cpp) -----------------------------------------------------------------
    void LoadPalette(const std::string& path);
    void SetPaletteFromValues(std::span<const uint32_t, 256> values);
    void LoadDefaultPalette(const std::string& folder);
    void GetIsoPalette(TPalette& dest);

    // --- rendering (Render.cpp) -----------------------------------------------------------------
    void RenderFrame(int i);
    void ResetFrameCache(int i);
    void GetFramePalette(int i, TPalette& dest);
    TPixelTable FramePixelTable(int i);
    // The pixels of frame i where it is not transparent and those of frame under elsewhere (frame
    // i alone when under is negative), for the part area of the canvas (clipped to it), packed as
    // in TPixelTable: exactly what the render caches hold, made straight from the indices without
    // them. Row r of the part goes to out + r * stride.
    void DrawFramePixels(int i, int under, const TFrameRect& area, uint32_t* out, size_t stride);
    void SetUseSideColour(bool on);
    void SetSideColour(uint32_t value); // 0x00RRGGBB
    void SetTransparentShadows(bool on);
    void SetLuminosity(int16_t value);
    uint8_t GetPixelIndex(int i, int x, int y) const;
    void MarkUsedColours(int i, std::array<uint8_t, 256>& flags) const;
    std::array<uint8_t, 256> GetUsedColours(int i) const;

private:
    // Data offsets of the TD/RA1 frames being loaded, each with its frame index, sorted; filled
    // only while LoadTD runs a file with key deltas (FindFrameByOffset answers from it, trying the
    // entry it found last first).
    std::vector<std::pair<uint32_t, int>> TDFrameOffsets;
    size_t TDKeyHint = 0;

    // The last frame palette GetFramePalette computed (other than an iso palette) and what it
    // was computed from: the frames of a sprite share it, and luminosity makes it costly.
    struct TFramePaletteMemo {
        bool Valid = false;
        TPalette Palette{};
        TSHPGame Game{};
        bool UseSideColour = false;
        TColour24 SideColour;
        int16_t Luminosity = 0;
        TPalette Result{};
    } FramePaletteMemo;

    // Refuses (SHPError) a load that would allocate frames canvases of frames x Width x Height
    // bytes out of proportion to a file of fileSize bytes.
    void CheckCanvasBudget(uint64_t frames, uint64_t fileSize) const;
};

// Shadow index of each game (0: none), and the colour of translucent shadow pixels.
extern const std::array<uint8_t, GameCount> ShadowIndices;
inline constexpr TColour24 ShadowColour = MakeColour(0, 0, 0);

// The content probe: true when the file holds an SHP of either layout (SHPProbe.cpp).
// Throws FileError when the file cannot be opened.
bool IsSHPFile(const std::string& name);
bool ProbeTD(TByteSource& source);
bool ProbeTS(TByteSource& source);

} // namespace vantrel
