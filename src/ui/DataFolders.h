// The data folders beside the program as the main window lists them: the palette files of the
// palette folder and the pictures of the backgrounds folder, with the icon of each entry.
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

// Every .pal file (extension in any case) below folder, depth first, the entries of each folder
// sorted by name without regard to case, as paths relative to folder with the native separator,
// each cut to 255 characters. A missing folder gives an empty list.
QStringList ListPaletteFiles(const QString& folder);

// The names without extension of the .png files directly in folder, sorted.
QStringList ListBackgroundNames(const QString& folder);

// AppFolder() + "Backgrounds" + separator.
QString BackgroundFolder();
// The background picture shown at start.
inline constexpr const char* DefaultBackgroundName = "TS-Temperate";

} // namespace vantrel
