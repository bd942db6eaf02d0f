#pragma once

#include "store/sqliteargument.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class QBuffer;
struct sqlite3_stmt;

namespace kerulo {

class SqliteDatabase;

/// The whole result of one query, copied into memory while the table is built. A finished table
/// holds nothing of the library and may outlive its database. Fields are read from the current
/// row, which is the first row returned.
class SqliteTable {
public:
    /// Runs the first statement of sql and loads every row. Raises SqliteError when the
    /// statement cannot run, and "Could not prepare SQL statement" when the file is busy.
    SqliteTable(SqliteDatabase& db, const std::string& sql,
                const std::vector<SqliteArgument>& arguments = {});

    int rowCount() const { return m_rowCount; }
    int columnCount() const { return m_columnCount; }
    bool endOfFile() const { return m_currentRow >= m_rowCount; }

    /// The index of a column, found without regard to case.
    int indexOfField(const std::string& name) const;

    /// The field as text; empty for NULL.
    std::string fieldText(int column) const;
    /// The field as text by its column's type; a NULL integer gives "0".
    std::string fieldToText(int column) const;
    /// An integer or float field as an integer, a float truncated toward zero; NULL gives 0.
    std::int64_t fieldInt64(int column) const;
    /// An integer or float field as a float; NULL gives 0.
    double fieldFloat(int column) const;
    /// A blob field's bytes as a buffer open for reading, kept by the table; null for NULL or an
    /// empty blob.
    QBuffer* fieldStream(int column) const;
    /// A blob field's bytes as a string, zero bytes included.
    std::string fieldBlobText(int column) const;

private:
    using Cell =
        std::variant<std::monostate, std::int64_t, double, std::unique_ptr<QBuffer>, std::string>;

    void readColumns(sqlite3_stmt* statement);
    void readRow(sqlite3_stmt* statement);
    const Cell& cell(int column) const;

    std::vector<Cell> m_results;
    int m_rowCount = 0;
    int m_columnCount = 0;
    std::vector<std::string> m_columnNames;
    std::vector<int> m_columnTypes;
    int m_currentRow = 0;
};

} // namespace kerulo
