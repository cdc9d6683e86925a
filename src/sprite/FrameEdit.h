// Frame operations and canvas changes: deleting, duplicating, moving, reversing and inserting
// frames, resizing the canvas by an anchor and cropping it to the frames' content.
//
// Shadow pairing: a sprite with shadow frames (HasShadowFrames, an even frame count) keeps the
// shadow of frame k at frame k + count / 2. With pairing on, every operation acts on whole pairs:
// a frame of either half stands for itself and its partner, and the two halves are changed
// alike, so that deleting frame 3 of 16 also deletes frame 11. Pairing off (or a sprite without
// shadow frames) treats every frame alone.
//
// Every operation validates its arguments first and throws EditError, changing nothing, when
// they are not possible. Afterwards the frames are marked stale (the renderer depends on a
// frame's position), the sprite is unsaved (IsSaved false), and the operation returns what is
// needed to undo it, exactly, byte for byte:
//
//   operation                         returns               undo                 redo
//   DeleteFrames                      TTakenFrames t        PutFrames(t)         DeleteFrames again, or TakeFrames(t.Positions)
//   DuplicateFrames, InsertFrames     positions p           t = TakeFrames(p)    PutFrames(t)
//   MoveFrames, ReverseFrames         TFrameOrder o         ReorderFrames(InverseOrder(o))   ReorderFrames(o)
//   ResizeCanvas, CropCanvas          TCanvas c (before)    SwapCanvas(c)        SwapCanvas(c)
//
// Frames held for undo (in TTakenFrames and TCanvas) give up their render caches, so they cost
// one canvas of pixels each; the low-level functions (TakeFrames, PutFrames, ReorderFrames,
// SwapCanvas) never allocate pixels. Frames move between the sprite and these holders without
// being copied. Operations must be undone in the reverse order they were done (as an undo stack
// does): a TTakenFrames fits only the canvas it was taken from.
#pragma once

#include "SHP.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// An operation that is not possible on this sprite; the message names the value at fault.
class EditError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// A sprite holds at most this many frames, and an edit never makes canvases of more than
// EditCanvasBudget bytes in all.
inline constexpr int MaxFrames = 65535;
inline constexpr int MaxCanvasSide = 65535;
inline constexpr uint64_t EditCanvasBudget = uint64_t(1) << 30;

// Where the old canvas sits in a resized one (and where smaller inserted frames sit).
enum class TAnchor : uint8_t { TopLeft, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight };
inline constexpr int AnchorCount = 9;
// "top-left", "top", ..., "centre", ..., "bottom-right".
std::string_view AnchorName(TAnchor anchor);
// Those names, any case, also "center", "middle", the short forms "tl", "t", "tr", "l", "c",
// "r", "bl", "b", "br" and the compass forms "nw", "n", "ne", "w", "e", "sw", "s", "se".
std::optional<TAnchor> ParseAnchor(std::string_view text);
// The offset of content of size `from` inside size `to` along one axis: 0 at the near edge,
// (to - from) / 2 (rounded toward zero) in the middle, to - from at the far edge. Negative when
// `to` is smaller: the content is cut.
int AnchorOffsetX(TAnchor anchor, int from, int to);
int AnchorOffsetY(TAnchor anchor, int from, int to);

// Whether operations can keep frames paired with shadows on this sprite: it has shadow frames
// and an even number of at least two frames.
bool CanPairShadows(const TSHP& sprite);

// --- frames taken out, put back, reordered; the canvas swapped -----------------------------------

struct TTakenFrames {
    int Width = 0;
    int Height = 0;
    std::vector<int> Positions;    // ascending: the index each frame had
    std::vector<TSHPFrame> Frames; // the frames, in the same order
};

// Removes the frames at the given positions (ascending, without repeats, each valid).
TTakenFrames TakeFrames(TSHP& sprite, std::span<const int> positions);
// Puts taken frames back where they were: afterwards frame Positions[k] is Frames[k]. taken is
// left empty. Throws EditError when the sprite's canvas is not the one they were taken from or
// a position lies beyond the frames.
void PutFrames(TSHP& sprite, TTakenFrames& taken);

// A new order of all frames: new frame p is the old frame Order[p].
using TFrameOrder = std::vector<int>;
// Throws EditError when order is not a permutation of the frames.
void ReorderFrames(TSHP& sprite, const TFrameOrder& order);
TFrameOrder InverseOrder(const TFrameOrder& order);

