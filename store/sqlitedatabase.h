#pragma once

#include "store/sqliteargument.h"
#include "store/sqliteparameter.h"
#include "store/sqlitestatement.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kerulo {

class SqliteTable;

/// One open connection to one SQLite database file, from construction to destruction. Every
/// failure is raised as SqliteError. No busy handler is set, so a locked file fails at once.
class SqliteDatabase {
public:
    using StatementEvent = std::function<void(SqliteDatabase& sender, const std::string& sql)>;

    /// Opens the file, creating an empty database when it does not exist. The name's bytes are
    /// passed to the library unchanged.
    explicit SqliteDatabase(const std::string& fileName);
    /// Rolls back when inTransaction() holds, then closes the connection.
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    /// Runs the first statement of sql, which must return no rows.
    void execute(const std::string& sql, const std::vector<SqliteArgument>& arguments = {});
    /// Runs the first statement of sql and loads its whole result.
    std::unique_ptr<SqliteTable> openTable(const std::string& sql);
    /// Executes "ROLLBACK" and leaves the transaction state.
    void rollbackTransaction();

    /// Raises SqliteError with message, completed by the connection's last result code and
    /// text when there is one.
    [[noreturn]] void reportError(const std::string& message, const std::string& sql) const;

    /// Binds arguments to positions 1, 2, 3 ... in order.
    void bindData(sqlite3_stmt* statement, const std::vector<SqliteArgument>& arguments) const;
    /// Binds the named parameters the statement has, then clears them all, so they apply to
    /// exactly one statement.
    void bindParameters(sqlite3_stmt* statement);
    void clearParameters() { m_parameters.clear(); }
    /// Tells OnStatement, when it is set, that sql is about to run.
    void notifyStatement(const std::string& sql);

    /// Compiles the first statement of sql, announces it and binds the named parameters and the
    /// arguments: what every statement runner does before it steps.
    SqliteStatement prepare(const std::string& sql, const std::vector<SqliteArgument>& arguments);

    /// Named parameters for the next statement.
    std::vector<SqliteParameter>& parameters() { return m_parameters; }
    bool inTransaction() const { return m_inTransaction; }
    void setInTransaction(bool inTransaction) { m_inTransaction = inTransaction; }
    const StatementEvent& onStatement() const { return m_onStatement; }
    void setOnStatement(StatementEvent handler) { m_onStatement = std::move(handler); }

private:
    struct Closer {
        void operator()(sqlite3* connection) const;
    };

    std::unique_ptr<sqlite3, Closer> m_connection;
    bool m_inTransaction = false;
    std::vector<SqliteParameter> m_parameters;
    StatementEvent m_onStatement;
};

} // namespace kerulo
