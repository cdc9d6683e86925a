#include "UndoCommands.h"

#include <QSignalBlocker>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <numeric>

namespace vantrel {

namespace {

uint64_t VectorBytes(const std::vector<int>& v) { return v.size() * sizeof(int); }

std::vector<int> Ascending(std::span<const int> frames)
{
    std::vector<int> sorted(frames.begin(), frames.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

TEditOutcome Showing(std::vector<int> select)
{
    TEditOutcome outcome;
    outcome.Show = select.empty() ? -1 : select.front();
    outcome.Select = std::move(select);
    return outcome;
}

// The number of pairs when the operations keep frames paired, else 0.
int Pairs(const TSHP& sprite, bool pairing) { return pairing && CanPairShadows(sprite) ? sprite.FrameCount() / 2 : 0; }

// New frames at positions: those the user sees as added (with pairing, the first half's).
std::vector<int> MainPositions(const std::vector<int>& positions, bool paired)
{
    if (!paired)
        return positions;
    return {positions.begin(), positions.begin() + std::ptrdiff_t(positions.size() / 2)};
}

class TDeleteStep : public TEditStep {
public:
    TDeleteStep(TSHP& sprite, std::span<const int> chosen, bool pairing)
    {
        const std::vector<int> user = Ascending(chosen);
        Taken = DeleteFrames(sprite, user, pairing);
        Positions = Taken.Positions;
        Text = "Delete Frames";
        AfterRedo = Showing({std::min(Positions.front(), sprite.FrameCount() - 1)});
        AfterUndo = Showing(user);
    }
    void Undo(TSHP& sprite) override { PutFrames(sprite, Taken); }
    void Redo(TSHP& sprite) override { Taken = TakeFrames(sprite, Positions); }
    uint64_t HeldBytes() const override { return PixelBytes(Taken) + 2 * VectorBytes(Positions); }

private:
    TTakenFrames Taken;
    std::vector<int> Positions;
};

// Frames added at Positions (duplicates, inserted frames): undone by taking them out again.
class TAddStep : public TEditStep {
public:
    TAddStep(std::string text, std::vector<int> positions, bool paired, std::span<const int> chosen)
        : Positions(std::move(positions))
    {
        Text = std::move(text);
        AfterRedo = Showing(MainPositions(Positions, paired));
        AfterUndo = Showing(Ascending(chosen));
    }
    void Undo(TSHP& sprite) override { Taken = TakeFrames(sprite, Positions); }
    void Redo(TSHP& sprite) override { PutFrames(sprite, Taken); }
    uint64_t HeldBytes() const override { return PixelBytes(Taken) + 2 * VectorBytes(Positions); }

private:
    std::vector<int> Positions;
    TTakenFrames Taken;
};

class TReorderStep : public TEditStep {
public:
    TReorderStep(std::string text, TFrameOrder order, std::span<const int> chosen) : Order(std::move(order))
    {
        Text = std::move(text);
        const TFrameOrder inverse = InverseOrder(Order);
        const std::vector<int> user = Ascending(chosen);
        std::vector<int> moved;
        for (int f : user)
            moved.push_back(inverse[size_t(f)]);
        AfterRedo = Showing(Ascending(moved));
        AfterUndo = Showing(user);
    }
    void Undo(TSHP& sprite) override { ReorderFrames(sprite, InverseOrder(Order)); }
    void Redo(TSHP& sprite) override { ReorderFrames(sprite, Order); }
    uint64_t HeldBytes() const override { return VectorBytes(Order); }

private:
    TFrameOrder Order;
};

// A change of the canvas or of all pixels, undone and redone by exchanging the canvas.
class TCanvasStep : public TEditStep {
public:
    TCanvasStep(std::string text, TCanvas other) : Other(std::move(other)) { Text = std::move(text); }
    void Undo(TSHP& sprite) override { SwapCanvas(sprite, Other); }
    void Redo(TSHP& sprite) override { SwapCanvas(sprite, Other); }
    uint64_t HeldBytes() const override { return PixelBytes(Other); }

private:
    TCanvas Other;
};

class TRadarColourStep : public TEditStep {
public:
    TRadarColourStep(TSHP& sprite, int frame, uint32_t value) : Frame(frame)
    {
        const TSHPFrame& f = sprite.GetFrame(frame);
        Other = {f.RadarColour, f.RadarColourExtra};
        sprite.SetRadarColour(frame, value);
        sprite.IsSaved = false;
        Text = "Radar Colour";
        AfterRedo = AfterUndo = Showing({frame});
    }
    void Undo(TSHP& sprite) override { Exchange(sprite); }
    void Redo(TSHP& sprite) override { Exchange(sprite); }
    uint64_t HeldBytes() const override { return 0; }

private:
    void Exchange(TSHP& sprite)
    {
        TSHPFrame& f = sprite.GetFrame(Frame);
        std::swap(f.RadarColour, Other.first);
        std::swap(f.RadarColourExtra, Other.second);
    }
    int Frame;
    std::pair<TColour24, uint8_t> Other;
};

class TPaletteTrailerStep : public TEditStep {
public:
    TPaletteTrailerStep(TSHP& sprite, bool save)
    {
        sprite.SavePalette = save;
        sprite.IsSaved = false;
        Text = save ? "Add Palette to File" : "Remove Palette from File";
    }
    void Undo(TSHP& sprite) override { sprite.SavePalette = !sprite.SavePalette; }
    void Redo(TSHP& sprite) override { sprite.SavePalette = !sprite.SavePalette; }
    uint64_t HeldBytes() const override { return 0; }
};

bool IsIdentity(const TFrameOrder& order)
{
    for (size_t p = 0; p < order.size(); ++p)
        if (order[p] != int(p))
            return false;
    return true;
}

// A reorder step, or none when the order is unchanged (the sprite keeps its saved state).
std::unique_ptr<TEditStep> Reordered(TSHP& sprite, bool wasSaved, std::string text, TFrameOrder order,
                                     std::span<const int> chosen)
{
    if (IsIdentity(order)) {
        sprite.IsSaved = wasSaved;
        return nullptr;
    }
    return std::make_unique<TReorderStep>(std::move(text), std::move(order), chosen);
}

} // namespace

std::unique_ptr<TEditStep> MakeDeleteFrames(TSHP& sprite, std::span<const int> chosen, bool pairing)
{
    if (chosen.empty())
        return nullptr;
    return std::make_unique<TDeleteStep>(sprite, chosen, pairing);
}

std::unique_ptr<TEditStep> MakeDuplicateFrames(TSHP& sprite, std::span<const int> chosen, bool pairing)
{
    const bool paired = Pairs(sprite, pairing) > 0;
    std::vector<int> positions = DuplicateFrames(sprite, Ascending(chosen), pairing);
    if (positions.empty())
        return nullptr;
    return std::make_unique<TAddStep>("Duplicate Frames", std::move(positions), paired, chosen);
}

std::unique_ptr<TEditStep> MakeShiftFrames(TSHP& sprite, std::span<const int> chosen, int by, bool pairing)
{
    const std::vector<int> selected = SelectFrames(sprite, chosen, pairing);
    if (selected.empty())
        return nullptr;
    const int pairs = Pairs(sprite, pairing);
    const int items = pairs ? pairs : sprite.FrameCount();
    const int moving = pairs ? int(selected.size() / 2) : int(selected.size());
    const int to = std::clamp(selected.front() + by, 0, items - moving);
    const bool wasSaved = sprite.IsSaved;
    return Reordered(sprite, wasSaved, "Move Frames", MoveFrames(sprite, chosen, to, pairing), chosen);
}

bool CanShiftFrames(const TSHP& sprite, std::span<const int> chosen, int by, bool pairing)
{
    std::vector<int> selected;
    try {
        selected = SelectFrames(sprite, chosen, pairing);
    } catch (const EditError&) {
        return false;
    }
    if (selected.empty() || by == 0)
        return false;
    const int pairs = Pairs(sprite, pairing);
    const int items = pairs ? pairs : sprite.FrameCount();
    const int moving = pairs ? int(selected.size() / 2) : int(selected.size());
    const int first = selected.front();
    // Frames apart are gathered wherever they go.
    if (selected[size_t(moving - 1)] - first != moving - 1)
        return true;
    return by < 0 ? first > 0 : first + moving < items;
}

std::unique_ptr<TEditStep> MakeDropFrames(TSHP& sprite, std::span<const int> chosen, int before, bool pairing)
{
    if (chosen.empty())
        return nullptr;
    const int to = DropTarget(sprite, chosen, before, pairing);
    const bool wasSaved = sprite.IsSaved;
    return Reordered(sprite, wasSaved, "Move Frames", MoveFrames(sprite, chosen, to, pairing), chosen);
}

std::unique_ptr<TEditStep> MakeReverseFrames(TSHP& sprite, std::span<const int> chosen, bool pairing)
{
    const std::vector<int> user = Ascending(chosen);
    const std::span<const int> frames = user.size() >= 2 ? std::span<const int>(user) : std::span<const int>();
    const bool wasSaved = sprite.IsSaved;
    return Reordered(sprite, wasSaved, "Reverse Frame Order", ReverseFrames(sprite, frames, pairing), chosen);
}

std::unique_ptr<TEditStep> MakeInsertFrames(TSHP& sprite, TFrameSource& source, int position, TAnchor anchor,
                                            std::span<const int> chosen, bool pairing)
{
    const bool paired = Pairs(sprite, pairing) > 0;
    std::vector<int> positions = InsertFrames(sprite, source, position, anchor, pairing);
    return std::make_unique<TAddStep>("Insert Frames", std::move(positions), paired, chosen);
}

std::unique_ptr<TEditStep> MakeResizeCanvas(TSHP& sprite, int width, int height, TAnchor anchor)
{
    if (width == sprite.Width && height == sprite.Height)
        return nullptr;
    return std::make_unique<TCanvasStep>("Resize Canvas", ResizeCanvas(sprite, width, height, anchor));
}

std::unique_ptr<TEditStep> MakeCropCanvas(TSHP& sprite)
{
    const TFrameRect content = ContentBounds(sprite);
    if (content == TFrameRect{0, 0, sprite.Width, sprite.Height})
        return nullptr;
    return std::make_unique<TCanvasStep>("Crop Canvas", CropCanvas(sprite));
}

std::unique_ptr<TEditStep> MakeRecolour(TSHP& sprite, const TCScheme& scheme)
{
    TCanvas before = CopyCanvas(sprite);
    ApplyScheme(sprite, scheme);
    return std::make_unique<TCanvasStep>("Recolour", std::move(before));
}

std::unique_ptr<TEditStep> MakeRadarColour(TSHP& sprite, int frame, uint32_t value)
{
    return std::make_unique<TRadarColourStep>(sprite, frame, value);
}

std::unique_ptr<TEditStep> MakePaletteTrailer(TSHP& sprite, bool save)
{
    if (sprite.SavePalette == save)
        return nullptr;
    return std::make_unique<TPaletteTrailerStep>(sprite, save);
}

// --- the history ---------------------------------------------------------------------------------

// One step on the stack. The step has been done when the command is pushed, so its first redo
// only tells the window.
class TStepCommand : public QUndoCommand {
public:
    TStepCommand(TSpriteHistory& history, std::unique_ptr<TEditStep> step, bool announce)
        : QUndoCommand(QString::fromStdString(step->Text)), History(history), Step(std::move(step)), Announce(announce)
    {
    }
    void undo() override { History.Apply(*Step, false); }
    void redo() override
    {
        if (Done) {
            Done = false;
            if (Announce)
                emit History.Applied(Step->AfterRedo);
            return;
        }
        History.Apply(*Step, true);
    }
    uint64_t HeldBytes() const { return Step->HeldBytes(); }
    std::unique_ptr<TEditStep> TakeStep() { return std::move(Step); }

private:
    TSpriteHistory& History;
    std::unique_ptr<TEditStep> Step;
    bool Done = true;
    bool Announce;
};

namespace {

TStepCommand& CommandAt(QUndoStack& stack, int i)
{
    // The stack hands out its commands as const; they are the history's own.
    return *const_cast<TStepCommand*>(static_cast<const TStepCommand*>(stack.command(i)));
}

} // namespace

TSpriteHistory::TSpriteHistory(QObject* parent) : QObject(parent), Stack(new QUndoStack(this))
{
    connect(Stack, &QUndoStack::indexChanged, this, &TSpriteHistory::StateChanged);
    connect(Stack, &QUndoStack::cleanChanged, this, &TSpriteHistory::StateChanged);
}

uint64_t TSpriteHistory::Limit() const
{
    uint64_t canvases = 0;
    if (Sprite)
        canvases = uint64_t(Sprite->FrameCount()) * uint64_t(std::max(Sprite->Width, 0)) *
                   uint64_t(std::max(Sprite->Height, 0));
    return std::max(MinimumLimit, 4 * canvases);
}

uint64_t TSpriteHistory::HeldBytes() const
{
    uint64_t total = 0;
    for (int i = 0; i < Stack->count(); ++i)
        total += CommandAt(*Stack, i).HeldBytes();
    return total;
}

void TSpriteHistory::Reset(TSHP* sprite)
{
    Sprite = sprite;
    {
        const QSignalBlocker block(Stack);
        Stack->clear();
        if (!sprite || !sprite->IsSaved)
            Stack->resetClean();
    }
    emit StateChanged();
}

void TSpriteHistory::Push(std::unique_ptr<TEditStep> step)
{
    if (!step || !Sprite)
        return;
    Stack->push(new TStepCommand(*this, std::move(step), true));
    Trim();
}

void TSpriteHistory::MarkSaved(bool saved)
{
    if (saved)
        Stack->setClean();
    else
        Stack->resetClean();
}

bool TSpriteHistory::IsClean() const { return Stack->isClean(); }

void TSpriteHistory::Apply(TEditStep& step, bool redo)
{
    if (!Sprite)
        return;
    try {
        if (redo)
            step.Redo(*Sprite);
        else
            step.Undo(*Sprite);
    } catch (const std::exception& e) {
        // The stack cannot be cleared while it runs a command.
        const QString message = QString::fromStdString(e.what());
        QTimer::singleShot(0, this, [this, message] {
            Reset(Sprite);
            emit Failed(message);
        });
        return;
    }
    emit Applied(redo ? step.AfterRedo : step.AfterUndo);
}

void TSpriteHistory::Trim()
{
    const int count = Stack->count();
    if (count < 2 || Stack->index() != count)
        return;
    const uint64_t limit = Limit();
    uint64_t total = HeldBytes();
    int drop = 0;
    while (drop < count - 1 && total > limit)
        total -= CommandAt(*Stack, drop++).HeldBytes();
    if (drop == 0)
        return;
    const int clean = Stack->cleanIndex();
    std::vector<std::unique_ptr<TEditStep>> kept;
    for (int i = drop; i < count; ++i)
        kept.push_back(CommandAt(*Stack, i).TakeStep());
    {
        const QSignalBlocker block(Stack);
        Stack->clear();
        for (int i = drop; i <= count; ++i) {
            if (i == clean)
                Stack->setClean();
            if (i < count)
                Stack->push(new TStepCommand(*this, std::move(kept[size_t(i - drop)]), false));
        }
        if (clean < drop)
            Stack->resetClean();
    }
    emit StateChanged();
}

} // namespace vantrel
