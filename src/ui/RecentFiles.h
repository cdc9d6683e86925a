// What the program keeps between runs (QSettings "vantrel", on Linux ~/.config/vantrel/vantrel.conf):
// the sprites opened or saved last, newest first, and the folder last used in the open dialog.
// The view choices (zoom, speed, background, shadows, compression mode) are not kept.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

inline constexpr int MaxRecentFiles = 10;

// The files, newest first, at most MaxRecentFiles.
QStringList RecentFiles();
// Puts path first (once, compared as the same file) and drops the oldest beyond the limit.
void AddRecentFile(const QString& path);
void RemoveRecentFile(const QString& path);
void ClearRecentFiles();

// The folder of the last file chosen in the open dialog; "" when none is known.
QString LastOpenFolder();
void SetLastOpenFolder(const QString& folder);

} // namespace vantrel
