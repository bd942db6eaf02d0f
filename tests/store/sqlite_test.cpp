#include "store/sqlite.h"

#include "store/caseprinting.h"
#include "store/rawdatabase.h"
#include "store/scratchfolder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kerulo {
namespace {

using test::caseName;
using test::operator<<;
using test::RawDatabase;
using test::ScratchFolder;

// The message of the SqliteError the call raises.
template <typename Call> std::string failureOf(Call&& call) {
    try {
        call();
    } catch (const SqliteError& e) {
        return e.what();
    }
    return "<no SqliteError>";
}

std::string reported(const std::string& message, int code, const std::string& sql,
                     const std::string& library) {
    return message + ".\rError [" + std::to_string(code) + "]: " + errorCodeText(code) + ".\r\"" +
           sql + "\": " + library;
}

// ---------------------------------------------------------------------------------------------
// Opening

TEST(SqliteDatabase, MissingFileIsCreatedEmptyAndTheFirstReadFails) {
    ScratchFolder folder;
    const std::string path = folder.file("GBTest.db");
    SqliteDatabase db(path);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path)));
    EXPECT_EQ(failureOf([&] { db.openTable("Select * from GBtx"); }),
              reported("Error executing SQL", 1, "Select * from GBtx", "no such table: GBtx"));
    EXPECT_EQ(errorCodeText(1), "SQL error or missing database");
}

TEST(SqliteDatabase, FileThatCannotBeOpenedNamesItAndTheLibrarysReason) {
    ScratchFolder folder;
    const std::string path = folder.file("no such folder/GBTest.db");
    EXPECT_EQ(failureOf([&] { SqliteDatabase db(path); }),
              "Failed to open database \"" + path + "\" : unable to open database file");
}

TEST(SqliteDatabase, FileThatIsNoDatabaseFailsAndStaysUnchanged) {
    ScratchFolder folder;
    const std::string path = folder.file("GBTest.db");
    QByteArray content;
    for (int i = 0; i < 64; ++i)
        content += "These are the notes of a lesson, not a database.\n";
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    {
        SqliteDatabase db(path);
        EXPECT_EQ(
            failureOf([&] { db.openTable("Select * from GBtx"); }),
            reported("Error executing SQL", 26, "Select * from GBtx", "file is not a database"));
        EXPECT_EQ(failureOf([&] { db.execute("Update GBtx Set TouM='1' where GBtxID=1"); }),
                  reported("Error executing SQL", 26, "Update GBtx Set TouM='1' where GBtxID=1",
                           "file is not a database"));
    }
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content);
}

// ---------------------------------------------------------------------------------------------
// Executing

class SqliteExecute : public ::testing::Test {
protected:
    void SetUp() override {
        RawDatabase(path()).exec("create table t (id INTEGER PRIMARY KEY, v)");
    }
    std::string path() const { return m_folder.file("test.db"); }
    std::string count() { return RawDatabase(path()).text("select count(*) from t"); }

    ScratchFolder m_folder;
};

TEST_F(SqliteExecute, OnlyTheFirstOfTwoStatementsRuns) {
    SqliteDatabase db(path());
    db.execute("insert into t values (1, 'a'); insert into t values (2, 'b')");
    EXPECT_EQ(count(), "1");
}

TEST_F(SqliteExecute, QueryThatReturnsARowFails) {
    RawDatabase(path()).exec("insert into t values (1, 'a')");
    SqliteDatabase db(path());
    EXPECT_EQ(failureOf([&] { db.execute("select * from t"); }), "Error executing SQL statement");
}

TEST_F(SqliteExecute, TextWithoutAStatementCannotBePrepared) {
    SqliteDatabase db(path());
    for (const char* sql : {"", "   ", "-- a comment only", "/* another */"})
        EXPECT_EQ(failureOf([&] { db.execute(sql); }), "Could not prepare SQL statement") << sql;
}

TEST_F(SqliteExecute, FailingStepCarriesTheCodeAndTheLibrarysText) {
    RawDatabase(path()).exec("insert into t values (1, 'a')");
    SqliteDatabase db(path());
    const std::string sql = "insert into t values (1, 'b')";
    EXPECT_EQ(failureOf([&] { db.execute(sql); }),
              reported("Error executing SQL statement", 19, sql, "UNIQUE constraint failed: t.id"));
    EXPECT_EQ(count(), "1");
}

