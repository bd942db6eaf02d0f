// Filling a user's settings folder from the shipped files: what is missing comes, nothing of
// the user's is overwritten, the copies can be written, and what cannot be made is named.
#include "platform/settingsfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace kerulo {
namespace {

using Files = std::map<QString, QByteArray>; // path relative to the folder -> contents

void write(const QString& root, const Files& files) {
    for (const auto& [path, contents] : files) {
        const QString full = QDir(root).filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
        f.write(contents);
    }
}

Files read(const QString& root) {
    Files files;
    QDir dir(root);
    for (const QString& sub : {QString(), QStringLiteral("pic")})
        for (const QFileInfo& info : QDir(dir.filePath(sub)).entryInfoList(QDir::Files)) {
            QFile f(info.filePath());
            f.open(QIODevice::ReadOnly);
            files[dir.relativeFilePath(info.filePath())] = f.readAll();
        }
    return files;
}

const Files Shipped = {{"GBTest.db", "shipped settings"},
                       {"pic/arrow.png", "shipped arrow"},
                       {"pic/粉笔.png", "shipped chalk"}};

struct FillCase {
    const char* what;
    Files before; // the user's folder before, empty for none
    Files after;
};

class SettingsFolderFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(SettingsFolderFill, AddsWhatIsMissingAndKeepsWhatIsThere) {
    QTemporaryDir shipped(QStringLiteral(KERULO_TEST_TMP "/shipped-XXXXXX"));
    QTemporaryDir home(QStringLiteral(KERULO_TEST_TMP "/home-XXXXXX"));
    write(shipped.path(), Shipped);
    const QString folder = home.filePath(QStringLiteral("Kerulo"));
    write(folder, GetParam().before);

    SettingsFolder::fill(shipped.path(), folder);
    EXPECT_EQ(read(folder), GetParam().after);
    // A second start changes nothing.
    SettingsFolder::fill(shipped.path(), folder);
    EXPECT_EQ(read(folder), GetParam().after);
}

const FillCase FillCases[] = {
    {"FirstStart", {}, Shipped},
    {"UsersSettingsAndPicturesKept",
     {{"GBTest.db", "my settings"}, {"pic/arrow.png", "my arrow"}, {"pic/mine.png", "mine"}},
     {{"GBTest.db", "my settings"},
      {"pic/arrow.png", "my arrow"},
      {"pic/mine.png", "mine"},
      {"pic/粉笔.png", "shipped chalk"}}},
    {"DatabaseRemovedByTheUserComesBack",
     {{"pic/arrow.png", "shipped arrow"}},
     {{"GBTest.db", "shipped settings"},
      {"pic/arrow.png", "shipped arrow"},
      {"pic/粉笔.png", "shipped chalk"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFolderFill, ::testing::ValuesIn(FillCases),
                         [](const auto& info) { return std::string(info.param.what); });

// An installation makes its files read-only; the user's copy of the database must take saves.
TEST(SettingsFolder, CopiesOfReadOnlyShippedFilesCanBeWritten) {
    QTemporaryDir shipped(QStringLiteral(KERULO_TEST_TMP "/shipped-XXXXXX"));
    QTemporaryDir home(QStringLiteral(KERULO_TEST_TMP "/home-XXXXXX"));
    write(shipped.path(), Shipped);
    const QString db = QDir(shipped.path()).filePath(QStringLiteral("GBTest.db"));
    QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    SettingsFolder::fill(shipped.path(), home.path());
    // The permission itself, since a test run by the administrator could write anyway.
    const QString copy = QDir(home.path()).filePath(QStringLiteral("GBTest.db"));
    EXPECT_TRUE(QFile::permissions(copy) & QFile::WriteOwner);
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(SettingsFolder, AFolderThatCannotBeMadeIsNamed) {
    QTemporaryDir shipped(QStringLiteral(KERULO_TEST_TMP "/shipped-XXXXXX"));
    QTemporaryDir home(QStringLiteral(KERULO_TEST_TMP "/home-XXXXXX"));
    write(shipped.path(), Shipped);
    write(home.path(), {{"Kerulo", "a file where the folder should be"}});
    try {
        SettingsFolder::fill(shipped.path(), home.filePath(QStringLiteral("Kerulo")));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Kerulo"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace kerulo
