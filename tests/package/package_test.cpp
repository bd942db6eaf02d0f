// The built Debian package as a file: what it holds and with which modes, its control fields,
// what lintian and desktop-file-validate say of it, and whether what it ships is whole and
// free of the build tree.
#include "package/commandresult.h"
#include "package/unpackedpackage.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace kerulo::test {
namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

struct PackagedFile {
    const char* path;
    const char* mode;
};
void PrintTo(const PackagedFile& c, std::ostream* out) {
    *out << c.path;
}

const PackagedFile Files[] = {
    {"/usr/bin/kerulo", "-rwxr-xr-x"},
    {"/usr/lib/kerulo/kerulo", "-rwxr-xr-x"},
    {"/usr/share/kerulo/GBTest.db", "-rw-r--r--"},
    {"/usr/share/kerulo/pic/arrow.png", "-rw-r--r--"},
    {"/usr/share/kerulo/pic/hand.png", "-rw-r--r--"},
    {"/usr/share/kerulo/pic/ring.png", "-rw-r--r--"},
    {"/usr/share/applications/io.github.kerulo.Kerulo.desktop", "-rw-r--r--"},
    {"/usr/share/icons/hicolor/48x48/apps/kerulo.png", "-rw-r--r--"},
    {"/usr/share/icons/hicolor/128x128/apps/kerulo.png", "-rw-r--r--"},
    {"/usr/share/icons/hicolor/scalable/apps/kerulo.svg", "-rw-r--r--"},
    {"/usr/share/metainfo/io.github.kerulo.Kerulo.metainfo.xml", "-rw-r--r--"},
    {"/usr/share/man/man1/kerulo.1.gz", "-rw-r--r--"},
    {"/usr/share/doc/kerulo/copyright", "-rw-r--r--"},
    {"/usr/share/doc/kerulo/changelog.gz", "-rw-r--r--"},
};

struct Listed {
    QString mode;
    QString owner;
};

/// The package's files as dpkg-deb -c lists them, by installed path, and the package
/// unpacked.
class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_unpacked = std::make_unique<UnpackedPackage>();
        const CommandResult listing = runCommand("dpkg-deb", {"-c", UnpackedPackage::debFile()});
        ASSERT_EQ(listing.exitCode, 0) << text(listing.err);
        // "-rwxr-xr-x root/root  2971 2026-01-01 10:00 ./usr/bin/kerulo"
        for (const QString& line : listing.out.split('\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(' ', Qt::SkipEmptyParts);
            ASSERT_GE(f.size(), 6) << text(line);
            s_listed[f[5].mid(1)] = {f[0], f[1]};
        }
    }
    static void TearDownTestSuite() {
        s_unpacked.reset();
        s_listed.clear();
    }

    static QString file(const QString& installedPath) { return s_unpacked->file(installedPath); }

    static inline std::unique_ptr<UnpackedPackage> s_unpacked;
    static inline std::map<QString, Listed> s_listed;
};

TEST_F(PackageTest, ListsExactlyTheInstalledFiles) {
    std::set<QString> expected, listed;
    for (const PackagedFile& f : Files)
        expected.insert(f.path);
    for (const auto& [path, entry] : s_listed)
        if (!entry.mode.startsWith('d'))
            listed.insert(path);
    EXPECT_EQ(listed, expected);
}

class PackagedFileTest : public PackageTest, public ::testing::WithParamInterface<PackagedFile> {};

TEST_P(PackagedFileTest, BelongsToRootWithItsMode) {
    const auto it = s_listed.find(GetParam().path);
    ASSERT_NE(it, s_listed.end()) << "not in the package";
    EXPECT_EQ(it->second.mode, GetParam().mode);
    EXPECT_EQ(it->second.owner, "root/root");
}

INSTANTIATE_TEST_SUITE_P(EachFile, PackagedFileTest, ::testing::ValuesIn(Files),
                         [](const auto& info) {
                             return QString(info.param.path)
                                 .replace(QRegularExpression("[^A-Za-z0-9]"), "_")
                                 .toStdString();
                         });

// A control field and what it must match.
struct FieldCase {
    const char* name;
    const char* field;
    const char* pattern;
};
void PrintTo(const FieldCase& c, std::ostream* out) {
    *out << c.name;
}

// A package the field's comma-separated list holds, with or without a version.
#define KERULO_IN_LIST(package) "(^|, )" package "( \\(|,|$)"