TEST_F(SqliteExecute, RollbackUndoesTheTransactionAndLeavesIt) {
    SqliteDatabase db(path());
    db.execute("BEGIN");
    db.execute("insert into t values (1, 'a')");
    db.setInTransaction(true);
    db.rollbackTransaction();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(failureOf([&] { db.rollbackTransaction(); }),
              reported("Error executing SQL statement", 1, "ROLLBACK",
                       "cannot rollback - no transaction is active"));
}

TEST_F(SqliteExecute, ReportErrorWithoutALibraryErrorGivesTheMessageAlone) {
    SqliteDatabase db(path());
    EXPECT_EQ(failureOf([&] { db.reportError("Something went wrong", "select 1"); }),
              "Something went wrong");
}

TEST_F(SqliteExecute, EveryStatementThatCompilesIsAnnounced) {
    SqliteDatabase db(path());
    std::vector<std::string> announced;
    db.setOnStatement([&](SqliteDatabase& sender, const std::string& sql) {
        EXPECT_EQ(&sender, &db);
        announced.push_back(sql);
    });
    db.execute("insert into t values (1, 'a')");
    db.openTable("select * from t");
    failureOf([&] { db.execute("insert into nowhere values (1)"); });
    failureOf([&] { db.execute("select * from t"); });
    EXPECT_EQ(announced, (std::vector<std::string>{"insert into t values (1, 'a')",
                                                   "select * from t", "select * from t"}));
}

// ---------------------------------------------------------------------------------------------
// Locking: no busy handler, so another connection's exclusive lock fails every use at once.

class SqliteLock : public ::testing::Test {
protected:
    void SetUp() override {
        RawDatabase(path()).exec("create table t (v); insert into t values (1)");
    }
    void lockByAnotherConnection() { m_holder.exec("BEGIN EXCLUSIVE; insert into t values (2)"); }
    std::string path() const { return m_folder.file("test.db"); }

    ScratchFolder m_folder;
    RawDatabase m_holder{path()};
};

TEST_F(SqliteLock, ReadAndUpdateOfALockedFileFailAtOnce) {
    SqliteDatabase db(path());
    lockByAnotherConnection();
    EXPECT_EQ(failureOf([&] { db.openTable("select * from t"); }),
              reported("Error executing SQL", 5, "select * from t", "database is locked"));
    EXPECT_EQ(failureOf([&] { db.execute("update t set v = 3"); }),
              reported("Error executing SQL", 5, "update t set v = 3", "database is locked"));
}

TEST_F(SqliteLock, BusyWhileLoadingATableGivesTheFixedMessage) {
    SqliteDatabase db(path());
    // With the schema already read, the statement compiles and the lock shows while stepping.
    db.openTable("select * from t");
    lockByAnotherConnection();
    EXPECT_EQ(failureOf([&] { db.openTable("select * from t"); }),
              "Could not prepare SQL statement");
}

// ---------------------------------------------------------------------------------------------
// Loading tables

class TableLoading : public ::testing::Test {
protected:
    std::string path() const { return m_folder.file("test.db"); }
    void setUp(const std::string& sql) { RawDatabase(path()).exec(sql); }

    ScratchFolder m_folder;
};

TEST_F(TableLoading, QueryWithoutRowsIsAtEndOfFileAndFindsNoField) {
    setUp("create table GBtx (GBtxID INTEGER PRIMARY KEY, ColoeN)");
    SqliteDatabase db(path());
    const std::unique_ptr<SqliteTable> table = db.openTable("Select * from GBtx");
    EXPECT_TRUE(table->endOfFile());
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(table->columnCount(), 0);
    for (const char* name : {"ColoeN", "GBtxID", "nothing"}) {
        EXPECT_EQ(failureOf([&] { table->indexOfField(name); }),
                  std::string("Field ") + name + " Not found. Empty dataset");
    }
}

