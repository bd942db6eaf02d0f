#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace kerulo::test {

/// A second, plain connection to a test database, to set it up and look at it without the code
/// under test, or to hold a lock against it.
class RawDatabase {
public:
    explicit RawDatabase(const std::string& path) {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    /// Waits up to ms for a lock another connection holds, instead of failing at once: for
    /// reading what a running program has just written while it may still hold its lock.
    RawDatabase& waitWhenBusy(int ms) {
        sqlite3_busy_timeout(m_db, ms);
        return *this;
    }

    void exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }

    /// The first column of the first row as bytes, zero bytes included; "<no row>" without one.
    std::string text(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_db));
        std::string result = "<no row>";
        if (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, 0));
            result.assign(bytes ? bytes : "", sqlite3_column_bytes(statement, 0));
        }
        sqlite3_finalize(statement);
        return result;
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace kerulo::test
