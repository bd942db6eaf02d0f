#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace kerulo::test {

/// A private copy of the program's run folder (settings database and pictures) made the
/// current directory for the life of the object, so tests never touch the real one.
class RunFolder {
public:
    explicit RunFolder(bool withShippedFiles = true)
        : m_dir(QStringLiteral(KERULO_TEST_TMP "/run-XXXXXX")), m_previous(QDir::currentPath()) {
        if (withShippedFiles)
            copyTree(QStringLiteral(KERULO_RUN_DIR), m_dir.path());
        QDir::setCurrent(m_dir.path());
    }
    ~RunFolder() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    static void copyTree(const QString& from, const QString& to) {
        QDir source(from);
        const QString db = QStringLiteral("GBTest.db");
        if (source.exists(db))
            QFile::copy(source.filePath(db), QDir(to).filePath(db));
        QDir pictures(source.filePath(QStringLiteral("pic")));
        if (!pictures.exists())
            return;
        QDir(to).mkpath(QStringLiteral("pic"));
        for (const QString& name : pictures.entryList(QDir::Files))
            QFile::copy(pictures.filePath(name), QDir(to).filePath(QStringLiteral("pic/") + name));
    }

    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace kerulo::test