TEST_F(TableLoading, EveryFieldAccessorRefusesAtEndOfFile) {
    setUp("create table t (v)");
    SqliteDatabase db(path());
    const std::unique_ptr<SqliteTable> table = db.openTable("select * from t");
    const std::vector<std::function<void()>> accessors = {
        [&] { table->fieldText(0); },   [&] { table->fieldToText(0); },
        [&] { table->fieldInt64(0); },  [&] { table->fieldFloat(0); },
        [&] { table->fieldStream(0); }, [&] { table->fieldBlobText(0); },
    };
    for (const auto& accessor : accessors)
        EXPECT_EQ(failureOf(accessor), "Table is at End of File");
}

TEST_F(TableLoading, LoadsEveryRowAndReadsTheFirstEvenAfterTheDatabaseIsGone) {
    setUp("create table t (n INTEGER, s TEXT);"
          "insert into t values (1, 'first'), (2, 'second'), (3, 'third')");
    std::unique_ptr<SqliteTable> table;
    {
        SqliteDatabase db(path());
        table = db.openTable("select * from t");
    }
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_FALSE(table->endOfFile());
    EXPECT_EQ(table->fieldText(table->indexOfField("n")), "1");
    EXPECT_EQ(table->fieldText(table->indexOfField("s")), "first");
}

struct FieldNameCase {
    const char* asked;
    int index; // -1: not found
};

const FieldNameCase FieldNameCases[] = {
    {"ColoeN", 0}, {"coloen", 0}, {"COLOEN", 0}, {"touM", 1},   {"GHDX", 2},
    {"länge", 3},  {"LÄNGE", 3},  {"Länge", 3},  {"Ghdx ", -1}, {"Farbe", -1},
};

void PrintTo(const FieldNameCase& c, std::ostream* os) {
    *os << c.asked;
}

class FieldNameTable : public ::testing::TestWithParam<FieldNameCase> {};

TEST_P(FieldNameTable, FindsColumnsWhateverTheCase) {
    ScratchFolder folder;
    RawDatabase(folder.file("test.db"))
        .exec("create table t (ColoeN, TouM, ghdx, \"länge\"); insert into t values (1, 2, 3, 4)");
    SqliteDatabase db(folder.file("test.db"));
    const std::unique_ptr<SqliteTable> table = db.openTable("select * from t");
    const FieldNameCase& c = GetParam();
    if (c.index >= 0)
        EXPECT_EQ(table->indexOfField(c.asked), c.index);
    else
        EXPECT_EQ(failureOf([&] { table->indexOfField(c.asked); }),
                  std::string("Field not found in dataset: ") + c.asked);
}

INSTANTIATE_TEST_SUITE_P(Store, FieldNameTable, ::testing::ValuesIn(FieldNameCases),
                         [](const auto& info) { return "case_" + std::to_string(info.index); });

// How a value comes back by its column's declared type (or, without one, its own type).
struct TypeCase {
    const char* what;
    const char* declared; // nullptr: no declared type
    const char* literal;
    std::string text;                  // FieldText
    std::string toText;                // FieldToText
    std::optional<std::int64_t> int64; // none: "Not an integer or numeric field"
};

