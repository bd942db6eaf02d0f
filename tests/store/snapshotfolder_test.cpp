#include "store/snapshotfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using kerulo::SnapshotFolder;

namespace {

const QDateTime At(QDate(2026, 3, 9), QTime(8, 5, 7));

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SnapshotFolder, NamesFilesAfterTheMomentWithANumberFromTheSecondOn) {
    EXPECT_EQ(SnapshotFolder::fileName(At, 1), QStringLiteral("kerulo-20260309-080507.png"));
    EXPECT_EQ(SnapshotFolder::fileName(At, 2), QStringLiteral("kerulo-20260309-080507-2.png"));
    EXPECT_EQ(SnapshotFolder::fileName(At, 13), QStringLiteral("kerulo-20260309-080507-13.png"));
}

TEST(SnapshotFolder, WritesIntoKeruloInThePicturesFolderMakingItWhenMissing) {
    QTemporaryDir home(QStringLiteral(KERULO_TEST_TMP "/snap-XXXXXX"));
    const QString pictures = QDir(home.path()).filePath(QStringLiteral("Bilder"));
    const SnapshotFolder folder(pictures);
    const QString path = folder.write("first", At);
    EXPECT_EQ(path, QDir(pictures).filePath(QStringLiteral("Kerulo/kerulo-20260309-080507.png")));
    EXPECT_EQ(contentsOf(path), QByteArray("first"));
}

// Pictures taken within one second, and a file someone else left under the next name.
TEST(SnapshotFolder, NeverWritesOverAFile) {
    QTemporaryDir pictures(QStringLiteral(KERULO_TEST_TMP "/snap-XXXXXX"));
    const SnapshotFolder folder(pictures.path());
    const QString first = folder.write("one", At);
    const QString second = folder.write("two", At);
    QFile foreign(QDir(folder.folder()).filePath(SnapshotFolder::fileName(At, 3)));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("theirs");
    foreign.close();
    const QString fourth = folder.write("four", At);

    EXPECT_TRUE(second.endsWith(QStringLiteral("-2.png")));
    EXPECT_TRUE(fourth.endsWith(QStringLiteral("-4.png")));
    EXPECT_EQ(contentsOf(first), QByteArray("one"));
    EXPECT_EQ(contentsOf(second), QByteArray("two"));
    EXPECT_EQ(contentsOf(foreign.fileName()), QByteArray("theirs"));
    EXPECT_EQ(contentsOf(fourth), QByteArray("four"));
}

TEST(SnapshotFolder, AFolderThatCannotBeMadeIsReportedWithItsName) {
    QTemporaryDir home(QStringLiteral(KERULO_TEST_TMP "/snap-XXXXXX"));
    // A file where the pictures folder should be.
    const QString pictures = QDir(home.path()).filePath(QStringLiteral("Pictures"));
    QFile blocker(pictures);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        SnapshotFolder(pictures).write("png", At);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Kerulo"), std::string::npos) << e.what();
    }
}

} // namespace