const FieldCase Fields[] = {
    {"Package", "Package", "^kerulo$"},
    {"Version", "Version", "^" KERULO_VERSION "$"},
    {"Architecture", "Architecture", "^" KERULO_ARCH "$"},
    {"Section", "Section", "^education$"},
    {"Maintainer", "Maintainer", "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$"},
    {"Description", "Description", "^.{10,80}\\n .+"},
    {"DependsOnQtWidgets", "Depends", KERULO_IN_LIST("libqt6widgets6")},
    {"DependsOnQtGui", "Depends", KERULO_IN_LIST("libqt6gui6")},
    {"DependsOnQtX11Plugin", "Depends", KERULO_IN_LIST("qt6-qpa-plugins")},
    {"DependsOnTheQtItWasBuiltWith", "Depends", "(^|, )qt6-base-abi \\(= " QT_VERSION_STR "\\)"},
    {"DependsOnSqlite", "Depends", KERULO_IN_LIST("libsqlite3-0")},
    {"DependsOnPng", "Depends", KERULO_IN_LIST("libpng16-16")},
    {"DependsOnJpeg", "Depends", KERULO_IN_LIST("libjpeg62-turbo")},
    {"DependsOnXcb", "Depends", KERULO_IN_LIST("libxcb1")},
    {"RecommendsACjkFont", "Recommends", KERULO_IN_LIST("fonts-wqy-microhei")},
};

class ControlFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ControlFieldTest, Matches) {
    const CommandResult field =
        runCommand("dpkg-deb", {"-f", UnpackedPackage::debFile(), GetParam().field});
    ASSERT_EQ(field.exitCode, 0) << text(field.err);
    const QString value = field.out.trimmed();
    EXPECT_TRUE(QRegularExpression(GetParam().pattern).match(value).hasMatch())
        << GetParam().field << ": " << text(value);
}

INSTANTIATE_TEST_SUITE_P(EachField, ControlFieldTest, ::testing::ValuesIn(Fields),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageTest, LintianFindsNoErrorAndNoWarning) {
    const CommandResult lintian =
        runCommand("lintian", {"--fail-on", "error,warning", UnpackedPackage::debFile()}, 300000);
    EXPECT_EQ(lintian.exitCode, 0) << text(lintian.out) << text(lintian.err);
}

TEST_F(PackageTest, DesktopEntryValidates) {
    const CommandResult validate = runCommand(
        "desktop-file-validate", {file("/usr/share/applications/io.github.kerulo.Kerulo.desktop")});
    EXPECT_EQ(validate.exitCode, 0) << text(validate.out);
    // Hints pass: listing both Education and Utility may show the entry in two menus, which is
    // intended.
    EXPECT_FALSE(validate.out.contains("error:") || validate.out.contains("warning:"))
        << text(validate.out);
}

TEST_F(PackageTest, MetainfoValidates) {
    const CommandResult validate = runCommand(
        "appstreamcli",
        {"validate", "--no-net", file("/usr/share/metainfo/io.github.kerulo.Kerulo.metainfo.xml")});
    EXPECT_EQ(validate.exitCode, 0) << text(validate.out) << text(validate.err);
}

/// The metainfo's elements by name (with their xml:lang, if any) and text, and the attributes of
/// the elements named.
struct Metainfo {
    std::multimap<QString, QString> texts;
    std::multimap<QString, QXmlStreamAttributes> attributes;
};

Metainfo readMetainfo(const QString& path) {
    Metainfo info;
    QFile xml(path);
    if (!xml.open(QIODevice::ReadOnly))
        return info;
    QXmlStreamReader reader(&xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        QString name = reader.name().toString();
        const QString lang = reader.attributes().value("xml:lang").toString();
        if (!lang.isEmpty())
            name += '[' + lang + ']';
        info.attributes.emplace(name, reader.attributes());
        if (name.startsWith("name") || name.startsWith("summary") || name == "id" ||
            name.endsWith("license") || name == "launchable" || name == "category")
            info.texts.emplace(name, reader.readElementText());
    }
    return info;
}

TEST_F(PackageTest, MetainfoNamesTheProgramInBothLanguagesAndThisRelease) {
    const Metainfo info =
        readMetainfo(file("/usr/share/metainfo/io.github.kerulo.Kerulo.metainfo.xml"));
    const auto one = [&info](const char* name) {
        const auto range = info.texts.equal_range(name);
        return std::distance(range.first, range.second) == 1 ? range.first->second : QString();
    };
    EXPECT_EQ(one("id"), "io.github.kerulo.Kerulo");
    EXPECT_EQ(one("project_license"), "MIT");
    EXPECT_EQ(one("launchable"), "io.github.kerulo.Kerulo.desktop");
    EXPECT_TRUE(QFile::exists(file("/usr/share/applications/" + one("launchable"))));
    EXPECT_EQ(one("name"), "Kerulo");
    EXPECT_TRUE(one("name[zh-CN]").contains(QRegularExpression("\\p{Han}")));
    EXPECT_TRUE(one("summary[zh-CN]").contains(QRegularExpression("\\p{Han}")));
    EXPECT_EQ(info.attributes.count("content_rating"), 1u);
    QStringList versions;
    const auto releases = info.attributes.equal_range("release");
    for (auto it = releases.first; it != releases.second; ++it)
        versions << it->second.value("version").toString();
    EXPECT_TRUE(versions.contains(KERULO_VERSION)) << text(versions.join(' '));
}

