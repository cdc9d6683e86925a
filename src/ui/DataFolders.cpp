#include "DataFolders.h"

#include "sprite/FileUtil.h"

namespace vantrel {

namespace {

constexpr int MaxCaptionLength = 255;
const QString Separator = QString(QChar(PathSeparator));

void WalkPaletteFolder(const std::string& folder, qsizetype prefixLength, QStringList& out)
{
    for (const TDirEntry& entry : ListDirectory(folder)) {
        std::string path = folder + entry.Name;
        if (entry.IsFolder) {
            WalkPaletteFolder(path + PathSeparator, prefixLength, out);
        } else if (LowerCase(ExtractFileExt(entry.Name)) == ".pal") {
            QString caption = QString::fromStdString(path).mid(prefixLength);
            out.append(caption.left(MaxCaptionLength));
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

QStringList ListPaletteFiles(const QString& folder)
{
    QStringList out;
    const std::string root = AddTrailingBackslash(folder.toStdString());
    WalkPaletteFolder(root, QString::fromStdString(root).size(), out);
    return out;
}

QStringList ListBackgroundNames(const QString& folder)
{
    QStringList out;
    for (const TDirEntry& entry : ListDirectory(folder.toStdString())) {
        if (!entry.IsFolder && LowerCase(ExtractFileExt(entry.Name)) == ".png") {
            std::string name = entry.Name.substr(0, entry.Name.size() - 4);
            out.append(QString::fromStdString(name));
        }
    }
    return out;
}

QString BackgroundFolder()
{
    return QString::fromStdString(AddTrailingBackslash(AppFolder()) + "Backgrounds" + PathSeparator);
}

} // namespace vantrel
