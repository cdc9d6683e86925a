// The project's own icons and pictures, drawn in code: the application's icon, tool-bar and menu
// glyphs, the four game emblems, the person of user palettes, the seven sprite types and the
// folder pictures.
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

namespace vantrel {

enum class TGlyph {
    New,
    Open,
    Save,
    SaveAs,
    Background,
    OriginalSize,
    ZoomOut,
    ZoomIn,
    TransparentShadows,
    DrawShadows,
    PaletteOverlay,
    ColourSwitch,
    Play,
    Stop,
    PrevFrame,
    NextFrame,
    UpFolder,
    Ok,
    Cancel,
    Reset,
    Exit,
    Export,
    Import,
    Debug,
};

// A 16 x 16 glyph (with a 32 x 32 version for high-density screens). Disabled states are drawn
// greyed by Qt.
QIcon GlyphIcon(TGlyph glyph);
// Emblems of the games in TSHPGame order (0 TD, 1 RA1, 2 TS, 3 RA2).
QIcon GameIcon(int game);
// The picture of a person, for the user's own palettes.
QIcon PersonIcon();
// One icon per sprite type, in TSHPType order (0..6).
QIcon SHPTypeIcon(int type);
// The main window's image list "Icons" (16 entries): 0 New, 1 Open, 2 Save, 3 Save As, 4 to 7 the
// game emblems, 8 the person, then further glyphs.
const QList<QIcon>& MainIcons();
// The application's icon, drawn at every size of AppIconSizes (the sizes the icon theme gets).
inline constexpr int AppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
QIcon AppIcon();
// The icon drawn size x size pixels, with alpha.
QImage AppIconImage(int size);
// 64 x 64 pictures with alpha: a plain yellow folder, and one with a green arrow pointing up.
const QImage& FolderPicture();
const QImage& UpFolderPicture();

} // namespace vantrel
