#include "settings/picturecopyerror.h"
#include "settings/pictureimport.h"
#include "support/casename.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

namespace kerulo {
namespace {

// Files of the picture folder, name and contents; the picked file is "elsewhere/<name>" unless
// it is picked from inside the folder.
struct ImportCase {
    const char* what;
    std::map<std::string, std::string> folder;
    const char* pickedName;
    bool pickedInside;
    const char* result;
};

void PrintTo(const ImportCase& c, std::ostream* os) {
    *os << c.what;
}

const std::string Picked = "picked bytes";

const std::vector<ImportCase> ImportCases = {
    {"picked inside the folder", {{"ring.png", Picked}}, "ring.png", true, "ring.png"},
    {"free name", {{"arrow.png", "other"}}, "star.png", false, "star.png"},
    {"other file of that name", {{"ring.png", "other"}}, "ring.png", false, "ring (2).png"},
    {"other file of the same size",
     {{"ring.png", std::string(Picked.size(), 'x')}},
     "ring.png",
     false,
     "ring (2).png"},
    {"same file already there", {{"ring.png", Picked}}, "ring.png", false, "ring.png"},
    {"numbered names taken",
     {{"ring.png", "a"}, {"ring (2).png", "b"}},
     "ring.png",
     false,
     "ring (3).png"},
    {"same file under a numbered name",
     {{"ring.png", "a"}, {"ring (2).png", Picked}},
     "ring.png",
     false,
     "ring (2).png"},
    {"apostrophe and chinese",
     {{"it's 光标.png", "a"}},
     "it's 光标.png",
     false,
     "it's 光标 (2).png"},
};

class PictureImportTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    void write(const QString& relative, const std::string& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
    }

    std::string read(const QString& relative) const {
        QFile file(path(relative));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    // Makes `link` a symbolic link to `target` (a folder's link when `toFolder`). QFile::link is
    // no use here: on Windows it makes a shortcut file, which the file system does not follow.
    std::error_code symlink(const QString& target, const QString& link, bool toFolder) const {
        const auto name = [this](const QString& relative) {
            return std::filesystem::u8path(path(relative).toUtf8().toStdString());
        };
        std::error_code error;
        if (toFolder)
            std::filesystem::create_directory_symlink(name(target), name(link), error);
        else
            std::filesystem::create_symlink(name(target), name(link), error);
        return error;
    }

    // Whether the error says that this platform cannot make symbolic links at all, as the C++
    // library says on Windows, rather than that this one failed.
    static bool cannotLink(const std::error_code& error) {
        return error == std::errc::function_not_supported ||
               error == std::errc::operation_not_supported;
    }

    QStringList folderNames() const {
        return QDir(path("pic")).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir{QStringLiteral(KERULO_TEST_TMP "/import-XXXXXX")};
};

class PictureImports : public PictureImportTest,
                       public ::testing::WithParamInterface<ImportCase> {};

TEST_P(PictureImports, LeaveThePictureInTheFolderWithoutReplacingAnother) {
    const ImportCase& c = GetParam();
    for (const auto& [name, bytes] : c.folder)
        write("pic/" + QString::fromStdString(name), bytes);
    const QString pickedName = QString::fromUtf8(c.pickedName);
    const QString picked =
        c.pickedInside ? path("pic/" + pickedName) : path("elsewhere/" + pickedName);
    if (!c.pickedInside)
        write("elsewhere/" + pickedName, Picked);

    const QString name = PictureImport::intoFolder(picked, path("pic"));

    EXPECT_EQ(name.toStdString(), c.result);
    EXPECT_EQ(read("pic/" + name), Picked);
    for (const auto& [other, bytes] : c.folder)
        EXPECT_EQ(read("pic/" + QString::fromStdString(other)), bytes) << other;
    QStringList expected;
    for (const auto& entry : c.folder)
        expected << QString::fromStdString(entry.first);
    if (!expected.contains(name))
        expected << name;
    expected.sort();
    EXPECT_EQ(folderNames(), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureImports, ::testing::ValuesIn(ImportCases),
                         [](const auto& info) { return test::caseName(info.param.what); });

TEST_F(PictureImportTest, MakesAMissingFolder) {
    write("elsewhere/star.png", Picked);
    EXPECT_EQ(PictureImport::intoFolder(path("elsewhere/star.png"), path("pic")), "star.png");
    EXPECT_EQ(read("pic/star.png"), Picked);
}

TEST_F(PictureImportTest, APictureReachedThroughALinkToTheFolderIsInside) {
    write("pic/ring.png", Picked);
    const std::error_code linked = symlink("pic", "link", true);
    if (cannotLink(linked))
        GTEST_SKIP() << "no symbolic links here: " << linked.message();
    ASSERT_FALSE(linked) << linked.message();
    EXPECT_EQ(PictureImport::intoFolder(path("link/ring.png"), path("pic")), "ring.png");
    EXPECT_EQ(folderNames(), QStringList{"ring.png"});
}

TEST_F(PictureImportTest, ADanglingLinkKeepsItsName) {
    QDir().mkpath(path("pic"));
    const std::error_code linked = symlink("gone.png", "pic/ring.png", false);
    if (cannotLink(linked))
        GTEST_SKIP() << "no symbolic links here: " << linked.message();
    ASSERT_FALSE(linked) << linked.message();
    write("elsewhere/ring.png", Picked);
    EXPECT_EQ(PictureImport::intoFolder(path("elsewhere/ring.png"), path("pic")), "ring (2).png");
    EXPECT_TRUE(QFileInfo(path("pic/ring.png")).isSymLink());
}

TEST_F(PictureImportTest, FailuresNameTheFiles) {
    write("elsewhere/star.png", Picked);
    write("file-not-folder", "x");
    const struct {
        QString picked;
        QString folder;
        const char* message;
    } cases[] = {
        {path("elsewhere/gone.png"), path("pic"), "gone.png\" does not exist"},
        {path("elsewhere"), path("pic"), "elsewhere\" does not exist"},
        {path("elsewhere/star.png"), path("file-not-folder"), "Cannot make the picture folder"},
    };
    for (const auto& c : cases) {
        try {
            PictureImport::intoFolder(c.picked, c.folder);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const PictureCopyError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST_F(PictureImportTest, ACopyThatCannotBeWrittenIsAnError) {
    write("elsewhere/star.png", Picked);
    QDir().mkpath(path("pic"));
    QFile::setPermissions(path("pic"), QFile::ReadOwner | QFile::ExeOwner);
    if (QFile(path("pic/probe")).open(QIODevice::WriteOnly))
        GTEST_SKIP() << "the folder stays writable (running as root)";
    try {
        PictureImport::intoFolder(path("elsewhere/star.png"), path("pic"));
        ADD_FAILURE() << "no error";
    } catch (const PictureCopyError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot copy the picture"), std::string::npos)
            << e.what();
    }
    QFile::setPermissions(path("pic"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace kerulo