TEST_F(PackageTest, ScalableIconIsTheDrawingsSvg) {
    QFile svg(file("/usr/share/icons/hicolor/scalable/apps/kerulo.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&svg);
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.name().toString(), "svg");
    EXPECT_EQ(reader.attributes().value("viewBox").toString(), "0 0 32 32");
    int figures = 0;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            figures +=
                reader.name() == QLatin1String("circle") || reader.name() == QLatin1String("path");
    EXPECT_FALSE(reader.hasError()) << text(reader.errorString());
    EXPECT_EQ(figures, 2) << "the halo and the arrow";
}

struct EntryKey {
    const char* key;
    const char* pattern;
};
void PrintTo(const EntryKey& c, std::ostream* out) {
    *out << c.key;
}

const EntryKey EntryKeys[] = {
    {"Type", "^Application$"},
    {"Name", "^Kerulo$"},
    {"Name[zh_CN]", "\\p{Han}"},
    {"Comment", "^.{20,}$"},
    {"Comment[zh_CN]", "\\p{Han}"},
    {"Icon", "^kerulo$"},
    {"Exec", "^kerulo$"},
    {"Terminal", "^false$"},
    {"Categories", "^Education;Utility;$"},
};

class DesktopEntryKeyTest : public PackageTest, public ::testing::WithParamInterface<EntryKey> {};

TEST_P(DesktopEntryKeyTest, HasItsValue) {
    QFile entry(file("/usr/share/applications/io.github.kerulo.Kerulo.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString prefix = QString(GetParam().key) + '=';
    QStringList values;
    for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n'))
        if (line.startsWith(prefix))
            values << line.mid(prefix.size());
    ASSERT_EQ(values.size(), 1) << GetParam().key;
    EXPECT_TRUE(QRegularExpression(GetParam().pattern).match(values[0]).hasMatch())
        << text(values[0]);
}

INSTANTIATE_TEST_SUITE_P(EachKey, DesktopEntryKeyTest, ::testing::ValuesIn(EntryKeys),
                         [](const auto& info) {
                             return QString(info.param.key)
                                 .replace(QRegularExpression("[^A-Za-z0-9]"), "_")
                                 .toStdString();
                         });

class IconTest : public PackageTest, public ::testing::WithParamInterface<int> {};

TEST_P(IconTest, IsADrawingOfItsSizeOnATransparentGround) {
    const int size = GetParam();
    const QImage icon(file(QString("/usr/share/icons/hicolor/%1x%1/apps/kerulo.png").arg(size)));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(size, size));
    EXPECT_EQ(qAlpha(icon.pixel(size - 1, 0)), 0) << "the corners stay see-through";
    int opaque = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            opaque += qAlpha(icon.pixel(x, y)) == 255;
    EXPECT_GT(opaque, size * size / 10) << "the arrow covers a good part of it";
}

INSTANTIATE_TEST_SUITE_P(EachSize, IconTest, ::testing::Values(48, 128));

TEST_F(PackageTest, ShippedSettingsNameAPictureThePackageHolds) {
    const QString db = file("/usr/share/kerulo/GBTest.db");
    const CommandResult picture =
        runCommand("sqlite3", {"-bail", db, "SELECT FileN FROM GBgs WHERE GBgsID = 1"});
    ASSERT_EQ(picture.exitCode, 0) << text(picture.err);
    const QString name = picture.out.trimmed();
    ASSERT_TRUE(name.startsWith("pic\\")) << text(name);
    EXPECT_TRUE(QFile::exists(file("/usr/share/kerulo/pic/" + name.mid(4)))) << text(name);
    const CommandResult halo =
        runCommand("sqlite3", {"-bail", db, "SELECT count(*) FROM GBtx WHERE GBtxID = 1"});
    EXPECT_EQ(halo.out.trimmed(), "1") << text(halo.err);
}

TEST_F(PackageTest, NoFileMentionsTheBuildOrTheSourceTree) {
    const QByteArray build = KERULO_BINARY_DIR;
    const QByteArray source = KERULO_SOURCE_DIR;
    QDirIterator it(s_unpacked->root(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        EXPECT_FALSE(content.contains(build)) << text(f.fileName());
        EXPECT_FALSE(content.contains(source)) << text(f.fileName());
    }
}

} // namespace
} // namespace kerulo::test
