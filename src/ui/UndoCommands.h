// Undo and redo of the changes the main window makes to its sprite. Each change is an edit step:
// made by one of the Make functions, which do the change at once (or throw EditError having
// changed nothing), then undone and redone exactly, byte for byte, through the frame operations'
// inverses. TSpriteHistory keeps the steps on a QUndoStack, within a bound of memory, and tells
// the window after each step is done or undone which frames to select and show.
#pragma once

#include "sprite/CScheme.h"
#include "sprite/FrameEdit.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QUndoStack;

namespace vantrel {

// Where the window's selection goes after a step is done or undone: the frames to select (none:
// the selection stays) and the frame to show (-1: the one shown, or the last when it is gone).
struct TEditOutcome {
    std::vector<int> Select;
    int Show = -1;
};

class TEditStep {
public:
    virtual ~TEditStep() = default;
    virtual void Undo(TSHP& sprite) = 0;
    virtual void Redo(TSHP& sprite) = 0;
    // The bytes the step keeps now for undoing or redoing itself.
    virtual uint64_t HeldBytes() const = 0;

    // What the step is called in the Edit menu ("Delete Frames").
    std::string Text;
    TEditOutcome AfterRedo;
    TEditOutcome AfterUndo;
};

// The steps. chosen are the frames the user chose (ascending); pairing keeps frames paired with
// their shadows where the sprite allows it. A null step: the change would change nothing (the
// sprite is as it was).
std::unique_ptr<TEditStep> MakeDeleteFrames(TSHP& sprite, std::span<const int> chosen, bool pairing);
std::unique_ptr<TEditStep> MakeDuplicateFrames(TSHP& sprite, std::span<const int> chosen, bool pairing);
// Moves the chosen frames, gathered, so that the first of them goes `by` places earlier
// (negative) or later, as far as they can go.
std::unique_ptr<TEditStep> MakeShiftFrames(TSHP& sprite, std::span<const int> chosen, int by, bool pairing);
// Whether MakeShiftFrames would change the order: the chosen frames are not together at the end
// they would move to.
bool CanShiftFrames(const TSHP& sprite, std::span<const int> chosen, int by, bool pairing);
// Moves the chosen frames before frame `before` as it is now (FrameCount: to the end), as a drag
// and drop does.
std::unique_ptr<TEditStep> MakeDropFrames(TSHP& sprite, std::span<const int> chosen, int before, bool pairing);
// Reverses the order of the chosen frames, or of all frames when fewer than two are chosen.
std::unique_ptr<TEditStep> MakeReverseFrames(TSHP& sprite, std::span<const int> chosen, bool pairing);
std::unique_ptr<TEditStep> MakeInsertFrames(TSHP& sprite, TFrameSource& source, int position, TAnchor anchor,
                                            std::span<const int> chosen, bool pairing);
std::unique_ptr<TEditStep> MakeResizeCanvas(TSHP& sprite, int width, int height, TAnchor anchor);
std::unique_ptr<TEditStep> MakeCropCanvas(TSHP& sprite);
// Every frame's pixels mapped through the scheme.
std::unique_ptr<TEditStep> MakeRecolour(TSHP& sprite, const TCScheme& scheme);
// Frame frame's radar colour set to value (0x00BBGGRR, as SetRadarColour takes it).
std::unique_ptr<TEditStep> MakeRadarColour(TSHP& sprite, int frame, uint32_t value);
// Whether saving appends the palette trailer (the palette in use, the game and the type); null
// when it already does as asked.
std::unique_ptr<TEditStep> MakePaletteTrailer(TSHP& sprite, bool save);

// The steps made to one sprite, undone and redone through a QUndoStack. Its clean state is the
// sprite's saved state: undoing or redoing back to it leaves the sprite without unsaved changes.
// The memory the steps keep is bounded by Limit; the oldest steps are dropped first, the newest
// is always kept.
class TSpriteHistory : public QObject {
    Q_OBJECT
public:
    explicit TSpriteHistory(QObject* parent = nullptr);

    QUndoStack* Stack = nullptr;
    // The bound is the larger of this and four times the sprite's canvases.
    uint64_t MinimumLimit = uint64_t(256) << 20;
    uint64_t Limit() const;
    uint64_t HeldBytes() const;

    // Starts again for sprite (null: none): no steps, and the clean state only when the sprite
    // is saved.
    void Reset(TSHP* sprite);
    // Adds a step that has been done.
    void Push(std::unique_ptr<TEditStep> step);
    // Saved (the present is the clean state) or changed outside the steps (no state is clean).
    void MarkSaved(bool saved);
    bool IsClean() const;

signals:
    // A step was done, undone or redone; the sprite has changed.
    void Applied(const TEditOutcome& outcome);
    // Undo, redo, their texts or the clean state may have changed.
    void StateChanged();
    // A step could not be undone or redone (the sprite is as it was); the steps are gone.
    void Failed(const QString& message);

private:
    friend class TStepCommand;
    TSHP* Sprite = nullptr;
    void Apply(TEditStep& step, bool redo);
    void Trim();
};

} // namespace vantrel
