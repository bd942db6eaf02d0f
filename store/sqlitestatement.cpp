#include "store/sqlitestatement.h"

#include <sqlite3.h>

#include <utility>

namespace kerulo {

SQLiteStatement::~SQLiteStatement() {
    sqlite3_finalize(m_statement);
}

SQLiteStatement::SQLiteStatement(SQLiteStatement&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr)) {}

SQLiteStatement& SQLiteStatement::operator=(SQLiteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

} // namespace kerulo
