#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace vantrel {

namespace {

using Painter = std::function<void(QPainter&)>;

// Every glyph is drawn in a 16 x 16 coordinate space and rendered at 16 and 32 pixels.
QImage RenderImage(const Painter& draw, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    return image;
}

QPixmap Render(const Painter& draw, int size) { return QPixmap::fromImage(RenderImage(draw, size)); }

QIcon MakeIcon(const Painter& draw)
{
    QIcon icon;
    icon.addPixmap(Render(draw, 16));
    icon.addPixmap(Render(draw, 32));
    return icon;
}

const QColor Outline(40, 40, 40);

void Pen(QPainter& p, const QColor& c, qreal width = 1.0)
{
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void Polygon(QPainter& p, std::initializer_list<QPointF> points, const QColor& fill, const QColor& line = Outline)
{
    Pen(p, line);
    p.setBrush(fill);
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void Page(QPainter& p)
{
    Polygon(p, {{3.5, 1.5}, {10, 1.5}, {13.5, 5}, {13.5, 14.5}, {3.5, 14.5}}, Qt::white);
    Polygon(p, {{10, 1.5}, {10, 5}, {13.5, 5}}, QColor(220, 220, 220));
}

void Folder(QPainter& p, bool open)
{
    Polygon(p, {{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}, QColor(224, 176, 48));
    if (open)
        Polygon(p, {{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}, QColor(250, 214, 96));
    else
        Polygon(p, {{1.5, 6.5}, {14.5, 6.5}, {14.5, 13.5}, {1.5, 13.5}}, QColor(250, 214, 96));
}

void Floppy(QPainter& p)
{
    Polygon(p, {{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}, QColor(52, 92, 170));
    Pen(p, Outline);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(QRectF(8.5, 2.5, 2, 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

void Pencil(QPainter& p)
{
    Polygon(p, {{9, 15}, {9.5, 12.5}, {14.5, 7.5}, {16, 9}, {11, 14}}, QColor(250, 200, 60));
}

void Magnifier(QPainter& p, bool plus)
{
    Pen(p, Outline, 2.0);
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    Pen(p, Outline, 1.2);
    p.setBrush(QColor(210, 232, 255));
    p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    Pen(p, QColor(20, 60, 140), 1.6);
    p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

void Checker(QPainter& p, const QRectF& r, qreal cell)
{
    for (qreal y = r.top(); y < r.bottom(); y += cell)
        for (qreal x = r.left(); x < r.right(); x += cell) {
            const bool dark = int((x - r.left()) / cell + (y - r.top()) / cell) % 2;
            p.fillRect(QRectF(x, y, cell, cell), dark ? QColor(200, 200, 200) : QColor(250, 250, 250));
        }
}

void Tank(QPainter& p, const QColor& body)
{
    Pen(p, Outline);
    p.setBrush(QColor(70, 70, 70));
    p.drawRoundedRect(QRectF(1.5, 9.5, 13, 4), 2, 2);
    p.setBrush(body);
    p.drawRect(QRectF(2.5, 7.5, 11, 3));
    p.drawRoundedRect(QRectF(5.5, 4.5, 5, 4), 1, 1);
    Pen(p, Outline, 1.4);
    p.drawLine(QPointF(10.5, 6), QPointF(15, 4.5));
}

void IsoBlock(QPainter& p, const QColor& top)
{
    Polygon(p, {{8, 2}, {14.5, 5.5}, {8, 9}, {1.5, 5.5}}, top);
    Polygon(p, {{1.5, 5.5}, {8, 9}, {8, 14.5}, {1.5, 11}}, QColor(150, 140, 120));
    Polygon(p, {{14.5, 5.5}, {8, 9}, {8, 14.5}, {14.5, 11}}, QColor(110, 100, 90));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c)
{
    Pen(p, c, 2.0);
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    p.setBrush(c);
    Pen(p, c, 1.0);
    p.drawPolygon(QPolygonF({to + d * 1.5, to - d * 2.5 + n * 3, to - d * 2.5 - n * 3}));
}

void Shield(QPainter& p, const QColor& fill, const QColor& rim)
{
    QPainterPath path;
    path.moveTo(2, 2);
    path.lineTo(14, 2);
    path.lineTo(14, 8);
    path.cubicTo(14, 12, 10, 14, 8, 15);
    path.cubicTo(6, 14, 2, 12, 2, 8);
    path.closeSubpath();
    Pen(p, rim, 1.2);
    p.setBrush(fill);
    p.drawPath(path);
}

void Crystal(QPainter& p, QPointF at, qreal s, const QColor& c)
{
    Polygon(p, {at + QPointF(0, -2 * s), at + QPointF(s, 0), at + QPointF(0, 2 * s), at + QPointF(-s, 0)}, c,
            c.darker(170));
}

void DrawGlyph(QPainter& p, TGlyph glyph)
{
    switch (glyph) {
    case TGlyph::New:
        Page(p);
        break;
    case TGlyph::Open:
        Folder(p, true);
        break;
    case TGlyph::Save:
        Floppy(p);
        break;
    case TGlyph::SaveAs:
        Floppy(p);
        Pencil(p);
        break;
    case TGlyph::Background:
        Pen(p, Outline);
        p.setBrush(QColor(150, 200, 250));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        Polygon(p, {{1.5, 13.5}, {1.5, 9}, {6, 6}, {10, 9.5}, {14.5, 7}, {14.5, 13.5}}, QColor(96, 160, 64));
        p.setBrush(QColor(250, 220, 80));
        Pen(p, QColor(200, 160, 0));
        p.drawEllipse(QPointF(11.5, 5), 1.5, 1.5);
        break;
    case TGlyph::OriginalSize:
        Pen(p, Outline);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        Pen(p, QColor(20, 60, 140), 1.5);
        p.drawLine(QPointF(5, 5), QPointF(5, 11));
        p.drawLine(QPointF(11, 5), QPointF(11, 11));
        p.drawPoint(QPointF(8, 6.5));
        p.drawPoint(QPointF(8, 9.5));
        break;
    case TGlyph::ZoomOut:
        Magnifier(p, false);
        break;
    case TGlyph::ZoomIn:
        Magnifier(p, true);
        break;
    case TGlyph::TransparentShadows:
        Checker(p, QRectF(1, 1, 14, 14), 3.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 120));
        p.drawEllipse(QPointF(8, 9.5), 6, 3.5);
        break;
    case TGlyph::DrawShadows:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QPointF(9.5, 12), 5.5, 2.5);
        Pen(p, Outline);
        p.setBrush(QColor(220, 60, 40));
        p.drawRect(QRectF(3.5, 3.5, 7, 8));
        break;
    case TGlyph::PaletteOverlay:
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(QRectF(1 + x * 3.5, 1 + y * 3.5, 3.5, 3.5),
                           QColor::fromHsv((x * 4 + y) * 22 % 360, 200, 230));
        Checker(p, QRectF(8, 1, 7, 7), 1.75);
        Pen(p, Outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1, 1, 14, 14));
        break;
    case TGlyph::ColourSwitch:
        Pen(p, Outline);
        p.setBrush(QColor(220, 40, 40));
        p.drawRect(QRectF(1.5, 1.5, 6, 6));
        p.setBrush(QColor(40, 90, 220));
        p.drawRect(QRectF(8.5, 8.5, 6, 6));
        Arrow(p, QPointF(10, 3.5), QPointF(12, 6), QColor(30, 130, 30));
        Arrow(p, QPointF(6, 12.5), QPointF(4, 10), QColor(30, 130, 30));
        break;
    case TGlyph::Play:
        Polygon(p, {{4, 2}, {13.5, 8}, {4, 14}}, QColor(40, 170, 60), QColor(20, 90, 30));
        break;
    case TGlyph::Stop:
        Pen(p, QColor(120, 20, 20));
        p.setBrush(QColor(210, 50, 50));
        p.drawRoundedRect(QRectF(3, 3, 10, 10), 1.5, 1.5);
        break;
    case TGlyph::PrevFrame:
        Polygon(p, {{12.5, 2.5}, {5, 8}, {12.5, 13.5}}, QColor(60, 110, 200), QColor(20, 50, 120));
        p.fillRect(QRectF(2.5, 2.5, 2, 11), QColor(20, 50, 120));
        break;
    case TGlyph::NextFrame:
        Polygon(p, {{3.5, 2.5}, {11, 8}, {3.5, 13.5}}, QColor(60, 110, 200), QColor(20, 50, 120));
        p.fillRect(QRectF(11.5, 2.5, 2, 11), QColor(20, 50, 120));
        break;
    case TGlyph::UpFolder:
        Folder(p, false);
        Arrow(p, QPointF(8, 12.5), QPointF(8, 6.5), QColor(30, 150, 30));
        break;
    case TGlyph::Ok:
        Pen(p, QColor(30, 140, 40), 2.6);
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
        break;
    case TGlyph::Cancel:
        Pen(p, QColor(200, 40, 40), 2.6);
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    case TGlyph::Reset: {
        Pen(p, QColor(40, 100, 180), 2.0);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
        p.setBrush(QColor(40, 100, 180));
        Pen(p, QColor(40, 100, 180), 1.0);
        p.drawPolygon(QPolygonF({QPointF(8, 0.5), QPointF(8, 5.5), QPointF(11.5, 3)}));
        break;
    }
    case TGlyph::Exit:
        Pen(p, Outline);
        p.setBrush(QColor(160, 110, 70));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        Arrow(p, QPointF(7, 8), QPointF(14, 8), QColor(200, 40, 40));
        break;
    case TGlyph::Export:
        Page(p);
        Arrow(p, QPointF(4, 10), QPointF(14, 10), QColor(30, 130, 30));
        break;
    case TGlyph::Import:
        Page(p);
        Arrow(p, QPointF(14, 10), QPointF(5, 10), QColor(30, 90, 200));
        break;
    case TGlyph::Debug:
        Pen(p, Outline, 1.0);
        p.drawLine(QPointF(3, 5), QPointF(13, 13));
        p.drawLine(QPointF(13, 5), QPointF(3, 13));
        p.drawLine(QPointF(2, 9), QPointF(14, 9));
        p.setBrush(QColor(60, 140, 60));
        p.drawEllipse(QPointF(8, 9.5), 3.5, 5);
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QPointF(8, 3.5), 2, 2);
        break;
    }
}

void DrawGame(QPainter& p, int game)
{
    switch (game) {
    case 0: // a golden shield with a green crystal
        Shield(p, QColor(200, 160, 60), QColor(110, 80, 20));
        Crystal(p, QPointF(8, 8), 3, QColor(60, 200, 60));
        break;
    case 1: // a red shield with one white bar
        Shield(p, QColor(200, 40, 40), QColor(100, 10, 10));
        p.fillRect(QRectF(7, 4, 2, 8), Qt::white);
        break;
    case 2: // a dark shield with three green crystals
        Shield(p, QColor(50, 60, 70), QColor(20, 20, 20));
        Crystal(p, QPointF(5.5, 8.5), 1.6, QColor(80, 230, 90));
        Crystal(p, QPointF(10.5, 8.5), 1.6, QColor(80, 230, 90));
        Crystal(p, QPointF(8, 6.5), 2.2, QColor(120, 255, 120));
        break;
    default: // a red shield with two white bars
        Shield(p, QColor(200, 40, 40), QColor(100, 10, 10));
        p.fillRect(QRectF(5, 4, 2, 8), Qt::white);
        p.fillRect(QRectF(9, 4, 2, 8), Qt::white);
        break;
    }
}

void DrawPerson(QPainter& p)
{
    Pen(p, Outline);
    p.setBrush(QColor(250, 210, 170));
    p.drawEllipse(QPointF(8, 4.5), 3, 3);
    p.setBrush(QColor(60, 110, 200));
    QPainterPath body;
    body.moveTo(2.5, 15);
    body.cubicTo(2.5, 9, 13.5, 9, 13.5, 15);
    body.closeSubpath();
    p.drawPath(body);
}

void DrawSHPType(QPainter& p, int type)
{
    switch (type) {
    case 0: // animation: a film strip
        Pen(p, Outline);
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        for (int i = 0; i < 4; ++i) {
            p.fillRect(QRectF(2.5 + i * 3.2, 4.2, 1.6, 1.2), Qt::white);
            p.fillRect(QRectF(2.5 + i * 3.2, 10.6, 1.6, 1.2), Qt::white);
        }
        p.fillRect(QRectF(3, 6, 4.5, 4), QColor(250, 200, 80));
        p.fillRect(QRectF(8.5, 6, 4.5, 4), QColor(250, 150, 60));
        break;
    case 1: // building
        Polygon(p, {{2.5, 7}, {8, 2.5}, {13.5, 7}}, QColor(180, 60, 50));
        Pen(p, Outline);
        p.setBrush(QColor(220, 210, 180));
        p.drawRect(QRectF(3.5, 7, 9, 7.5));
        p.setBrush(QColor(110, 80, 50));
        p.drawRect(QRectF(7, 10, 2.5, 4.5));
        break;
    case 2:
        IsoBlock(p, QColor(245, 250, 255));
        break;
    case 3:
        IsoBlock(p, QColor(100, 170, 70));
        break;
    case 4:
        IsoBlock(p, QColor(150, 150, 160));
        break;
    case 5: // cameo: a framed picture
        Pen(p, Outline);
        p.setBrush(QColor(40, 40, 60));
        p.drawRect(QRectF(1.5, 3.5, 13, 10));
        Tank(p, QColor(90, 130, 80));
        break;
    default:
        Tank(p, QColor(100, 140, 80));
        break;
    }
}

// The application's icon in a 16 x 16 space: a dark tile holding a tank over the checkerboard of
// transparency, above a strip of palette colours.
void DrawAppIcon(QPainter& p)
{
    QLinearGradient tile(0, 0, 0, 16);
    tile.setColorAt(0, QColor(52, 72, 108));
    tile.setColorAt(1, QColor(24, 32, 52));
    Pen(p, QColor(14, 18, 30), 0.5);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    const QRectF view(2.25, 2.25, 11.5, 8.5);
    Checker(p, view, view.width() / 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(QPointF(8.5, 9.4), 5.2, 1.1);
    p.save();
    p.translate(2.4, 0.6);
    p.scale(0.72, 0.72);
    Tank(p, QColor(96, 150, 72));
    p.restore();
    const QColor strip[] = {QColor(220, 50, 40), QColor(245, 180, 40), QColor(90, 180, 60), QColor(40, 160, 200),
                            QColor(70, 90, 220), QColor(170, 70, 200)};
    const qreal cell = 11.5 / 6;
    for (int i = 0; i < 6; ++i)
        p.fillRect(QRectF(2.25 + i * cell, 11.5, cell, 2.25), strip[i]);
}

QImage DrawFolderPicture(bool up)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(4, 4);
    Folder(p, false);
    if (up)
        Arrow(p, QPointF(8, 12.5), QPointF(8, 6.5), QColor(30, 150, 30));
    return image;
}

} // namespace

QIcon GlyphIcon(TGlyph glyph)
{
    static std::map<TGlyph, QIcon> cache;
    auto it = cache.find(glyph);
    if (it == cache.end())
        it = cache.emplace(glyph, MakeIcon([glyph](QPainter& p) { DrawGlyph(p, glyph); })).first;
    return it->second;
}

QIcon GameIcon(int game)
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list;
        for (int g = 0; g < 4; ++g)
            list.append(MakeIcon([g](QPainter& p) { DrawGame(p, g); }));
        return list;
    }();
    return game >= 0 && game < icons.size() ? icons[game] : QIcon();
}

QIcon PersonIcon()
{
    static const QIcon icon = MakeIcon(DrawPerson);
    return icon;
}

QIcon SHPTypeIcon(int type)
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list;
        for (int t = 0; t < 7; ++t)
            list.append(MakeIcon([t](QPainter& p) { DrawSHPType(p, t); }));
        return list;
    }();
    return type >= 0 && type < icons.size() ? icons[type] : QIcon();
}

const QList<QIcon>& MainIcons()
{
    static const QList<QIcon> icons = [] {
        QList<QIcon> list = {GlyphIcon(TGlyph::New), GlyphIcon(TGlyph::Open), GlyphIcon(TGlyph::Save),
                             GlyphIcon(TGlyph::SaveAs)};
        for (int g = 0; g < 4; ++g)
            list.append(GameIcon(g));
        list.append(PersonIcon());
        for (TGlyph g : {TGlyph::Exit, TGlyph::Export, TGlyph::Import, TGlyph::Debug, TGlyph::Play, TGlyph::Stop,
                         TGlyph::ColourSwitch})
            list.append(GlyphIcon(g));
        return list;
    }();
    return icons;
}

QImage AppIconImage(int size)
{
    return RenderImage(DrawAppIcon, size).convertToFormat(QImage::Format_ARGB32);
}

QIcon AppIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int size : AppIconSizes)
            result.addPixmap(Render(DrawAppIcon, size));
        return result;
    }();
    return icon;
}

const QImage& FolderPicture()
{
    static const QImage image = DrawFolderPicture(false);
    return image;
}

const QImage& UpFolderPicture()
{
    static const QImage image = DrawFolderPicture(true);
    return image;
}

} // namespace vantrel
