#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kerulo {

/// Where the pen's pictures of the screen are kept: a folder "Kerulo" in the user's pictures
/// folder, one file per picture named after the moment it was taken. No file is ever
/// overwritten: a name already taken gets a number.
class SnapshotFolder {
public:
    /// `picturesFolder` is the user's pictures folder.
    explicit SnapshotFolder(QString picturesFolder);

    /// The user's pictures folder as the desktop names it (the XDG user directory on Linux, the
    /// known folder on Windows), else "Pictures" in the home folder.
    static QString userPicturesFolder();
    /// "kerulo-YYYYMMDD-HHMMSS.png" for the first attempt, "kerulo-YYYYMMDD-HHMMSS-N.png" for
    /// attempt N from 2 on.
    static QString fileName(const QDateTime& at, int attempt);

    QString folder() const;
    /// Writes the PNG bytes to a new file named after `at` and says its path. Throws with a
    /// message for the user when the folder cannot be made or the file cannot be written
    /// whole; no partial file is left.
    QString write(const QByteArray& png, const QDateTime& at) const;

private:
    QString m_picturesFolder;
};

} // namespace kerulo
