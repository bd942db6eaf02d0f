#include "store/sqlitetable.h"

#include "store/sqlitedatabase.h"
#include "store/sqliteerror.h"
#include "store/sqlitetype.h"

#include <QBuffer>
#include <QString>

#include <sqlite3.h>

#include <charconv>
#include <cmath>
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
        return SqliteType::Integer;
    if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL")
        return SqliteType::Float;
    if (type == "BLOB")
        return SqliteType::Blob;
    return SqliteType::Text;
}

// General format with 15 significant digits, independent of the process's locale.
std::string floatText(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, result.ptr);
}

} // namespace

SqliteTable::SqliteTable(SqliteDatabase& db, const std::string& sql,
                         const std::vector<SqliteArgument>& arguments) {
    const SqliteStatement statement = db.prepare(sql, arguments);
    for (;;) {
        const int result = sqlite3_step(statement.get());
        if (result == SQLITE_DONE)
            break;
        // A busy file gets this fixed text alone: there is no retry and no busy time-out.
        if (result == SQLITE_BUSY)
            throw SqliteError("Could not prepare SQL statement");
        if (result != SQLITE_ROW) {
            sqlite3_reset(statement.get());
            db.reportError("Could not retrieve data", sql);
        }
        ++m_rowCount;
        if (m_rowCount == 1)
            readColumns(statement.get());
        readRow(statement.get());
    }
    m_currentRow = 0;
}

void SqliteTable::readColumns(sqlite3_stmt* statement) {
    m_columnCount = sqlite3_column_count(statement);
    for (int c = 0; c < m_columnCount; ++c) {
        m_columnNames.push_back(upperCased(sqlite3_column_name(statement, c)));
        m_columnTypes.push_back(typeFromDeclaration(sqlite3_column_decltype(statement, c),
                                                    sqlite3_column_type(statement, c)));
    }
}

void SqliteTable::readRow(sqlite3_stmt* statement) {
    for (int c = 0; c < m_columnCount; ++c) {
        if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
            m_results.emplace_back();
            continue;
        }
        switch (m_columnTypes[c]) {
        case SqliteType::Integer:
            m_results.emplace_back(std::int64_t{sqlite3_column_int64(statement, c)});
            break;
        case SqliteType::Float:
            m_results.emplace_back(sqlite3_column_double(statement, c));
            break;
        case SqliteType::Blob: {
            const int bytes = sqlite3_column_bytes(statement, c);
            if (bytes == 0) {
                m_results.emplace_back();
                break;
            }
            auto stream = std::make_unique<QBuffer>();
            stream->setData(static_cast<const char*>(sqlite3_column_blob(statement, c)), bytes);
            stream->open(QIODevice::ReadOnly);
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

int SqliteTable::indexOfField(const std::string& name) const {
    if (m_columnNames.empty())
        throw SqliteError("Field " + name + " Not found. Empty dataset");
    const std::string wanted = upperCased(name.c_str());
    for (std::size_t c = 0; c < m_columnNames.size(); ++c) {
        if (m_columnNames[c] == wanted)
            return static_cast<int>(c);
    }
    throw SqliteError("Field not found in dataset: " + name);
}

const SqliteTable::Cell& SqliteTable::cell(int column) const {
    if (endOfFile())
        throw SqliteError("Table is at End of File");
    if (column < 0 || column >= m_columnCount)
        throw SqliteError("Field index out of range: " + std::to_string(column));
    return m_results[static_cast<std::size_t>(m_currentRow) * m_columnCount + column];
}

std::string SqliteTable::fieldText(int column) const {
    if (std::holds_alternative<std::monostate>(cell(column)))
        return {};
    return fieldToText(column);
}

std::string SqliteTable::fieldToText(int column) const {
    const Cell& value = cell(column);
    switch (m_columnTypes[column]) {
    case SqliteType::Integer:
        return std::to_string(fieldInt64(column));
    case SqliteType::Float:
        return floatText(fieldFloat(column));
    case SqliteType::Text: {
        const auto* text = std::get_if<std::string>(&value);
        return text ? *text : std::string();
    }
    case SqliteType::Blob:
        return fieldBlobText(column);
    default:
        return {};
    }
}

std::int64_t SqliteTable::fieldInt64(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    switch (m_columnTypes[column]) {
    case SqliteType::Integer:
        return std::get<std::int64_t>(value);
    case SqliteType::Float: {
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
        throw SqliteError("Not an integer or numeric field");
    }
}

double SqliteTable::fieldFloat(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    switch (m_columnTypes[column]) {
    case SqliteType::Integer:
        return static_cast<double>(std::get<std::int64_t>(value));
    case SqliteType::Float:
        return std::get<double>(value);
    default:
        throw SqliteError("Not an integer or numeric field");
    }
}

QBuffer* SqliteTable::fieldStream(int column) const {
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    if (m_columnTypes[column] != SqliteType::Blob)
        throw SqliteError("Not a Blob field");
    return std::get<std::unique_ptr<QBuffer>>(value).get();
}

std::string SqliteTable::fieldBlobText(int column) const {
    const QBuffer* stream = fieldStream(column);
    if (stream == nullptr)
        return {};
    return stream->data().toStdString();
}

} // namespace kerulo