const TypeCase TypeCases[] = {
    {"INTEGER holding an integer", "INTEGER", "42", "42", "42", 42},
    {"INTEGER holding text is read as an integer", "INTEGER", "'12abc'", "12", "12", 12},
    {"BOOLEAN is an integer", "BOOLEAN", "1", "1", "1", 1},
    // The library reports the standard names (INTEGER, REAL, TEXT ...) in upper case however
    // they were written, so lower case shows on the others only.
    {"lower case boolean is text", "boolean", "1", "1", "1", std::nullopt},
    {"lower case double is text", "double", "2.5", "2.5", "2.5", std::nullopt},
    {"INT is text", "INT", "42", "42", "42", std::nullopt},
    {"TEXT holding a number is text", "TEXT", "7", "7", "7", std::nullopt},
    {"VARCHAR is text", "VARCHAR(20)", "'abc'", "abc", "abc", std::nullopt},
    {"REAL", "REAL", "2.5", "2.5", "2.5", 2},
    {"FLOAT truncates toward zero", "FLOAT", "-2.75", "-2.75", "-2.75", -2},
    {"DOUBLE shows 15 significant digits", "DOUBLE", "1.0/3", "0.333333333333333",
     "0.333333333333333", 0},
    {"DOUBLE large", "DOUBLE", "123456789012.5", "123456789012.5", "123456789012.5", 123456789012},
    {"NUMERIC fraction", "NUMERIC", "'0.1'", "0.1", "0.1", 0},
    {"REAL in exponent form", "REAL", "1.5e15", "1.5e+15", "1.5e+15", 1500000000000000},
    {"BLOB keeps zero bytes", "BLOB", "X'610062'", std::string("a\0b", 3), std::string("a\0b", 3),
     std::nullopt},
    {"empty BLOB is null", "BLOB", "X''", "", "", 0},
    {"no declared type, integer", nullptr, "5", "5", "5", 5},
    {"no declared type, float", nullptr, "1.5", "1.5", "1.5", 1},
    {"no declared type, text", nullptr, "'x'", "x", "x", std::nullopt},
    {"no declared type, blob", nullptr, "X'00410042'", std::string("\0A\0B", 4),
     std::string("\0A\0B", 4), std::nullopt},
    {"NULL INTEGER", "INTEGER", "NULL", "", "0", 0},
    {"NULL REAL", "REAL", "NULL", "", "0", 0},
    {"NULL TEXT", "TEXT", "NULL", "", "", 0},
    {"zero byte cuts text", "TEXT", "CAST(X'61620063' AS TEXT)", "ab", "ab", std::nullopt},
};

class TypeTable : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeTable, ReadsTheValueByItsColumnType) {
    const TypeCase& c = GetParam();
    ScratchFolder folder;
    RawDatabase(folder.file("test.db"))
        .exec(std::string("create table t (v ") + (c.declared ? c.declared : "") +
              "); insert into t values (" + c.literal + ")");
    SqliteDatabase db(folder.file("test.db"));
    const std::unique_ptr<SqliteTable> table = db.openTable("select v from t");
    const int v = table->indexOfField("V");
    EXPECT_EQ(table->fieldText(v), c.text);
    EXPECT_EQ(table->fieldToText(v), c.toText);
    if (c.int64)
        EXPECT_EQ(table->fieldInt64(v), *c.int64);
    else
        EXPECT_EQ(failureOf([&] { table->fieldInt64(v); }), "Not an integer or numeric field");
}

