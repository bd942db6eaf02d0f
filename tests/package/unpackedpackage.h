#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kerulo::test {

/// The built Debian package unpacked with dpkg-deb -x into a temporary root under the test
/// folder, as it would lie under / once installed.
class UnpackedPackage {
public:
    UnpackedPackage();

    /// The path of the built package file.
    static QString debFile();

    /// Removes everything and unpacks the package again, as an update of the package would
    /// replace its files.
    void unpackAgain();

    QString root() const { return m_dir.path() + QStringLiteral("/root"); }
    /// A file of the package by its installed path, "/usr/bin/kerulo" for example.
    QString file(const QString& installedPath) const { return root() + installedPath; }

private:
    void unpack();

    QTemporaryDir m_dir;
};

} // namespace kerulo::test
