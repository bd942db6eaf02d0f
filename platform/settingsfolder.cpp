#include "platform/settingsfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace kerulo {

namespace {
const QString Database = QStringLiteral("GBTest.db");
const QString Pictures = QStringLiteral("pic");

[[noreturn]] void fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

void copyIfMissing(const QString& from, const QString& to) {
    if (QFileInfo::exists(to) || !QFileInfo(from).isFile())
        return;
    if (!QFile::copy(from, to))
        fail(QStringLiteral("Cannot copy %1 to %2").arg(QDir::toNativeSeparators(from),
                                                      QDir::toNativeSeparators(to)));
    // Copies keep the permissions of shipped files, which an installation makes read-only.
    QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
}
} // namespace

void SettingsFolder::fill(const QString& shipped, const QString& folder) {
    const QDir target(folder);
    if (!target.mkpath(Pictures))
        fail(QStringLiteral("Cannot make the settings folder %1")
                 .arg(QDir::toNativeSeparators(target.filePath(Pictures))));
    copyIfMissing(QDir(shipped).filePath(Database), target.filePath(Database));
    const QDir shippedPictures(QDir(shipped).filePath(Pictures));
    for (const QString& name : shippedPictures.entryList(QDir::Files))
        copyIfMissing(shippedPictures.filePath(name), target.filePath(Pictures + '/' + name));
}

} // namespace kerulo
