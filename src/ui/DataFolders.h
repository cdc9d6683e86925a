// The data folders as the main window lists them: the palette files and background pictures of
// the folders found by the data-folder lookup and of the user's own data folder, with the icon of
// each entry.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// Icon (an index into MainIcons(), -1 for none) of a palette-list caption: its first three
// characters, upper-cased, decide: "TD" + separator, "RA1", "TS" + separator, "RA2", "USE".
int PaletteIconIndex(const QString& caption);
// Icon of a background-menu caption, compared case-sensitively: "TD", "RA1", "TS", "RA2", else
// the person.
int BackgroundIconIndex(const QString& caption);

// Every .pal file (extension in any case) below the folders, taken as one tree: depth first, the
// entries of each sub-folder of all of them sorted by name without regard to case, as paths
// relative to their folder with the native separator, each cut to 255 characters and listed
// once. Missing folders give no entries.
QStringList ListPaletteFiles(const QStringList& folders);
inline QStringList ListPaletteFiles(const QString& folder) { return ListPaletteFiles(QStringList{folder}); }
// The palette folder found by the lookup, then the user's own.
QStringList PaletteFolders();
// The file of a palette-list caption: in the first palette folder holding it; "" when none does.
QString PaletteFilePath(const QString& caption);

// The names without extension of the .png files directly in the folders, sorted, each once.
QStringList ListBackgroundNames(const QStringList& folders);
// The backgrounds folder found by the lookup, then the user's own.
QStringList BackgroundFolders();
// The picture of a background name (its .png file, the name in any case) in the first
// backgrounds folder holding it; "" when none does.
QString BackgroundPath(const QString& name);
// The background picture shown at start.
inline constexpr const char* DefaultBackgroundName = "TS-Temperate";

} // namespace vantrel
