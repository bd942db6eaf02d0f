#include "store/settingsstore.h"

#include "store/caseprinting.h"
#include "store/converterror.h"
#include "store/integertext.h"
#include "store/picturepath.h"
#include "store/rawdatabase.h"
#include "store/sqlite.h"
#include "support/runfolder.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace kerulo {
namespace {

using test::caseName;
using test::operator<<;
using test::RawDatabase;
using test::RunFolder;

template <typename Error, typename Call> std::string failureOf(Call&& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "<no exception of the expected type>";
}

std::string shippedScript() {
    QFile script(QStringLiteral(KERULO_SOURCE_DIR "/resources/gbtest.sql"));
    if (!script.open(QIODevice::ReadOnly))
        return "select 'gbtest.sql is missing' from nowhere";
    return script.readAll().toStdString();
}

// The settings tables as shipped (INTEGER numbers), with text columns in another order and an
// extra column, and with no declared types at all.
const std::string IntegerSchema = shippedScript();
const char* const TextSchema =
    "create table GBtx (Note TEXT, Ghdx TEXT, TouM TEXT, ColoeN TEXT, GBtxID INTEGER);"
    "insert into GBtx values ('spare', '100', '100', '51455', 1);"
    "create table GBgs (SHu TEXT, FileN TEXT, GBgsID INTEGER);"
    "insert into GBgs values ('65', 'pic\\ring.png', 1);";
const char* const UntypedSchema = "create table GBtx (GBtxID, ColoeN, TouM, Ghdx);"
                                  "insert into GBtx values (1, 51455, 100, 100);"
                                  "create table GBgs (GBgsID, FileN, SHu);"
                                  "insert into GBgs values (1, 'pic\\ring.png', 65);";

// A run folder of the test's own, current directory while it lives, holding a settings database
// made from a schema.
class SettingsFolder {
public:
    explicit SettingsFolder(const std::string& schema) { raw().exec(schema); }
    RawDatabase raw() const {
        return RawDatabase(m_folder.file(SettingsDatabaseName).toStdString());
    }
    std::string halo() const {
        return raw().text("select ColoeN || ',' || TouM || ',' || Ghdx from GBtx where GBtxID = 1");
    }
    std::string followImage() const {
        return raw().text("select FileN || ',' || SHu from GBgs where GBgsID = 1");
    }

private:
    RunFolder m_folder{false};
};

// ---------------------------------------------------------------------------------------------
// Statements

TEST(SettingsStatements, HaloUpdateQuotesTheNumbersWithoutBlanks) {
    EXPECT_EQ(haloUpdateStatement("255", "200", "128"),
              "Update GBtx Set ColoeN='255',Ghdx='200',TouM='128' where GBtxID=1");
}

struct FollowStatementCase {
    const char* what;
    QString fileName;
    QString offset;
    std::string statement;
};

const FollowStatementCase FollowStatementCases[] = {
    {"plain name", QStringLiteral("pic\\ring.png"), QStringLiteral("65"),
     "Update GBgs Set FileN='pic\\ring.png',SHu='65' where GBgsID=1"},
    {"Chinese name in UTF-8", QStringLiteral("pic\\粉笔.png"), QStringLiteral("0"),
     "Update GBgs Set FileN='pic\\粉笔.png',SHu='0' where GBgsID=1"},
    {"apostrophe doubled", QStringLiteral("pic\\teacher's.png"), QStringLiteral("65"),
     "Update GBgs Set FileN='pic\\teacher''s.png',SHu='65' where GBgsID=1"},
    {"two apostrophes doubled", QStringLiteral("pic\\''.png"), QStringLiteral("1"),
     "Update GBgs Set FileN='pic\\''''.png',SHu='1' where GBgsID=1"},
    {"offset inserted as it is", QStringLiteral("pic\\a.png"), QStringLiteral("6'5"),
     "Update GBgs Set FileN='pic\\a.png',SHu='6'5' where GBgsID=1"},
};

class FollowStatementTable : public ::testing::TestWithParam<FollowStatementCase> {};

TEST_P(FollowStatementTable, BuildsTheExactText) {
    const FollowStatementCase& c = GetParam();
    EXPECT_EQ(followImageUpdateStatement(c.fileName, c.offset), c.statement);
}

INSTANTIATE_TEST_SUITE_P(Store, FollowStatementTable, ::testing::ValuesIn(FollowStatementCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

// ---------------------------------------------------------------------------------------------
// Reading and saving

struct SchemaCase {
    const char* what;
    std::string schema;
    const char* storedType; // what a saved number becomes in the column
};

const SchemaCase SchemaCases[] = {
    {"INTEGER columns", IntegerSchema, "integer"},
    {"TEXT columns", TextSchema, "text"},
    {"no declared types", UntypedSchema, "text"},
};

class SchemaTable : public ::testing::TestWithParam<SchemaCase> {};

TEST_P(SchemaTable, SavedHaloReadsBackTheSameDigits) {
    const SchemaCase& c = GetParam();
    SettingsFolder folder(c.schema);
    saveHaloSettings("255", "200", "128");
    EXPECT_EQ(folder.raw().text("select typeof(ColoeN) from GBtx"), c.storedType) << c.what;

    const HaloSettings halo = readHaloSettings();
    EXPECT_EQ(halo.colourText, "255");
    EXPECT_EQ(halo.sizeText, "200");
    EXPECT_EQ(halo.opacityText, "128");
    EXPECT_EQ(halo.colour, 255);
    EXPECT_EQ(halo.size, 200);
    EXPECT_EQ(halo.opacity, 128);
}

TEST_P(SchemaTable, SavedFollowImageReadsBackTheSame) {
    SettingsFolder folder(GetParam().schema);
    saveFollowImageSettings(QStringLiteral("pic\\hand.png"), QStringLiteral("0"));
    const FollowImageSettings follow = readFollowImageSettings();
    EXPECT_EQ(follow.fileName, QStringLiteral("pic\\hand.png"));
    EXPECT_EQ(follow.offsetText, QStringLiteral("0"));
    EXPECT_EQ(follow.offset, 0);
}

INSTANTIATE_TEST_SUITE_P(Store, SchemaTable, ::testing::ValuesIn(SchemaCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

class FileNameTable : public ::testing::TestWithParam<QString> {};

TEST_P(FileNameTable, FileNameRoundTripsUnchanged) {
    SettingsFolder folder(IntegerSchema);
    saveFollowImageSettings(GetParam(), QStringLiteral("65"));
    EXPECT_EQ(folder.raw().text("select FileN from GBgs"), GetParam().toStdString());
    EXPECT_EQ(readFollowImageSettings().fileName, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Store, FileNameTable,
                         ::testing::Values(QStringLiteral("pic\\ring.png"),
                                           QStringLiteral("pic\\粉笔 指针.png"),
                                           QStringLiteral("pic\\teacher's pointer.png"),
                                           QStringLiteral("pic\\it''s'.png"),
                                           QStringLiteral("pic\\'")));

struct FailedSaveCase {
    const char* what;
    std::function<void()> save;
};

const FailedSaveCase FailedSaveCases[] = {
    {"apostrophe in the offset", [] { saveFollowImageSettings("pic\\hand.png", "6'5"); }},
    {"apostrophe in the colour", [] { saveHaloSettings("1'", "200", "128"); }},
    {"apostrophe in the opacity", [] { saveHaloSettings("255", "200", "'"); }},
};

class FailedSaveTable : public ::testing::TestWithParam<FailedSaveCase> {};

TEST_P(FailedSaveTable, FailedUpdateLeavesTheRowsUnchanged) {
    SettingsFolder folder(IntegerSchema);
    const std::string halo = folder.halo();
    const std::string follow = folder.followImage();
    const std::string message = failureOf<SqliteError>(GetParam().save);
    EXPECT_EQ(message.rfind("Error executing SQL.\rError [1]: SQL error or missing database.", 0),
              0u)
        << message;
    EXPECT_EQ(folder.halo(), halo);
    EXPECT_EQ(folder.followImage(), follow);
}

INSTANTIATE_TEST_SUITE_P(Store, FailedSaveTable, ::testing::ValuesIn(FailedSaveCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

struct BadValueCase {
    const char* what;
    const char* update; // makes the stored value bad
    bool halo;          // which reader
    const char* message;
};

const BadValueCase BadValueCases[] = {
    {"empty colour", "update GBtx set ColoeN = ''", true, "'' is not a valid integer value"},
    {"NULL colour", "update GBtx set ColoeN = NULL", true, "'' is not a valid integer value"},
    {"word as opacity", "update GBtx set TouM = 'abc'", true, "'abc' is not a valid integer value"},
    {"size with a unit", "update GBtx set Ghdx = '12px'", true,
     "'12px' is not a valid integer value"},
    {"blank offset", "update GBgs set SHu = ' '", false, "' ' is not a valid integer value"},
    {"fraction as offset", "update GBgs set SHu = '6.5'", false,
     "'6.5' is not a valid integer value"},
};

class BadValueTable : public ::testing::TestWithParam<BadValueCase> {};

TEST_P(BadValueTable, ReaderFailsInTheIntegerConversion) {
    const BadValueCase& c = GetParam();
    SettingsFolder folder(TextSchema);
    folder.raw().exec(c.update);
    if (c.halo)
        EXPECT_EQ(failureOf<ConvertError>([] { readHaloSettings(); }), c.message);
    else
        EXPECT_EQ(failureOf<ConvertError>([] { readFollowImageSettings(); }), c.message);
}

INSTANTIATE_TEST_SUITE_P(Store, BadValueTable, ::testing::ValuesIn(BadValueCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

TEST(SettingsDatabase, MissingFileIsCreatedEmptyAndReadingFails) {
    RunFolder folder(false);
    EXPECT_EQ(failureOf<SqliteError>([] { readHaloSettings(); }),
              "Error executing SQL.\rError [1]: SQL error or missing database.\r"
              "\"Select * from GBtx\": no such table: GBtx");
    EXPECT_EQ(QFileInfo(folder.file(SettingsDatabaseName)).size(), 0);
    EXPECT_EQ(failureOf<SqliteError>([] { readFollowImageSettings(); }),
              "Error executing SQL.\rError [1]: SQL error or missing database.\r"
              "\"Select * from GBgs\": no such table: GBgs");
}

TEST(SettingsDatabase, TablesWithoutARowFindNoField) {
    SettingsFolder folder(IntegerSchema);
    folder.raw().exec("delete from GBtx; delete from GBgs");
    EXPECT_EQ(failureOf<SqliteError>([] { readHaloSettings(); }),
              "Field ColoeN Not found. Empty dataset");
    EXPECT_EQ(failureOf<SqliteError>([] { readFollowImageSettings(); }),
              "Field FileN Not found. Empty dataset");
}

TEST(SettingsDatabase, ReadsTheFirstRowButUpdatesRowOne) {
    SettingsFolder folder(TextSchema);
    folder.raw().exec("delete from GBtx;"
                      "insert into GBtx values ('', '300', '30', '3', 2);"
                      "insert into GBtx values ('', '100', '10', '1', 1)");
    EXPECT_EQ(readHaloSettings().colour, 3);
    saveHaloSettings("7", "700", "70");
    EXPECT_EQ(readHaloSettings().colour, 3);
    EXPECT_EQ(folder.halo(), "7,70,700");
}

// ---------------------------------------------------------------------------------------------
// Integer texts and picture paths

struct IntegerCase {
    QString text;
    int value;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    ::PrintTo(c.text, os);
}

class ValidIntegerTable : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ValidIntegerTable, Converts) {
    EXPECT_EQ(parseInteger(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Store, ValidIntegerTable,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"65", 65}, IntegerCase{"-12", -12},
                      IntegerCase{"+7", 7}, IntegerCase{"007", 7},
                      IntegerCase{"2147483647", std::numeric_limits<int>::max()},
                      IntegerCase{"-2147483648", std::numeric_limits<int>::min()}));

class InvalidIntegerTable : public ::testing::TestWithParam<QString> {};

TEST_P(InvalidIntegerTable, RaisesQuotingTheText) {
    const QString text = GetParam();
    EXPECT_EQ(failureOf<ConvertError>([&] { parseInteger(text); }),
              "'" + text.toStdString() + "' is not a valid integer value");
}

INSTANTIATE_TEST_SUITE_P(
    Store, InvalidIntegerTable,
    ::testing::Values(QString(), QStringLiteral(" "), QStringLiteral(" 12"), QStringLiteral("12 "),
                      QStringLiteral("1 2"), QStringLiteral("-"), QStringLiteral("+"),
                      QStringLiteral("--1"), QStringLiteral("1.5"), QStringLiteral("12px"),
                      QStringLiteral("$FF"), QStringLiteral("0x10"), QStringLiteral("2147483648"),
                      QStringLiteral("-2147483649"), QStringLiteral("99999999999999999999"),
                      QStringLiteral("١٢")));

TEST(PicturePath, StoredNameUsesABackslash) {
    EXPECT_EQ(storedPictureName(QStringLiteral("ring.png")), QStringLiteral("pic\\ring.png"));
    EXPECT_EQ(storedPictureName(QStringLiteral("粉笔.png")), QStringLiteral("pic\\粉笔.png"));
}

TEST(PicturePath, LocalPathUsesSlashes) {
    EXPECT_EQ(localPicturePath(QStringLiteral("pic\\ring.png")), QStringLiteral("pic/ring.png"));
    EXPECT_EQ(localPicturePath(QStringLiteral("pic\\a\\b.png")), QStringLiteral("pic/a/b.png"));
    EXPECT_EQ(localPicturePath(QStringLiteral("pic/ring.png")), QStringLiteral("pic/ring.png"));
}

} // namespace
} // namespace kerulo
