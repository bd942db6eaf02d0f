// Any values into a SQLite table through the store's own binding, then every field read back
// through every read the store offers, and the settings rows read as the program reads them at
// start. SqliteError and ConvertError are the documented answers to values that do not fit;
// anything else that leaves (another exception, a crash, a sanitizer report) is a fault, and
// so is a read that disagrees with another read of the same field.
//
// Input: lines. The first line shapes the table, one character each: the number of columns,
// the number of rows, the mode ('s': the settings database instead of a table of its own;
// 'e': columns read through expressions, so they have no declared type), then a declared type
// per column. Every further line is one value, its first character its kind (see bindValue).
// The settings mode takes the values as the rows' five fields, then three box texts and a file
// name for a save from the settings dialog.

#include "settings/settingsvalidation.h"
#include "store/converterror.h"
#include "store/integertext.h"
#include "store/settingsstore.h"
#include "store/sqlite.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace kerulo;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "store_fuzz: %s\n", what.c_str());
    std::abort();
}

// The declared types a column may get: the ones the store maps to a kind, their spelling in
// another case (which the store takes as text) and others SQLite knows.
const char* const DeclaredTypes[] = {"",      "INTEGER", "BOOLEAN",     "NUMERIC",
                                     "FLOAT", "DOUBLE",  "REAL",        "BLOB",
                                     "TEXT",  "integer", "VARCHAR(20)", "ANY"};
constexpr int DeclaredTypeCount = int(sizeof DeclaredTypes / sizeof *DeclaredTypes);

constexpr int MaxColumns = 6;
constexpr int MaxRows = 3;
// Beyond every small buffer and many database pages, short enough to keep runs fast.
constexpr std::size_t HugeBytes = 128 * 1024;

// A stream that is not a memory buffer: the binder reads it whole from its start.
class ByteStream : public QIODevice {
public:
    explicit ByteStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qint64 size() const override { return m_bytes.size(); }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, m_bytes.size() - pos());
        if (n <= 0)
            return 0;
        std::memcpy(data, m_bytes.constData() + pos(), std::size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
};

// What a statement's values need alive until it has run.
struct Values {
    std::vector<SqliteArgument> arguments;
    std::vector<std::unique_ptr<QObject>> objects;
    std::deque<std::string> texts; // backing for const char* arguments; never moves them
    std::vector<SqliteParameter> parameters;
};

std::string huge(const std::string& payload) {
    const std::string unit = payload.empty() ? std::string("9") : payload;
    // Doubled rather than appended unit by unit, which would cost a million appends.
    std::string text = unit;
    while (text.size() < HugeBytes)
        text += text;
    return text;
}

// The placeholder for a value in a statement: positional, or named when the value travels as
// a named parameter.
std::string bindValue(const std::string& line, int index, Values& values) {
    const char kind = line.empty() ? 'n' : line[0];
    const std::string payload = line.empty() ? std::string() : line.substr(1);
    auto& a = values.arguments;
    switch (kind) {
    case 'n':
        a.emplace_back(nullptr);
        break;
    case 't': // carries its terminating zero into the value
        a.emplace_back(payload);
        break;
    case 'c':
        values.texts.push_back(payload);
        a.emplace_back(values.texts.back().c_str());
        break;
    case 'q':
        a.emplace_back(QString::fromUtf8(payload.data(), qsizetype(payload.size())));
        break;
    case 'i':
        a.emplace_back(std::int64_t{std::strtoll(payload.c_str(), nullptr, 10)});
        break;
    case 'w':
        a.emplace_back(std::int32_t(std::strtoll(payload.c_str(), nullptr, 10) & 0xffffffff));
        break;
    case 'o':
        a.emplace_back(!payload.empty());
        break;
    case 'd':
        a.emplace_back(std::strtod(payload.c_str(), nullptr));
        break;
    case 'D':
        a.emplace_back(std::strtold(payload.c_str(), nullptr));
        break;
    case 'r': { // a double of any bit pattern: NaNs with payloads, denormals
        std::uint64_t bits = 0;
        std::memcpy(&bits, payload.data(), std::min(payload.size(), sizeof bits));
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        a.emplace_back(value);
        break;
    }
    case 'y':
        a.emplace_back(payload.empty() ? '\0' : payload[0]);
        break;
    case 'x': { // a memory buffer read from the position its first byte gives
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(QByteArray(payload.data(), qsizetype(payload.size())));
        buffer->open(QIODevice::ReadOnly);
        if (!payload.empty())
            buffer->seek(std::uint8_t(payload[0]) % (payload.size() + 1));
        a.emplace_back(static_cast<QObject*>(buffer.get()));
        values.objects.push_back(std::move(buffer));
        break;
    }
    case 's': {
        auto stream =
            std::make_unique<ByteStream>(QByteArray(payload.data(), qsizetype(payload.size())));
        // A first byte of '0' leaves it closed, which cannot be read.
        if (payload.empty() || payload[0] != '0')
            stream->open(QIODevice::ReadOnly);
        a.emplace_back(static_cast<QObject*>(stream.get()));
        values.objects.push_back(std::move(stream));
        break;
    }
    case 'j': { // an object that is no stream
        auto object = std::make_unique<QObject>();
        a.emplace_back(object.get());
        values.objects.push_back(std::move(object));
        break;
    }
    case 'u':
        a.emplace_back(SqliteArgument::Unhandled{});
        break;
    case 'h':
        a.emplace_back(huge(payload));
        break;
    case 'H': {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(QByteArray::fromStdString(huge(payload)));
        buffer->open(QIODevice::ReadOnly);
        a.emplace_back(static_cast<QObject*>(buffer.get()));
        values.objects.push_back(std::move(buffer));
        break;
    }
    case 'p': { // a named parameter; its payload's first character is its kind
        SqliteParameter parameter;
        parameter.name = ":v" + std::to_string(index);
        const std::string value = payload.empty() ? std::string() : payload.substr(1);
        switch (payload.empty() ? 'n' : payload[0]) {
        case 'i':
            parameter.kind = SqliteType::Integer;
            parameter.valueInteger = std::strtoll(value.c_str(), nullptr, 10);
            break;
        case 'd':
            parameter.kind = SqliteType::Float;
            parameter.valueFloat = std::strtod(value.c_str(), nullptr);
            break;
        case 't':
            parameter.kind = SqliteType::Text;
            parameter.valueText = value;
            break;
        case 'b':
            parameter.kind = SqliteType::Blob; // not a kind parameters bind: left NULL
            break;
        default:
            parameter.kind = SqliteType::Null;
            break;
        }
        values.parameters.push_back(parameter);
        return parameter.name;
    }
    default: // the whole line as text
        a.emplace_back(line);
        break;
    }
    return "?";
}

