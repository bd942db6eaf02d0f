#include "package/unpackedpackage.h"

#include "package/commandresult.h"

#include <QDir>

#include <stdexcept>

namespace kerulo::test {

UnpackedPackage::UnpackedPackage() : m_dir(QStringLiteral(KERULO_TEST_TMP "/package-XXXXXX")) {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a folder to unpack the package into");
    unpack();
}

QString UnpackedPackage::debFile() {
    return QStringLiteral(KERULO_DEB_FILE);
}

void UnpackedPackage::unpackAgain() {
    if (!QDir(root()).removeRecursively())
        throw std::runtime_error("cannot remove the unpacked package");
    unpack();
}

void UnpackedPackage::unpack() {
    const CommandResult result =
        runCommand(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), debFile(), root()});
    if (result.exitCode != 0)
        throw std::runtime_error("dpkg-deb -x failed: " + result.err.toStdString());
}

} // namespace kerulo::test
