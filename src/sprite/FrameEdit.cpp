#include "FrameEdit.h"

#include "FileUtil.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {

namespace {

struct TAnchorName {
    TAnchor Anchor;
    std::array<std::string_view, 4> Names; // the first is the one shown
};

constexpr std::array<TAnchorName, AnchorCount> AnchorNames{{
    {TAnchor::TopLeft, {"top-left", "tl", "nw", "topleft"}},
    {TAnchor::Top, {"top", "t", "n", "top-centre"}},
    {TAnchor::TopRight, {"top-right", "tr", "ne", "topright"}},
    {TAnchor::Left, {"left", "l", "w", "centre-left"}},
    {TAnchor::Centre, {"centre", "c", "center", "middle"}},
    {TAnchor::Right, {"right", "r", "e", "centre-right"}},
    {TAnchor::BottomLeft, {"bottom-left", "bl", "sw", "bottomleft"}},
    {TAnchor::Bottom, {"bottom", "b", "s", "bottom-centre"}},
    {TAnchor::BottomRight, {"bottom-right", "br", "se", "bottomright"}},
}};

std::string Size(int64_t w, int64_t h) { return std::to_string(w) + " x " + std::to_string(h); }

std::string FrameRange(const TSHP& sprite)
{
    const int n = sprite.FrameCount();
    if (n == 0)
        return "the sprite has no frames";
    return "the sprite has " + std::to_string(n) + (n == 1 ? " frame, 0" : " frames, 0 to " + std::to_string(n - 1));
}

// Whether pairing applies, and the number of pairs.
int PairCount(const TSHP& sprite, bool pairing) { return pairing && CanPairShadows(sprite) ? sprite.FrameCount() / 2 : 0; }

void Touched(TSHP& sprite)
{
    sprite.InvalidateFrames();
    sprite.IsSaved = false;
}

void DropCaches(TSHPFrame& frame)
{
    frame.RGBCache.reset();
    frame.AlphaCache.reset();
    frame.CacheArea = {};
    frame.Dirty = true;
}

size_t CanvasBytes(int width, int height) { return size_t(width) * size_t(height); }

// Refuses (EditError) making `frames` new canvases of width x height.
void CheckNewCanvases(int width, int height, size_t frames, const std::string& what)
{
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * frames;
    if (frames > 0 && bytes > EditCanvasBudget)
        throw EditError(what + " would need " + std::to_string(bytes) + " bytes of canvas for " +
                        std::to_string(frames) + " frames of " + Size(width, height) + ", more than the " +
                        std::to_string(EditCanvasBudget >> 20) + " MiB an edit may use");
}

void CheckFrameTotal(size_t total, const std::string& what)
{
    if (total > size_t(MaxFrames))
        throw EditError(what + " would make " + std::to_string(total) + " frames; a sprite holds at most " +
                        std::to_string(MaxFrames));
}

TPixelBuffer NewCanvas(int width, int height) { return std::make_unique<uint8_t[]>(CanvasBytes(width, height)); }

uint64_t FramePixelBytes(const std::vector<TSHPFrame>& frames, int width, int height)
{
    const auto withPixels = std::count_if(frames.begin(), frames.end(), [](const TSHPFrame& f) { return bool(f.Data); });
    return uint64_t(withPixels) * CanvasBytes(width, height);
}

TSHPFrame CopyFrame(const TSHPFrame& f, int width, int height)
{
    TSHPFrame copy;
    copy.X = f.X;
    copy.Y = f.Y;
    copy.CX = f.CX;
    copy.CY = f.CY;
    copy.RadarColour = f.RadarColour;
    copy.RadarColourExtra = f.RadarColourExtra;
    if (f.Data) {
        copy.Data = NewCanvas(width, height);
        std::memcpy(copy.Data.get(), f.Data.get(), CanvasBytes(width, height));
    }
    return copy;
}

void SetBounds(TSHPFrame& f, int width, int height)
{
    const TFrameRect r = f.Data ? NonZeroBounds(f.Data.get(), width, height) : TFrameRect{};
    f.X = uint16_t(r.X);
    f.Y = uint16_t(r.Y);
    f.CX = uint16_t(r.CX);
    f.CY = uint16_t(r.CY);
}

// The frame's pixels on a canvas of width x height, its own canvas (fromW x fromH) placed at
// (dx, dy) and cut to the new one; bounded anew. A frame without pixels stays without.
TSHPFrame Replace(const TSHPFrame& f, int fromW, int fromH, int width, int height, int dx, int dy)
{
    TSHPFrame result;
    result.RadarColour = f.RadarColour;
    result.RadarColourExtra = f.RadarColourExtra;
    if (!f.Data)
        return result;
    result.Data = NewCanvas(width, height);
    const int x0 = std::max(0, dx), x1 = std::min(width, dx + fromW);
    const int y0 = std::max(0, dy), y1 = std::min(height, dy + fromH);
    for (int y = y0; y < y1 && x0 < x1; ++y)
        std::memcpy(result.Data.get() + size_t(y) * size_t(width) + size_t(x0),
                    f.Data.get() + size_t(y - dy) * size_t(fromW) + size_t(x0 - dx), size_t(x1 - x0));
    SetBounds(result, width, height);
    return result;
}

// Every frame moved onto a new canvas of width x height at (dx, dy); returns the canvas before.
TCanvas ChangeCanvas(TSHP& sprite, int width, int height, int dx, int dy)
{
    std::vector<TSHPFrame> frames;
    frames.reserve(sprite.Frames.size());
    for (const TSHPFrame& f : sprite.Frames)
        frames.push_back(Replace(f, sprite.Width, sprite.Height, width, height, dx, dy));
    TCanvas before{width, height, std::move(frames)};
    SwapCanvas(sprite, before);
    return before;
}

// The order of `count` items in which the (ascending) selected ones, kept in their order, start
// at position `to` and the others keep theirs around them.
TFrameOrder BlockMovedTo(int count, const std::vector<int>& selected, int to)
{
    std::vector<bool> chosen(size_t(count), false);
    for (int s : selected)
        chosen[size_t(s)] = true;
    TFrameOrder rest;
    for (int i = 0; i < count; ++i)
        if (!chosen[size_t(i)])
            rest.push_back(i);
    TFrameOrder order(rest.begin(), rest.begin() + to);
    order.insert(order.end(), selected.begin(), selected.end());
    order.insert(order.end(), rest.begin() + to, rest.end());
    return order;
}

TFrameOrder Reversed(int count, const std::vector<int>& selected)
{
    TFrameOrder order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    for (size_t k = 0; k < selected.size(); ++k)
        order[size_t(selected[k])] = selected[selected.size() - 1 - k];
    return order;
}

// An order of the first half applied to both halves.
TFrameOrder BothHalves(const TFrameOrder& half)
{
    const int n = int(half.size());
    TFrameOrder order(half);
    for (int k : half)
        order.push_back(k + n);
    return order;
}

// The selected frames of the first half (pairs).
std::vector<int> FirstHalf(const std::vector<int>& selected, int pairs)
{
    std::vector<int> half;
    for (int s : selected)
        if (s < pairs)
            half.push_back(s);
    return half;
}

// With pairing a place between frames beyond the first half counts from the start of the shadow
// half; the place after the first half is the end.
int WithinHalf(int position, int pairs) { return position > pairs ? position - pairs : position; }

void CheckPositionsAscending(std::span<const int> positions, int limit, const char* what)
{
    for (size_t k = 0; k < positions.size(); ++k)
        if (positions[k] < 0 || positions[k] >= limit || (k > 0 && positions[k] <= positions[k - 1]))
            throw EditError(std::string(what) + ": the positions must ascend within the frames");
}

// The offset along one axis of content of size `from` in size `to`: near edge (0), middle (1),
// far edge (2).
int PlaceAlong(int place, int from, int to) { return place == 0 ? 0 : place == 1 ? (to - from) / 2 : to - from; }

bool ReadNumber(std::string_view s, int& value)
{
    if (s.empty() || s.size() > 9)
        return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

std::string_view AnchorName(TAnchor anchor)
{
    for (const TAnchorName& a : AnchorNames)
        if (a.Anchor == anchor)
            return a.Names[0];
    return "centre";
}

std::optional<TAnchor> ParseAnchor(std::string_view text)
{
    const std::string lower = LowerCase(text);
    for (const TAnchorName& a : AnchorNames)
        for (std::string_view name : a.Names)
            if (lower == name)
                return a.Anchor;
    return std::nullopt;
}

int AnchorOffsetX(TAnchor anchor, int from, int to) { return PlaceAlong(int(anchor) % 3, from, to); }

int AnchorOffsetY(TAnchor anchor, int from, int to) { return PlaceAlong(int(anchor) / 3, from, to); }

bool CanPairShadows(const TSHP& sprite)
{
    const int n = sprite.FrameCount();
    return sprite.HasShadowFrames() && n >= 2 && n % 2 == 0;
}

TTakenFrames TakeFrames(TSHP& sprite, std::span<const int> positions)
{
    CheckPositionsAscending(positions, sprite.FrameCount(), "TakeFrames");
    TTakenFrames taken{sprite.Width, sprite.Height, std::vector<int>(positions.begin(), positions.end()), {}};
    taken.Frames.reserve(positions.size());
    std::vector<TSHPFrame> kept;
    kept.reserve(sprite.Frames.size() - positions.size());
    size_t next = 0;
    for (size_t i = 0; i < sprite.Frames.size(); ++i) {
        if (next < positions.size() && size_t(positions[next]) == i) {
            DropCaches(sprite.Frames[i]);
            taken.Frames.push_back(std::move(sprite.Frames[i]));
            ++next;
        } else {
            kept.push_back(std::move(sprite.Frames[i]));
        }
    }
    sprite.Frames = std::move(kept);
    Touched(sprite);
    return taken;
}

void PutFrames(TSHP& sprite, TTakenFrames& taken)
{
    if (taken.Width != sprite.Width || taken.Height != sprite.Height)
        throw EditError("Frames of " + Size(taken.Width, taken.Height) + " cannot be put back into a sprite of " +
                        Size(sprite.Width, sprite.Height));
    if (taken.Positions.size() != taken.Frames.size())
        throw EditError("PutFrames: as many positions as frames are needed");
    const size_t total = sprite.Frames.size() + taken.Frames.size();
    CheckPositionsAscending(taken.Positions, int(std::min<size_t>(total, INT32_MAX)), "PutFrames");
    std::vector<TSHPFrame> frames;
    frames.reserve(total);
    size_t next = 0, old = 0;
    for (size_t i = 0; i < total; ++i) {
        if (next < taken.Positions.size() && size_t(taken.Positions[next]) == i)
            frames.push_back(std::move(taken.Frames[next++]));
        else
            frames.push_back(std::move(sprite.Frames[old++]));
    }
    sprite.Frames = std::move(frames);
    taken.Positions.clear();
    taken.Frames.clear();
    Touched(sprite);
}

void ReorderFrames(TSHP& sprite, const TFrameOrder& order)
{
    const size_t n = sprite.Frames.size();
    std::vector<bool> seen(n, false);
    if (order.size() != n)
        throw EditError("ReorderFrames: the order must name every frame once");
    for (int k : order) {
        if (k < 0 || size_t(k) >= n || seen[size_t(k)])
            throw EditError("ReorderFrames: the order must name every frame once");
        seen[size_t(k)] = true;
    }
    std::vector<TSHPFrame> frames;
    frames.reserve(n);
    for (int k : order)
        frames.push_back(std::move(sprite.Frames[size_t(k)]));
    sprite.Frames = std::move(frames);
    Touched(sprite);
}

TFrameOrder InverseOrder(const TFrameOrder& order)
{
    TFrameOrder inverse(order.size());
    for (size_t p = 0; p < order.size(); ++p)
        inverse[size_t(order[p])] = int(p);
    return inverse;
}

void SwapCanvas(TSHP& sprite, TCanvas& canvas)
{
    std::swap(sprite.Width, canvas.Width);
    std::swap(sprite.Height, canvas.Height);
    std::swap(sprite.Frames, canvas.Frames);
    for (TSHPFrame& f : canvas.Frames)
        DropCaches(f);
    Touched(sprite);
}

TCanvas CopyCanvas(const TSHP& sprite)
{
    TCanvas copy{sprite.Width, sprite.Height, {}};
    copy.Frames.reserve(sprite.Frames.size());
    for (const TSHPFrame& f : sprite.Frames)
        copy.Frames.push_back(CopyFrame(f, sprite.Width, sprite.Height));
    return copy;
}

uint64_t PixelBytes(const TTakenFrames& taken) { return FramePixelBytes(taken.Frames, taken.Width, taken.Height); }

uint64_t PixelBytes(const TCanvas& canvas) { return FramePixelBytes(canvas.Frames, canvas.Width, canvas.Height); }

std::vector<int> SelectFrames(const TSHP& sprite, std::span<const int> frames, bool pairing)
{
    const int count = sprite.FrameCount();
    const int pairs = PairCount(sprite, pairing);
    std::vector<int> selected;
    for (int f : frames) {
        if (f < 0 || f >= count)
            throw EditError("Frame " + std::to_string(f) + " does not exist: " + FrameRange(sprite));
        if (pairs) {
            selected.push_back(f % pairs);
            selected.push_back(f % pairs + pairs);
        } else {
            selected.push_back(f);
        }
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    return selected;
}

TTakenFrames DeleteFrames(TSHP& sprite, std::span<const int> frames, bool pairing)
{
    const std::vector<int> selected = SelectFrames(sprite, frames, pairing);
    if (selected.size() == sprite.Frames.size())
        throw EditError("Deleting " + std::to_string(selected.size()) +
                        " frames would leave the sprite without frames; at least one must remain");
    return TakeFrames(sprite, selected);
}

std::vector<int> DuplicateFrames(TSHP& sprite, std::span<const int> frames, bool pairing)
{
    const std::vector<int> selected = SelectFrames(sprite, frames, pairing);
    if (selected.empty())
        return {};
    CheckFrameTotal(sprite.Frames.size() + selected.size(), "Duplicating " + std::to_string(selected.size()) + " frames");
    CheckNewCanvases(sprite.Width, sprite.Height, selected.size(), "Duplicating");
    const int pairs = PairCount(sprite, pairing);
    TTakenFrames copies{sprite.Width, sprite.Height, {}, {}};
    for (int s : selected)
        copies.Frames.push_back(CopyFrame(sprite.Frames[size_t(s)], sprite.Width, sprite.Height));
    if (pairs) {
        const std::vector<int> half = FirstHalf(selected, pairs);
        const int j = int(half.size());
        for (int k = 1; k <= j; ++k)
            copies.Positions.push_back(half.back() + k);
        for (int k = 1; k <= j; ++k)
            copies.Positions.push_back(pairs + j + half.back() + k);
    } else {
        for (size_t k = 1; k <= selected.size(); ++k)
            copies.Positions.push_back(selected.back() + int(k));
    }
    std::vector<int> positions = copies.Positions;
    PutFrames(sprite, copies);
    return positions;
}

TFrameOrder MoveFrames(TSHP& sprite, std::span<const int> frames, int to, bool pairing)
{
    const std::vector<int> selected = SelectFrames(sprite, frames, pairing);
    const int pairs = PairCount(sprite, pairing);
    const std::vector<int> moved = pairs ? FirstHalf(selected, pairs) : selected;
    const int items = pairs ? pairs : sprite.FrameCount();
    const int within = pairs && to >= pairs ? to - pairs : to;
    const int last = items - int(moved.size());
    if (within < 0 || within > last)
        throw EditError("Position " + std::to_string(to) + " is not possible: " + std::to_string(moved.size()) +
                        (pairs ? " pair(s) of frame and shadow" : " frame(s)") + " can move to positions 0 to " +
                        std::to_string(last) + (pairs ? " (in either half)" : ""));
    const TFrameOrder half = BlockMovedTo(items, moved, within);
    const TFrameOrder order = pairs ? BothHalves(half) : half;
    ReorderFrames(sprite, order);
    return order;
}

int DropTarget(const TSHP& sprite, std::span<const int> frames, int before, bool pairing)
{
    const std::vector<int> selected = SelectFrames(sprite, frames, pairing);
    const int pairs = PairCount(sprite, pairing);
    const int at = pairs ? WithinHalf(before, pairs) : before;
    const std::vector<int> moved = pairs ? FirstHalf(selected, pairs) : selected;
    return at - int(std::count_if(moved.begin(), moved.end(), [at](int s) { return s < at; }));
}

TFrameOrder ReverseFrames(TSHP& sprite, std::span<const int> frames, bool pairing)
{
    std::vector<int> all;
    if (frames.empty()) {
        for (int i = 0; i < sprite.FrameCount(); ++i)
            all.push_back(i);
        frames = all;
    }
    const std::vector<int> selected = SelectFrames(sprite, frames, pairing);
    const int pairs = PairCount(sprite, pairing);
    const TFrameOrder order =
        pairs ? BothHalves(Reversed(pairs, FirstHalf(selected, pairs))) : Reversed(sprite.FrameCount(), selected);
    ReorderFrames(sprite, order);
    return order;
}

TFrameSource FrameSourceOf(TSHP& sprite)
{
    const bool shadowHalf = CanPairShadows(sprite);
    TFrameSource source{sprite.Width, sprite.Height, std::move(sprite.Frames), shadowHalf};
    sprite.Frames.clear();
    return source;
}

std::vector<int> InsertFrames(TSHP& sprite, TFrameSource& source, int position, TAnchor anchor, bool pairing)
{
    if (source.Frames.empty())
        throw EditError("There are no frames to insert");
    const bool empty = sprite.Frames.empty();
    const int width = empty ? source.Width : sprite.Width;
    const int height = empty ? source.Height : sprite.Height;
    const int pairs = PairCount(sprite, pairing);
    const int within = pairs ? WithinHalf(position, pairs) : position;
    if (within < 0 || within > (pairs ? pairs : sprite.FrameCount()))
        throw EditError("Position " + std::to_string(position) + " is not possible: frames can be inserted at 0 to " +
                        std::to_string(sprite.FrameCount()) + " (" + FrameRange(sprite) + ")");
    const size_t m = source.Frames.size();
    const bool split = pairs && source.ShadowHalf && m % 2 == 0;
    const size_t mains = split ? m / 2 : m;
    const size_t added = pairs ? 2 * mains : m;
    CheckFrameTotal(sprite.Frames.size() + added, "Inserting " + std::to_string(added) + " frames");
    CheckNewCanvases(width, height, added, "Inserting");

    TTakenFrames inserted{width, height, {}, {}};
    const bool sameSize = source.Width == width && source.Height == height;
    const int dx = AnchorOffsetX(anchor, source.Width, width);
    const int dy = AnchorOffsetY(anchor, source.Height, height);
    for (TSHPFrame& f : source.Frames) {
        if (sameSize) {
            DropCaches(f);
            inserted.Frames.push_back(std::move(f));
        } else {
            inserted.Frames.push_back(Replace(f, source.Width, source.Height, width, height, dx, dy));
        }
    }
    if (pairs && !split)
        for (size_t k = 0; k < m; ++k) {
            TSHPFrame shadow;
            shadow.Data = NewCanvas(width, height);
            inserted.Frames.push_back(std::move(shadow));
        }
    for (size_t k = 0; k < mains; ++k)
        inserted.Positions.push_back(within + int(k));
    if (pairs)
        for (size_t k = 0; k < mains; ++k)
            inserted.Positions.push_back(pairs + int(mains) + within + int(k));
    source.Frames.clear();
    sprite.Width = width;
    sprite.Height = height;
    std::vector<int> positions = inserted.Positions;
    PutFrames(sprite, inserted);
    return positions;
}

TCanvas ResizeCanvas(TSHP& sprite, int width, int height, TAnchor anchor)
{
    if (width < 1 || height < 1 || width > MaxCanvasSide || height > MaxCanvasSide)
        throw EditError("A canvas of " + Size(width, height) + " is not possible; width and height range from 1 to " +
                        std::to_string(MaxCanvasSide));
    CheckNewCanvases(width, height, sprite.Frames.size(), "A canvas of " + Size(width, height));
    return ChangeCanvas(sprite, width, height, AnchorOffsetX(anchor, sprite.Width, width),
                        AnchorOffsetY(anchor, sprite.Height, height));
}

TFrameRect ContentBounds(const TSHP& sprite)
{
    int left = sprite.Width, top = sprite.Height, right = 0, bottom = 0;
    for (const TSHPFrame& f : sprite.Frames) {
        if (!f.Data)
            continue;
        const TFrameRect r = NonZeroBounds(f.Data.get(), sprite.Width, sprite.Height);
        if (r.CX == 0)
            continue;
        left = std::min(left, r.X);
        top = std::min(top, r.Y);
        right = std::max(right, r.X + r.CX);
        bottom = std::max(bottom, r.Y + r.CY);
    }
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

TCanvas CropCanvas(TSHP& sprite)
{
    const TFrameRect r = ContentBounds(sprite);
    if (r.CX == 0)
        throw EditError("Every frame is empty: there is no content to crop the canvas to");
    return ChangeCanvas(sprite, r.CX, r.CY, -r.X, -r.Y);
}

std::optional<std::vector<int>> ParseFrameList(std::string_view text)
{
    std::vector<int> frames;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string_view item = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        const size_t dash = item.find('-');
        int first = 0, last = 0;
        if (dash == std::string_view::npos) {
            if (!ReadNumber(item, first))
                return std::nullopt;
            last = first;
        } else if (!ReadNumber(item.substr(0, dash), first) || !ReadNumber(item.substr(dash + 1), last) ||
                   last < first || last - first >= MaxFrames) {
            return std::nullopt;
        }
        for (int f = first; f <= last; ++f)
            frames.push_back(f);
        if (frames.size() > size_t(MaxFrames) * 4)
            return std::nullopt;
        if (comma == std::string_view::npos)
            return frames;
        start = comma + 1;
    }
}

} // namespace vantrel