// Runs a statement with the values of \a lines; false when the store refuses it.
bool run(SqliteDatabase& db, const std::string& head, const std::vector<std::string>& lines,
         const std::string& tail) {
    Values values;
    std::string sql = head;
    for (std::size_t i = 0; i < lines.size(); ++i)
        sql += (i ? "," : "") + bindValue(lines[i], int(i), values);
    sql += tail;
    db.parameters() = values.parameters;
    try {
        db.execute(sql, values.arguments);
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

template <typename Read> auto tryRead(Read&& read) -> std::optional<decltype(read())> {
    try {
        return read();
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

void readEveryField(const SqliteTable& table, int columns) {
    for (int c = 0; c < columns; ++c) {
        const std::string name = "c" + std::to_string(c);
        const auto index = tryRead([&] { return table.indexOfField(upper(name)); });
        if (table.rowCount() > 0 && index != c)
            fail("column " + name + " is not found where it is");
        const auto text = tryRead([&] { return table.fieldText(c); });
        const auto asText = tryRead([&] { return table.fieldToText(c); });
        tryRead([&] { return table.fieldInt64(c); });
        tryRead([&] { return table.fieldFloat(c); });
        const auto blob = tryRead([&] { return table.fieldBlobText(c); });
        if (const auto stream = tryRead([&] { return table.fieldStream(c); }); stream && *stream) {
            const QByteArray bytes = (*stream)->data();
            if (!blob || bytes.toStdString() != *blob)
                fail("a blob reads differently as a stream and as text");
        }
        // fieldText differs from fieldToText only in giving nothing for NULL.
        if (text.has_value() != asText.has_value() || (text && !text->empty() && *text != *asText))
            fail("fieldText and fieldToText disagree on column " + name);
        if (text) {
            try {
                parseInteger(QString::fromUtf8(text->data(), qsizetype(text->size())));
            } catch (const ConvertError&) {
            }
        }
    }
    tryRead([&] { return table.indexOfField("no such column"); });
}

void fuzzTable(const std::string& shape, const std::vector<std::string>& lines) {
    const int columns = shape.size() > 0 ? std::uint8_t(shape[0]) % MaxColumns + 1 : 1;
    const int rows = shape.size() > 1 ? std::uint8_t(shape[1]) % (MaxRows + 1) : 1;
    const bool expressions = shape.size() > 2 && shape[2] == 'e';

    SqliteDatabase db(":memory:");
    std::string create = "CREATE TABLE t (";
    std::string select = "SELECT ";
    for (int c = 0; c < columns; ++c) {
        const std::size_t at = 3 + std::size_t(c);
        const char* type =
            DeclaredTypes[at < shape.size() ? std::uint8_t(shape[at]) % DeclaredTypeCount : 0];
        const std::string name = "c" + std::to_string(c);
        create += (c ? ", " : "") + name + " " + type;
        select += (c ? ", " : "") + (expressions ? "+" + name + " AS " + name : name);
    }
    db.execute(create + ")");
    for (int r = 0; r < rows; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) {
            const std::size_t at = std::size_t(r) * columns + c;
            row.push_back(at < lines.size() ? lines[at] : std::string("n"));
        }
        run(db, "INSERT INTO t VALUES (", row, ")");
    }
    const std::unique_ptr<SqliteTable> table = db.openTable(select + " FROM t");
    readEveryField(*table, table->columnCount());
}

// The folder the settings database of the settings mode lives in, made once.
class SettingsFolder {
public:
    SettingsFolder() {
        QFile script(QStringLiteral(KERULO_SOURCE_DIR "/resources/gbtest.sql"));
        if (!script.open(QIODevice::ReadOnly))
            fail("cannot read the shipped database script");
        // One transaction instead of one a statement: the database is made for every input.
        m_script = "BEGIN;" + script.readAll().toStdString() + "COMMIT;";
        // Memory-backed when the system offers it, so the database's writes cost no disk.
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        m_dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/store_fuzz-XXXXXX"));
        if (!m_dir->isValid())
            fail("cannot make a scratch folder");
    }

    // Makes the shipped database afresh and keeps the folder, where the store looks for it,
    // current while the returned guard lives.
    class Visit {
    public:
        explicit Visit(const SettingsFolder& folder) : m_back(open(".", O_RDONLY | O_DIRECTORY)) {
            if (m_back < 0 || chdir(QFile::encodeName(folder.m_dir->path()).constData()) != 0)
                fail("cannot enter the scratch folder");
            std::remove(SettingsDatabaseName);
            sqlite3* db = nullptr;
            const bool made =
                sqlite3_open(SettingsDatabaseName, &db) == SQLITE_OK &&
                sqlite3_exec(db, folder.m_script.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
            sqlite3_close(db);
            if (!made)
                fail("cannot make the settings database");
        }
        ~Visit() {
            if (fchdir(m_back) != 0)
                fail("cannot leave the scratch folder");
            close(m_back);
        }
        Visit(const Visit&) = delete;
        Visit& operator=(const Visit&) = delete;

    private:
        int m_back;
    };

private:
    std::string m_script;
    std::unique_ptr<QTemporaryDir> m_dir;
};

template <typename Read> auto settingsRead(Read&& read) -> std::optional<decltype(read())> {
    try {
        return read();
    } catch (const SqliteError&) {
    } catch (const ConvertError&) {
    }
    return std::nullopt;
}

QString lineText(const std::vector<std::string>& lines, std::size_t at) {
    return at < lines.size() ? QString::fromUtf8(lines[at].data(), qsizetype(lines[at].size()))
                             : QString();
}

// What a save from the settings dialog writes must read back at the next start: the dialog
// saves only texts its checks pass, and they hold the numbers saved. (The checks pass only ASCII
// blanks around a number, which trimmed() removes as well.)
void saveAsTheDialogDoes(const std::vector<std::string>& lines) {
    const QString size = lineText(lines, 5);
    const QString opacity = lineText(lines, 6);
    const QString offset = lineText(lines, 7);
    const QString fileName = lineText(lines, 8);
    try {
        if (!SettingsValidation::checkHalo(size, opacity)) {
            saveHaloSettings(QStringLiteral("51455"), size, opacity);
            const auto halo = settingsRead([] { return readHaloSettings(); });
            if (!halo || halo->size != parseInteger(size.trimmed()) ||
                halo->opacity != parseInteger(opacity.trimmed()))
                fail("a halo the dialog saved does not read back: size \"" + size.toStdString() +
                     "\", opacity \"" + opacity.toStdString() + "\"");
        }
    } catch (const ConvertError&) {
        // Not a number: the dialog shows the conversion's message and saves nothing.
    }
    try {
        if (!SettingsValidation::checkFollowImage(offset)) {
            // A name with a zero character cuts the statement short, which SQLite refuses.
            try {
                saveFollowImageSettings(fileName, offset);
            } catch (const SqliteError&) {
                return;
            }
            const auto follow = settingsRead([] { return readFollowImageSettings(); });
            if (!follow || follow->offset != parseInteger(offset.trimmed()) ||
                follow->fileName != fileName)
                fail("a follow image the dialog saved does not read back: offset \"" +
                     offset.toStdString() + "\", file \"" + fileName.toStdString() + "\"");
        }
    } catch (const ConvertError&) {
    }
}

void fuzzSettings(const std::vector<std::string>& lines) {
    static const SettingsFolder folder;
    const SettingsFolder::Visit visit(folder);
    {
        SqliteDatabase db(SettingsDatabaseName);
        const auto field = [&](std::size_t at) {
            return at < lines.size() ? lines[at] : std::string("n");
        };
        if (lines.size() > 0)
            run(db, "UPDATE GBtx SET (ColoeN, TouM, Ghdx) = (", {field(0), field(1), field(2)},
                ") WHERE GBtxID = 1");
        if (lines.size() > 3)
            run(db, "UPDATE GBgs SET (FileN, SHu) = (", {field(3), field(4)}, ") WHERE GBgsID = 1");
    }
    settingsRead([] { return readHaloSettings(); });
    settingsRead([] { return readFollowImageSettings(); });
    saveAsTheDialogDoes(lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || text[i] == '\n') {
            lines.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    const std::string shape = lines.front();
    lines.erase(lines.begin());
    try {
        if (shape.size() > 2 && shape[2] == 's')
            fuzzSettings(lines);
        else
            fuzzTable(shape, lines);
    } catch (const SqliteError&) {
        // Creating or reading the table refused the shape, e.g. a value too long for SQLite.
    }
    return 0;
}
