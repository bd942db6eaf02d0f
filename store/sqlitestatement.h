#pragma once

struct sqlite3_stmt;

namespace kerulo {

/// Owns one prepared statement and finalizes it when it goes, whatever path leaves the scope.
class SqliteStatement {
public:
    explicit SqliteStatement(sqlite3_stmt* statement = nullptr) : m_statement(statement) {}
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

} // namespace kerulo