INSTANTIATE_TEST_SUITE_P(Store, TypeTable, ::testing::ValuesIn(TypeCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

TEST_F(TableLoading, FloatStreamAndBlobAccessorsByColumnType) {
    setUp("create table t (i INTEGER, r REAL, s TEXT, b BLOB, n TEXT);"
          "insert into t values (3, 0.5, 'x', X'010203', NULL)");
    SqliteDatabase db(path());
    const std::unique_ptr<SqliteTable> table = db.openTable("select * from t");
    const int i = table->indexOfField("i"), r = table->indexOfField("r"),
              s = table->indexOfField("s"), b = table->indexOfField("b"),
              n = table->indexOfField("n");
    EXPECT_EQ(table->fieldFloat(i), 3.0);
    EXPECT_EQ(table->fieldFloat(r), 0.5);
    EXPECT_EQ(table->fieldFloat(n), 0.0);
    EXPECT_EQ(failureOf([&] { table->fieldFloat(s); }), "Not an integer or numeric field");
    EXPECT_EQ(failureOf([&] { table->fieldFloat(b); }), "Not an integer or numeric field");
    EXPECT_EQ(failureOf([&] { table->fieldStream(i); }), "Not a Blob field");
    EXPECT_EQ(failureOf([&] { table->fieldStream(s); }), "Not a Blob field");
    EXPECT_EQ(table->fieldStream(n), nullptr) << "a null cell is null before its type counts";
    EXPECT_EQ(table->fieldBlobText(n), "");

    QBuffer* stream = table->fieldStream(b);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size(), 3);
    EXPECT_EQ(stream->readAll(), QByteArray("\1\2\3")) << "the buffer is open for reading";
    // The blob's text is always the whole stream, wherever its position was left.
    stream->seek(2);
    EXPECT_EQ(table->fieldBlobText(b), std::string("\1\2\3"));
}

// ---------------------------------------------------------------------------------------------
// Binding

// A stream that is not a memory stream, over a fixed text.
class TextStream : public QIODevice {
public:
    explicit TextStream(std::string text, qint64 position = 0) : m_text(std::move(text)) {
        open(QIODevice::ReadOnly);
        seek(position);
    }
    qint64 size() const override { return static_cast<qint64>(m_text.size()); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, size() - pos());
        std::memcpy(data, m_text.data() + pos(), static_cast<std::size_t>(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string m_text;
};

class NotAStream : public QObject {};

QBuffer* memoryStreamAt(const std::string& bytes, qint64 position) {
    static std::vector<std::unique_ptr<QBuffer>> kept;
    kept.push_back(std::make_unique<QBuffer>());
    kept.back()->setData(bytes.data(), static_cast<int>(bytes.size()));
    kept.back()->open(QIODevice::ReadOnly);
    kept.back()->seek(position);
    return kept.back().get();
}

TextStream* textStreamAt(const std::string& text, qint64 position) {
    static std::vector<std::unique_ptr<TextStream>> kept;
    kept.push_back(std::make_unique<TextStream>(text, position));
    return kept.back().get();
}

struct BindCase {
    const char* what;
    SqliteArgument argument;
    const char* type;  // typeof() of the bound value
    std::string bytes; // the bound value's bytes (numbers as their text)
    const char* bindFailure;
};

const BindCase BindCases[] = {
    {"32-bit integer", std::int32_t{-7}, "integer", "-7", "Could not bind integer"},
    {"boolean true", true, "integer", "1", "Could not bind boolean"},
    {"boolean false", false, "integer", "0", "Could not bind boolean"},
    {"extended float", 2.5L, "real", "2.5", "Could not bind extended"},
    {"double as extended", 0.25, "real", "0.25", "Could not bind extended"},
    {"64-bit integer", std::int64_t{1099511627776}, "integer", "1099511627776",
     "Could not bind int64"},
    {"null pointer", nullptr, "null", "", "Could not bind null"},
    {"one character with its zero", 'x', "text", std::string("x\0", 2), "Could not bind text"},
    {"narrow string with its zero", std::string("abc"), "text", std::string("abc\0", 4),
     "Could not bind text"},
    {"pointer to narrow characters", "abc", "text", "abc", "Could not bind text"},
    {"wide string as UTF-8", QStringLiteral("粉笔"), "text", "粉笔", "Could not bind text"},
    {"memory stream from its position", memoryStreamAt("\1\2\3\4", 1), "blob", "\2\3\4",
     "Could not bind BLOB"},
    {"other stream read whole", textStreamAt("hello", 3), "blob", "hello", "Could not bind BLOB"},
    {"empty other stream", textStreamAt("", 0), "blob", "", "Could not bind BLOB"},
};

class BindTable : public ::testing::TestWithParam<BindCase> {
protected:
    ScratchFolder m_folder;
};

TEST_P(BindTable, BindsTheArgumentAsItsKindSays) {
    const BindCase& c = GetParam();
    SqliteDatabase db(m_folder.file("test.db"));
    const std::unique_ptr<SqliteTable> table = std::make_unique<SqliteTable>(
        db, "select typeof(?1) as T, CAST(?1 AS BLOB) as B", std::vector{c.argument});
    EXPECT_EQ(table->fieldText(table->indexOfField("T")), c.type);
    EXPECT_EQ(table->fieldText(table->indexOfField("B")), c.bytes);
}

TEST_P(BindTable, FailingBindNamesTheKind) {
    const BindCase& c = GetParam();
    SqliteDatabase db(m_folder.file("test.db"));
    // The statement has no parameter, so binding position 1 is out of range.
    EXPECT_EQ(failureOf([&] { db.execute("select 1", {c.argument}); }),
              reported(c.bindFailure, 25, "BindData", "column index out of range"));
}

INSTANTIATE_TEST_SUITE_P(Store, BindTable, ::testing::ValuesIn(BindCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

NotAStream NoStream;
QFile StreamNotOpen(QStringLiteral("/nonexistent/stream"));

struct RefusedCase {
    const char* what;
    SqliteArgument argument;
    const char* message;
};

const RefusedCase RefusedCases[] = {
    {"non-null pointer", static_cast<const void*>(&NoStream), "Unhandled pointer (<> nil)"},
    {"object that is no stream", &NoStream, "Unhandled object-type in binding"},
    {"any other kind", SqliteArgument::Unhandled{}, "Unhandled binding"},
    {"stream that cannot be read", &StreamNotOpen, "Could not bind BLOB"},
};

class RefusedTable : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTable, RefusesWithItsOwnMessageAndRunsNothing) {
    const RefusedCase& c = GetParam();
    ScratchFolder folder;
    RawDatabase(folder.file("test.db")).exec("create table t (v)");
    SqliteDatabase db(folder.file("test.db"));
    EXPECT_EQ(failureOf([&] { db.execute("insert into t values (?)", {c.argument}); }), c.message);
    EXPECT_EQ(RawDatabase(folder.file("test.db")).text("select count(*) from t"), "0");
}

INSTANTIATE_TEST_SUITE_P(Store, RefusedTable, ::testing::ValuesIn(RefusedCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

TEST_F(SqliteExecute, ArgumentsBindToPositionsInOrder) {
    SqliteDatabase db(path());
    db.execute("insert into t values (?1 * 100 + ?2 * 10 + ?3, ?4)", {1, 2, 3, "four"});
    EXPECT_EQ(RawDatabase(path()).text("select id || ' ' || v from t"), "123 four");
}

TEST_F(SqliteExecute, NamedParametersApplyToExactlyOneStatement) {
    RawDatabase(path()).exec("create table p (i, f, s, n, skipped)");
    SqliteDatabase db(path());
    db.parameters() = {
        {":i", SqliteType::Integer, 7, 0, ""},        {":f", SqliteType::Float, 0, 2.5, ""},
        {":s", SqliteType::Text, 0, 0, "粉笔"},       {":n", SqliteType::Null, 9, 9, "nine"},
        {":skipped", SqliteType::Blob, 1, 1, "blob"}, {":absent", SqliteType::Integer, 1, 0, ""},
    };
    const std::string insert = "insert into p values (:i, :f, :s, :n, :skipped)";
    db.execute(insert);
    EXPECT_TRUE(db.parameters().empty());
    db.execute(insert);

    RawDatabase raw(path());
    const char* row = "select quote(i) || ',' || quote(f) || ',' || quote(s) || ',' || quote(n) "
                      "|| ',' || quote(skipped) from p where rowid = ";
    EXPECT_EQ(raw.text(std::string(row) + "1"), "7,2.5,'粉笔',NULL,NULL");
    EXPECT_EQ(raw.text(std::string(row) + "2"), "NULL,NULL,NULL,NULL,NULL");
}

TEST_F(SqliteExecute, NamedParametersAreClearedWhenBindingFails) {
    SqliteDatabase db(path());
    db.parameters().push_back({":v", SqliteType::Integer, 1, 0, ""});
    failureOf([&] { db.execute("insert into t values (:v, ?)", {SqliteArgument::Unhandled{}}); });
    EXPECT_TRUE(db.parameters().empty());
}

// ---------------------------------------------------------------------------------------------
// Result code texts

struct CodeCase {
    int code;
    const char* text;
};

const CodeCase CodeCases[] = {
    {0, "Successful result"},
    {5, "The database file is locked"},
    {19, "Abort due to contraint violation"},
    {26, "File opened that is not a database file"},
    {100, "sqlite3_step() has another row ready"},
    {101, "sqlite3_step() has finished executing"},
    {27, "Unknown SQLite Error Code \"27\""},
    {-1, "Unknown SQLite Error Code \"-1\""},
    {99, "Unknown SQLite Error Code \"99\""},
};

void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << c.code;
}

class CodeTable : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeTable, DescribesTheCode) {
    EXPECT_EQ(errorCodeText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Store, CodeTable, ::testing::ValuesIn(CodeCases), [](const auto& info) {
    const int code = info.param.code;
    return code < 0 ? "minus_" + std::to_string(-code) : "code_" + std::to_string(code);
});

} // namespace
} // namespace kerulo
