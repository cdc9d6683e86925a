// The main view's pixels, compared with pictures of the view kept beside the tests: a unit with
// translucent shadows over the checkerboard and over a tiled background picture with transparent
// parts, at scale 1 and 4.
#include "UiTestSupport.h"

#include "ui/SpriteView.h"

#include <QDir>

namespace vantrel::test {

namespace {

// A 37 x 23 TS unit: frame 0 holds a spread of indices (0, remap and others), frame 1 its shadow.
std::unique_ptr<TSHP> ViewSprite()
{
    auto sprite = BlankSprite(2, 37, 23, TSHPGame::TS, TSHPType::Unit);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            if ((x + 2 * y) % 5 < 2 && x < 30)
                SetPixel(*sprite, 0, x, y, uint8_t((x * 7 + y * 13) % 256));
            if (x > 4 && y > 3 && (x + y) % 3 != 0)
                SetPixel(*sprite, 1, x, y, 1);
        }
    for (int i = 0; i < 2; ++i)
        sprite->UpdateFrameBounds(i);
    return sprite;
}

// A 7 x 5 background picture: opaque, translucent and transparent pixels.
void WriteBackground(const QString& path)
{
    QImage picture(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            picture.setPixel(x, y, qRgba(30 * x, 40 * y, 90, x == 3 ? 0 : (y == 2 ? 128 : 255)));
    ASSERT_TRUE(picture.save(path, "PNG"));
}

QString ReferencePath(const QString& name) { return QString(VANTREL_TEST_DATA_DIR) + "/view/" + name + ".png"; }

void ExpectSameAsReference(const QImage& view, const QString& name)
{
    const QImage reference = QImage(ReferencePath(name)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull()) << ReferencePath(name).toStdString();
    ASSERT_EQ(view.size(), reference.size()) << name.toStdString();
    int differences = 0;
    for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
            if (view.pixel(x, y) != reference.pixel(x, y) && ++differences <= 5)
                ADD_FAILURE() << name.toStdString() << " differs at " << x << "," << y;
    EXPECT_EQ(differences, 0) << name.toStdString();
}

} // namespace

TEST_F(MainWindowTest, ViewPixelsAtScaleOneAndFourMatchTheReference)
{
    WriteBackground(DataPath("Backgrounds/TS-Temperate.png"));
    Show(ViewSprite());
    TFrmMain& main = *Main;
    main.TransparentShadowsButton->click();
    main.DrawShadowsButton->click();
    for (bool background : {false, true}) {
        if (background)
            main.FakeLevelBackgroundButton->click();
        for (int level : {0, 2}) {
            main.SetZoom(level);
            const QString name = QString("unit-scale%1%2").arg(ZoomScale(level)).arg(background ? "-background" : "");
            const QImage view = Grab(main.SHPImage);
            ExpectSameAsReference(view, name);
            // A part painted alone is that part of the whole view.
            for (QRect part : {QRect(13, 9, 50, 31), QRect(5, 17, 3, 2)}) {
                part &= view.rect();
                EXPECT_EQ(main.SHPImage->grab(part).toImage().convertToFormat(QImage::Format_RGB32), view.copy(part))
                    << name.toStdString() << " " << part.x() << "," << part.y();
            }
        }
    }
}

} // namespace vantrel::test
