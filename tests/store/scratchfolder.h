#pragma once

#include <QTemporaryDir>

#include <string>

namespace kerulo::test {

/// A fresh folder of the test's own under the build tree's temporary folder, removed afterwards.
class ScratchFolder {
public:
    std::string file(const char* name) const { return m_dir.filePath(name).toStdString(); }

private:
    QTemporaryDir m_dir{QStringLiteral(KERULO_TEST_TMP "/store-XXXXXX")};
};

} // namespace kerulo::test
