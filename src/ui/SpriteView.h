// The picture controls of the main window: a plain image control, the zoomed sprite view that
// blends its picture over the light checkerboard pixel by pixel, and a colour swatch.
#pragma once

#include <QFrame>
#include <QImage>
#include <QWidget>

#include <memory>

namespace vantrel {

// Zoom level 0..10 to the magnification: 1, 2, 4, ..., 20.
constexpr int ZoomScale(int level) { return level <= 0 ? 1 : 2 * level; }
inline constexpr int MaxZoomLevel = 10;

// The frame counter: the index padded with "0" to the digits of the last index, "/", the last
// index (007/119, 2/4, 0/0).
QString FrameCounterText(int frame, int frameCount);

class TSHP;

// What the main view shows: frame Frame of the sprite Owner holds (over its shadow frame with
// MergeShadow), over the light checkerboard, or with DrawBackground over the checkerboard and
// Background tiled from the canvas corner (an opaque picture magnified with the frame). Its
// pictures are made part by part from the sprite's render caches, so that no picture of the whole
// canvas, or of the zoomed view, is ever held. The sprite is read through its owner, so that a
// sprite replaced or destroyed is never drawn.
struct TViewFrame {
    const std::unique_ptr<TSHP>* Owner = nullptr;
    int Frame = 0;
    bool MergeShadow = false;
    bool DrawBackground = false;
    QImage Background;

    TSHP* Sprite() const { return Owner ? Owner->get() : nullptr; }
    // The canvas size, 0 x 0 without a sprite.
    QSize CanvasSize() const;
    // The part area of the canvas as shown before magnifying: the frame with its alpha, or with
    // DrawBackground the opaque composition. Null when there is nothing to draw; throws what
    // rendering the frame throws.
    QImage Area(const QRect& area) const;
    // The whole picture, or when the canvas is larger than maxSide on a side, the picture sampled
    // (nearest pixel) to fit in maxSide x maxSide keeping proportions.
    QImage Picture(int maxSide) const;
};

// The part region of a view of size viewSize that shows the canvas part picture (the part of a
// canvas of canvasSize at pictureOrigin) magnified by pixel replication (nearest neighbour). An
// opaque picture is shown as it is; otherwise its alpha blends it over the light checkerboard laid
// from the view's top-left corner, with the integer blend of BlendOver. A null picture shows the
// checkerboard alone. The picture must cover CanvasPartOf(canvasSize, viewSize, region).
QImage ComposeView(const QImage& picture, QPoint pictureOrigin, QSize canvasSize, bool opaque, QSize viewSize,
                   const QRect& region);
// The same for a picture of the whole canvas.
QImage ComposeView(const QImage& picture, bool opaque, QSize viewSize, const QRect& region);
// The part of a canvas of canvasSize that region of a view of viewSize shows.
QRect CanvasPartOf(QSize canvasSize, QSize viewSize, const QRect& region);

// The canvas part area as shown with Draw Background: the light checkerboard, the background
// picture tiled over it from the canvas's top-left corner (with its own transparency), and frame
// (that part of the frame, or null) blended over that by its alpha. A background of width or height
// 0 is not tiled.
QImage ComposeOverBackground(const QRect& area, const QImage& background, const QImage& frame);
// The same for the whole canvas of width x height.
QImage ComposeOverBackground(int width, int height, const QImage& background, const QImage& frame);

// The light checkerboard (MakeCheckerTile repeated from the top-left corner) for the part region.
QImage CheckerRegion(const QRect& region);

// An image control: shows its picture from the top-left corner, or centred and shrunk to fit
// keeping proportions; with Stretch as well, smaller pictures are enlarged to fit too (pixels
// replicated). Pictures with alpha are drawn over what lies behind the control.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return PictureImage; }
    bool Center = false;
    bool Proportional = false;
    bool Stretch = false;

signals:
    void MouseDown(Qt::MouseButton button, QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage PictureImage;
};

// The sprite view: shows its frame magnified to its own size by pixel replication, a transparent
// frame blended over the checkerboard exactly (ComposeView); each paint makes only the part it
// paints.
class TSpriteView : public QWidget {
    Q_OBJECT
public:
    explicit TSpriteView(QWidget* parent = nullptr);
    void SetFrame(const TViewFrame& frame);
    // Shows the checkerboard alone.
    void ClearFrame();
    const TViewFrame& Frame() const { return ViewFrame; }
    bool Opaque() const { return ViewFrame.Sprite() && ViewFrame.DrawBackground; }

signals:
    void MouseDown(Qt::MouseButton button, QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TViewFrame ViewFrame;
};

// The light checkerboard, painted for the exposed part only (the backdrop of the view).
class TCheckerView : public QWidget {
    Q_OBJECT
public:
    explicit TCheckerView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A sunken colour swatch.
class TColourPanel : public QFrame {
    Q_OBJECT
public:
    explicit TColourPanel(QWidget* parent = nullptr);
    void SetColour(const QColor& colour);
    QColor Colour() const { return CurrentColour; }

signals:
    void MouseDown(Qt::MouseButton button, QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor CurrentColour;
};

} // namespace vantrel
