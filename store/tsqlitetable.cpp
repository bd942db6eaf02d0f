#include "store/tsqlitetable.h"

#include "store/esqliteexception.h"
#include "store/sqlitetype.h"
#include "store/tsqlitedatabase.h"

#include <QString>

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kerulo {

namespace {

// Column names are compared upper-cased, so that callers may spell them in any case.
std::string upperCased(const char* utf8) {
    return QString::fromUtf8(utf8).toUpper().toStdString();
}

// The declared type decides by its whole text, case included: "integer" in lower case is text.
int typeFromDeclaration(const char* declared, int firstValueType) {
    if (declared == nullptr)
        return firstValueType;
    const std::string type = declared;
    if (type == "INTEGER" || type == "BOOLEAN")
        return SQLiteType::Integer;
    if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL")
        return SQLiteType::Float;
    if (type == "BLOB")
        return SQLiteType::Blob;
    return SQLiteType::Text;
}

// General format with 15 significant digits, independent of the process's locale.
std::string floatText(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, result.ptr);
}

} // namespace

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const std::string& sql,
                           const std::vector<SQLiteArgument>& arguments) {
    const SQLiteStatement statement = db.Prepare(sql, arguments);
    for (;;) {
        const int result = sqlite3_step(statement.get());
        if (result == SQLITE_DONE)
            break;
        // A busy file gets this fixed text alone: there is no retry and no busy time-out.
        if (result == SQLITE_BUSY)
            throw ESQLiteException("Could not prepare SQL statement");
        if (result != SQLITE_ROW) {
            sqlite3_reset(statement.get());
            db.ReportError("Could not retrieve data", sql);
        }
        ++m_rowCount;
        if (m_rowCount == 1)
            readColumns(statement.get());
        readRow(statement.get());
    }
    m_currentRow = 0;
}

void TSQLiteTable::readColumns(sqlite3_stmt* statement) {
    m_columnCount = sqlite3_column_count(statement);
    for (int c = 0; c < m_columnCount; ++c) {
        m_columnNames.push_back(upperCased(sqlite3_column_name(statement, c)));
        m_columnTypes.push_back(typeFromDeclaration(sqlite3_column_decltype(statement, c),
                                                    sqlite3_column_type(statement, c)));
    }
}

void TSQLiteTable::readRow(sqlite3_stmt* statement) {
    for (int c = 0; c < m_columnCount; ++c) {
        if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
            m_results.emplace_back();
            continue;
        }
        switch (m_columnTypes[c]) {
        case SQLiteType::Integer:
            m_results.emplace_back(std::int64_t{sqlite3_column_int64(statement, c)});
            break;
        case SQLiteType::Float:
            m_results.emplace_back(sqlite3_column_double(statement, c));
            break;
        case SQLiteType::Blob: {
            const int bytes = sqlite3_column_bytes(statement, c);
            if (bytes == 0) {
                m_results.emplace_back();
                break;
            }
            auto stream = std::make_unique<TMemoryStream>();
            stream->Write(sqlite3_column_blob(statement, c), bytes);
            m_results.emplace_back(std::move(stream));
            break;
        }
        default: {
            // Text ends at its first zero byte, whatever the value holds after it.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            m_results.emplace_back(std::string(text ? text : ""));
            break;
        }
        }
    }
}

int TSQLiteTable::IndexOfField(const std::string& name) const {
    if (m_columnNames.empty())
        throw ESQLiteException("Field " + name + " Not found. Empty dataset");
    const std::string wanted = upperCased(name.c_str());
    for (std::size_t c = 0; c < m_columnNames.size(); ++c) {
        if (m_columnNames[c] == wanted)
            return static_cast<int>(c);
    }
    throw ESQLiteException("Field not found in dataset: " + name);
}

const TSQLiteTable::Cell& TSQLiteTable::cell(int column) const {
    if (EndOfFile())
        throw ESQLiteException("Table is at End of File");
    if (column < 0 || column >= m_columnCount)
        throw ESQLiteException("Field index out of range: " + std::to_string(column));
    return m_results[static_cast<std::size_t>(m_currentRow) * m_columnCount + column];
}

std::string TSQLiteTable::FieldText(int column) const {
    if (std::holds_alternative<std::monostate>(cell(column)))
        return {};
    return FieldToText(column);
}

std::string TSQLiteTable::FieldToText(int column) const {
    const Cell& value = cell(column);
    switch (m_columnTypes[column]) {
    case SQLiteType::Integer:
        return std::to_string(FieldInt64(column));
    case SQLiteType::Float:
        return floatText(FieldFloat(column));
    case SQLiteType::Text: {
        const auto* text = std::get_if<std::string>(&value);
        return text ? *text : std::string();
    }
    case SQLiteType::Blob:
        return FieldBlobText(column);
    default:
        return {};
    }
}

std::int64_t TSQLiteTable::FieldInt64(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    switch (m_columnTypes[column]) {
    case SQLiteType::Integer:
        return std::get<std::int64_t>(value);
    case SQLiteType::Float: {
        // Clamped: a float beyond the 64-bit range has no integer to truncate to.
        const double truncated = std::trunc(std::get<double>(value));
        if (std::isnan(truncated))
            return 0;
        if (truncated <= static_cast<double>(std::numeric_limits<std::int64_t>::min()))
            return std::numeric_limits<std::int64_t>::min();
        if (truncated >= static_cast<double>(std::numeric_limits<std::int64_t>::max()))
            return std::numeric_limits<std::int64_t>::max();
        return static_cast<std::int64_t>(truncated);
    }
    default:
        throw ESQLiteException("Not an integer or numeric field");
    }
}

double TSQLiteTable::FieldFloat(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    switch (m_columnTypes[column]) {
    case SQLiteType::Integer:
        return static_cast<double>(std::get<std::int64_t>(value));
    case SQLiteType::Float:
        return std::get<double>(value);
    default:
        throw ESQLiteException("Not an integer or numeric field");
    }
}

TMemoryStream* TSQLiteTable::FieldStream(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    if (m_columnTypes[column] != SQLiteType::Blob)
        throw ESQLiteException("Not a Blob field");
    return std::get<std::unique_ptr<TMemoryStream>>(value).get();
}

std::string TSQLiteTable::FieldBlobText(int column) const {
    TMemoryStream* stream = FieldStream(column);
    if (stream == nullptr || stream->Size() <= 0)
        return {};
    std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
    stream->SetPosition(0);
    stream->Read(bytes.data(), stream->Size());
    return bytes;
}

} // namespace kerulo
