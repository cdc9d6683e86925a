#include "StandardFolders.h"

#include "sprite/FileUtil.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace vantrel {

namespace {

std::string VantrelFolderOf(const QString& dataFolder)
{
    return QDir::toNativeSeparators(QDir(dataFolder).filePath("vantrel")).toStdString();
}

} // namespace

void UseStandardDataFolders()
{
    std::vector<std::string> roots = DefaultDataRoots();
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        std::string root = VantrelFolderOf(folder);
        if (std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(std::move(root));
    }
    SetDataRoots(std::move(roots));
    const QString writable = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    SetUserDataFolder(writable.isEmpty() ? std::string() : VantrelFolderOf(writable));
}

} // namespace vantrel
