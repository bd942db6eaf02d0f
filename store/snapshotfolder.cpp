#include "store/snapshotfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <stdexcept>
#include <utility>

namespace kerulo {

namespace {
// Enough for every picture a lesson could take within one second.
constexpr int MaxAttempts = 1000;

std::runtime_error cannotSave(const QString& why) {
    return std::runtime_error(
        QStringLiteral("The picture of the screen could not be saved: %1").arg(why).toStdString());
}
} // namespace

SnapshotFolder::SnapshotFolder(QString picturesFolder)
    : m_picturesFolder(std::move(picturesFolder)) {}

QString SnapshotFolder::userPicturesFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return pictures.isEmpty() ? QDir::home().filePath(QStringLiteral("Pictures")) : pictures;
}

QString SnapshotFolder::fileName(const QDateTime& at, int attempt) {
    const QString stamp = at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return attempt <= 1 ? QStringLiteral("kerulo-%1.png").arg(stamp)
                        : QStringLiteral("kerulo-%1-%2.png").arg(stamp).arg(attempt);
}

QString SnapshotFolder::folder() const {
    return QDir(m_picturesFolder).filePath(QStringLiteral("Kerulo"));
}

// The file is created only if no file has the name, in one step with the check, so that a
// picture another program saved meanwhile is never written over.
QString SnapshotFolder::write(const QByteArray& png, const QDateTime& at) const {
    const QString dir = folder();
    if (!QDir().mkpath(dir))
        throw cannotSave(QStringLiteral("the folder %1 could not be made.")
                             .arg(QDir::toNativeSeparators(dir)));
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        QFile file(QDir(dir).filePath(fileName(at, attempt)));
        if (file.exists())
            continue;
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            throw cannotSave(QStringLiteral("%1 (%2)").arg(
                file.errorString(), QDir::toNativeSeparators(file.fileName())));
        }
        const bool whole = file.write(png) == png.size() && file.flush();
        const QString error = file.errorString();
        file.close();
        if (!whole || file.error() != QFileDevice::NoError) {
            file.remove();
            throw cannotSave(QStringLiteral("%1 (%2)").arg(
                error, QDir::toNativeSeparators(file.fileName())));
        }
        return file.fileName();
    }
    throw cannotSave(QStringLiteral("every name for this second is taken in %1.")
                         .arg(QDir::toNativeSeparators(dir)));
}

} // namespace kerulo