// A canvas size with all the frames of a sprite.
struct TCanvas {
    int Width = 0;
    int Height = 0;
    std::vector<TSHPFrame> Frames;
};
// Exchanges the sprite's canvas size and frames with canvas.
void SwapCanvas(TSHP& sprite, TCanvas& canvas);
// A copy of the sprite's canvas size and frames (pixels, rectangles, radar colours; no caches):
// the undo of a change that is not one of these operations, such as a recolouring, is
// SwapCanvas with a copy made before it, and its redo the same again.
TCanvas CopyCanvas(const TSHP& sprite);

// The bytes of pixels held, for bounding the memory an undo history keeps.
uint64_t PixelBytes(const TTakenFrames& taken);
uint64_t PixelBytes(const TCanvas& canvas);

// --- operations -------------------------------------------------------------------------------------

// The frames an operation on the given frames acts on: with pairing (and CanPairShadows) each
// frame with its partner; ascending, without repeats. Throws EditError naming a frame that does
// not exist.
std::vector<int> SelectFrames(const TSHP& sprite, std::span<const int> frames, bool pairing);

// Deletes the frames (with their partners). At least one frame must remain.
TTakenFrames DeleteFrames(TSHP& sprite, std::span<const int> frames, bool pairing);

// Inserts copies of the frames, in their order, right after the last of them (with pairing, the
// copies of the shadows likewise after the last selected shadow). Returns the copies' positions.
std::vector<int> DuplicateFrames(TSHP& sprite, std::span<const int> frames, bool pairing);

// Moves the frames, keeping their order, so that the first of them becomes frame `to` (with
// pairing, `to` counts within a half: a position in the shadow half means the same position in
// the first half). `to` ranges from 0 to the number of frames (or pairs) not moved.
TFrameOrder MoveFrames(TSHP& sprite, std::span<const int> frames, int to, bool pairing);
// The `to` of MoveFrames that drops the frames before frame `before` as it is now (count: at the
// end), as a drag and drop does; with pairing `before` counts as InsertFrames' position does.
int DropTarget(const TSHP& sprite, std::span<const int> frames, int before, bool pairing);

// Reverses the order of the frames among their own positions; no frames given: all of them.
TFrameOrder ReverseFrames(TSHP& sprite, std::span<const int> frames, bool pairing);

// Frames to insert: their canvas size and frames; ShadowHalf when their second half holds the
// shadows of their first (a sprite with shadow frames of its own).
struct TFrameSource {
    int Width = 0;
    int Height = 0;
    std::vector<TSHPFrame> Frames;
    bool ShadowHalf = false;
};
// The frames of a sprite as a source (moved out of it, so the sprite is left without frames);
// ShadowHalf when CanPairShadows(sprite).
TFrameSource FrameSourceOf(TSHP& sprite);

// Inserts the source's frames before frame `position` (count: at the end). Frames of another
// canvas size are placed on the sprite's canvas by anchor and bounded anew. With pairing, a
// `position` up to count / 2 is a place in the first half (count / 2: its end) and a larger one
// counts from the start of the shadow half; a source with ShadowHalf sends its first half to the
// sprite's first half and its second half to the shadow half, and any other source's frames go
// to the first half with an empty shadow frame each. A sprite without frames takes the source's
// canvas size. Returns the new frames' positions; source is left without frames.
std::vector<int> InsertFrames(TSHP& sprite, TFrameSource& source, int position, TAnchor anchor, bool pairing);

// A new canvas of width x height for every frame, the old one placed by anchor; rectangles are
// recomputed from the pixels. Returns the canvas before.
TCanvas ResizeCanvas(TSHP& sprite, int width, int height, TAnchor anchor);
// The smallest rectangle holding every non-zero pixel of every frame; CX and CY 0 when all frames
// are empty.
TFrameRect ContentBounds(const TSHP& sprite);
// Cuts the canvas down to ContentBounds. Throws EditError when every frame is empty.
TCanvas CropCanvas(TSHP& sprite);

// Parses a frame list like "3,5-7" (frames 3, 5, 6 and 7; numbers from 0) in the given order,
// ranges ascending; nullopt for anything else.
std::optional<std::vector<int>> ParseFrameList(std::string_view text);

} // namespace vantrel
