#include "RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace vantrel {

namespace {

const QString RecentKey = "RecentFiles";
const QString LastFolderKey = "OpenDialog/LastFolder";

std::unique_ptr<QSettings> Settings() { return std::make_unique<QSettings>("vantrel", "vantrel"); }

QString Normal(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

void Store(const QStringList& files) { Settings()->setValue(RecentKey, files); }

} // namespace

QStringList RecentFiles() { return Settings()->value(RecentKey).toStringList().mid(0, MaxRecentFiles); }

void AddRecentFile(const QString& path)
{
    QStringList files = RecentFiles();
    const QString file = Normal(path);
    files.removeAll(file);
    files.prepend(file);
    Store(files.mid(0, MaxRecentFiles));
}

void RemoveRecentFile(const QString& path)
{
    QStringList files = RecentFiles();
    files.removeAll(Normal(path));
    Store(files);
}

void ClearRecentFiles() { Settings()->remove(RecentKey); }

QString LastOpenFolder() { return Settings()->value(LastFolderKey).toString(); }

void SetLastOpenFolder(const QString& folder) { Settings()->setValue(LastFolderKey, folder); }

} // namespace vantrel
