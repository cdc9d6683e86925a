#include "DataFolders.h"

#include "sprite/FileUtil.h"

#include <algorithm>
#include <set>

namespace vantrel {

namespace {

constexpr int MaxCaptionLength = 255;
const QString Separator = QString(QChar(PathSeparator));

std::vector<std::string> ToStd(const QStringList& folders)
{
    std::vector<std::string> out;
    for (const QString& folder : folders)
        out.push_back(AddTrailingBackslash(folder.toStdString()));
    return out;
}

QStringList FromStd(const std::vector<std::string>& folders)
{
    QStringList out;
    for (const std::string& folder : folders)
        out.append(QString::fromStdString(folder));
    return out;
}

// The entries of the sub-folder relative of every root, in ListDirectory's order, each name (and
// kind) once.
std::vector<TDirEntry> MergedEntries(const std::vector<std::string>& roots, const std::string& relative)
{
    std::vector<TDirEntry> merged;
    for (const std::string& root : roots)
        for (TDirEntry& entry : ListDirectory(root + relative))
            if (std::none_of(merged.begin(), merged.end(), [&](const TDirEntry& e) {
                    return e.Name == entry.Name && e.IsFolder == entry.IsFolder;
                }))
                merged.push_back(std::move(entry));
    std::stable_sort(merged.begin(), merged.end(), NameOrderNoCase);
    return merged;
}

void WalkPaletteFolders(const std::vector<std::string>& roots, const std::string& relative, QStringList& out,
                        std::set<QString>& listed)
{
    for (const TDirEntry& entry : MergedEntries(roots, relative)) {
        const std::string path = relative + entry.Name;
        if (entry.IsFolder) {
            WalkPaletteFolders(roots, path + PathSeparator, out, listed);
        } else if (LowerCase(ExtractFileExt(entry.Name)) == ".pal") {
            const QString caption = QString::fromStdString(path).left(MaxCaptionLength);
            if (listed.insert(caption).second)
                out.append(caption);
        }
    }
}

} // namespace

int PaletteIconIndex(const QString& caption)
{
    const QString prefix = caption.left(3).toUpper();
    if (prefix == "TD" + Separator)
        return 4;
    if (prefix == "RA1")
        return 5;
    if (prefix == "TS" + Separator)
        return 6;
    if (prefix == "RA2")
        return 7;
    if (prefix == "USE")
        return 8;
    return -1;
}

int BackgroundIconIndex(const QString& caption)
{
    if (caption.startsWith("TD"))
        return 4;
    if (caption.startsWith("RA1"))
        return 5;
    if (caption.startsWith("TS"))
        return 6;
    if (caption.startsWith("RA2"))
        return 7;
    return 8;
}

QStringList ListPaletteFiles(const QStringList& folders)
{
    QStringList out;
    std::set<QString> listed;
    WalkPaletteFolders(ToStd(folders), "", out, listed);
    return out;
}

QStringList PaletteFolders() { return FromStd(DataFolderList(PaletteFolderName)); }

QString PaletteFilePath(const QString& caption)
{
    for (const std::string& folder : ToStd(PaletteFolders()))
        if (const std::string path = folder + caption.toStdString(); FileExists(path))
            return QString::fromStdString(path);
    return {};
}

QStringList ListBackgroundNames(const QStringList& folders)
{
    QStringList out;
    for (const TDirEntry& entry : MergedEntries(ToStd(folders), "")) {
        if (!entry.IsFolder && LowerCase(ExtractFileExt(entry.Name)) == ".png") {
            const QString name = QString::fromStdString(entry.Name.substr(0, entry.Name.size() - 4));
            if (!out.contains(name))
                out.append(name);
        }
    }
    return out;
}

QStringList BackgroundFolders() { return FromStd(DataFolderList(BackgroundFolderName)); }

QString BackgroundPath(const QString& name)
{
    for (const std::string& folder : ToStd(BackgroundFolders()))
        if (const std::string path = FindNoCase(folder, name.toStdString() + ".png"); FileExists(path))
            return QString::fromStdString(path);
    return {};
}

} // namespace vantrel
