#include "store/snapshotfolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

using kerulo::SnapshotFolder;

namespace {

// A disk that fills up while the picture is written: the process may write no file larger than
// a few kilobytes. The error reaches the caller and no partial file stays behind.
TEST(SnapshotFolder, AFileThatCannotBeWrittenWholeIsReportedAndRemoved) {
    QTemporaryDir pictures(QStringLiteral(KERULO_TEST_TMP "/snap-XXXXXX"));
    const SnapshotFolder folder(pictures.path());
    const QDateTime at(QDate(2026, 3, 9), QTime(8, 5, 7));
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool thrown = false;
    try {
        folder.write(QByteArray(256 * 1024, 'x'), at);
    } catch (const std::runtime_error&) {
        thrown = true;
    }
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(QDir(folder.folder()).entryList(QDir::Files).isEmpty());
}

} // namespace
