#include "settings/pictureimport.h"

#include "settings/freefilename.h"
#include "settings/picturecopyerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kerulo {

namespace {

std::string quoted(const QString& path) {
    return "\"" + QDir::toNativeSeparators(path).toStdString() + "\"";
}

// The folder as the file system knows it, so that a picture reached through a link or a
// relative path still counts as lying in it.
QString canonicalFolder(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

} // namespace

QString PictureImport::intoFolder(const QString& picked, const QString& pictureFolder) {
    const QFileInfo source(picked);
    if (!source.isFile())
        throw PictureCopyError("The picture file " + quoted(picked) + " does not exist");
    if (!QDir().mkpath(pictureFolder))
        throw PictureCopyError("Cannot make the picture folder " + quoted(pictureFolder));
    if (canonicalFolder(source.absolutePath()) == canonicalFolder(pictureFolder))
        return source.fileName();

    const QDir folder(pictureFolder);
    const QString name = FreeFileName::pick(source.fileName(), [&](const QString& candidate) {
        const QFileInfo target(folder.filePath(candidate));
        // A dangling link takes its name too.
        if (!target.exists() && !target.isSymLink())
            return FreeFileName::Slot::Free;
        return target.isFile() && sameContents(picked, target.filePath())
                   ? FreeFileName::Slot::SameFile
                   : FreeFileName::Slot::OtherFile;
    });
    const QString target = folder.filePath(name);
    if (QFileInfo::exists(target))
        return name;
    QFile file(picked);
    // QFile::copy never replaces an existing file.
    if (!file.copy(target))
        throw PictureCopyError("Cannot copy the picture " + quoted(picked) + " to " +
                               quoted(target) + ": " + file.errorString().toStdString());
    return name;
}

bool PictureImport::sameContents(const QString& a, const QString& b) {
    QFile first(a);
    QFile second(b);
    if (first.size() != second.size())
        return false;
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 Chunk = 64 * 1024;
    while (!first.atEnd()) {
        if (first.read(Chunk) != second.read(Chunk))
            return false;
    }
    return true;
}

} // namespace kerulo
