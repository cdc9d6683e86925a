// The picture controls of the main window: a plain image control, the zoomed sprite view that
// blends its picture over the light checkerboard pixel by pixel, and a colour swatch.
#pragma once

#include <QFrame>
#include <QImage>
#include <QWidget>

namespace vantrel {

// Zoom level 0..10 to the magnification: 1, 2, 4, ..., 20.
constexpr int ZoomScale(int level) { return level <= 0 ? 1 : 2 * level; }
inline constexpr int MaxZoomLevel = 10;

// The frame counter: the index padded with "0" to the digits of the last index, "/", the last
// index (007/119, 2/4, 0/0).
QString FrameCounterText(int frame, int frameCount);

// The part region of a view of size viewSize that shows picture magnified by pixel replication
// (nearest neighbour). An opaque picture is shown as it is; otherwise its alpha blends it over
// the light checkerboard laid from the view's top-left corner, with the integer blend of
// BlendOver. A null picture shows the checkerboard alone.
QImage ComposeView(const QImage& picture, bool opaque, QSize viewSize, const QRect& region);

// The canvas-sized picture of the view with Draw Background: the light checkerboard, the
// background picture tiled over it from the top-left corner (with its own transparency), and
// the frame blended over that by its alpha. A background of width or height 0 is not tiled.
QImage ComposeOverBackground(int width, int height, const QImage& background, const QImage& frame);

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

// The sprite view: stretches its picture to its own size by pixel replication; a transparent
// picture is blended over the checkerboard exactly (ComposeView).
class TSpriteView : public QWidget {
    Q_OBJECT
public:
    explicit TSpriteView(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture, bool opaque);
    const QImage& Picture() const { return PictureImage; }
    bool Opaque() const { return IsOpaque; }

signals:
    void MouseDown(Qt::MouseButton button, QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage PictureImage;
    bool IsOpaque = false;
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
