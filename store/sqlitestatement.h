#pragma once

struct sqlite3_stmt;

namespace kerulo {

/// Owns one prepared statement and finalizes it when it goes, whatever path leaves the scope.
class SQLiteStatement {
public:
    explicit SQLiteStatement(sqlite3_stmt* statement = nullptr) : m_statement(statement) {}
    ~SQLiteStatement();
    SQLiteStatement(SQLiteStatement&& other) noexcept;
    SQLiteStatement& operator=(SQLiteStatement&& other) noexcept;
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

} // namespace kerulo
