#include "store/sqlitedatabase.h"

#include "store/sqlite.h"
#include "store/sqliteerror.h"

#include <QBuffer>

#include <sqlite3.h>

#include <algorithm>

namespace kerulo {

namespace {

// Binds one positional argument; the message of each kind names what failed to bind.
class ArgumentBinder {
public:
    ArgumentBinder(const SqliteDatabase& db, sqlite3_stmt* statement, int position)
        : m_db(db), m_statement(statement), m_position(position) {}

    void operator()(std::int32_t value) const {
        check(sqlite3_bind_int(m_statement, m_position, value), "Could not bind integer");
    }
    void operator()(bool value) const {
        check(sqlite3_bind_int(m_statement, m_position, value ? 1 : 0), "Could not bind boolean");
    }
    void operator()(long double value) const {
        check(sqlite3_bind_double(m_statement, m_position, static_cast<double>(value)),
              "Could not bind extended");
    }
    void operator()(std::int64_t value) const {
        check(sqlite3_bind_int64(m_statement, m_position, value), "Could not bind int64");
    }
    void operator()(const void* value) const {
        if (value != nullptr)
            throw SqliteError("Unhandled pointer (<> nil)");
        check(sqlite3_bind_null(m_statement, m_position), "Could not bind null");
    }
    // A single character and a narrow string carry their terminating zero into the value.
    void operator()(char value) const {
        const char text[2] = {value, '\0'};
        bindText(text, 2);
    }
    void operator()(const std::string& value) const {
        bindText(value.c_str(), static_cast<int>(value.size()) + 1);
    }
    void operator()(const char* value) const { bindText(value, -1); }
    void operator()(const QString& value) const { bindText(value.toUtf8().constData(), -1); }
    void operator()(QObject* value) const {
        if (const auto* memory = qobject_cast<const QBuffer*>(value))
            bindMemoryStream(*memory);
        else if (auto* stream = qobject_cast<QIODevice*>(value))
            bindStream(*stream);
        else
            throw SqliteError("Unhandled object-type in binding");
    }
    void operator()(SqliteArgument::Unhandled) const { throw SqliteError("Unhandled binding"); }

private:
    void check(int result, const char* message) const {
        if (result != SQLITE_OK)
            m_db.reportError(message, "BindData");
    }

    void bindText(const char* text, int bytes) const {
        check(sqlite3_bind_text(m_statement, m_position, text, bytes, SQLITE_TRANSIENT),
              "Could not bind text");
    }

    // A memory stream gives what lies from its position on.
    void bindMemoryStream(const QBuffer& stream) const {
        const QByteArray& memory = stream.data();
        const qint64 position = std::clamp<qint64>(stream.pos(), 0, memory.size());
        const char* from = memory.isEmpty() ? nullptr : memory.constData() + position;
        const int bytes = static_cast<int>(memory.size() - position);
        check(sqlite3_bind_blob(m_statement, m_position, from, bytes, SQLITE_TRANSIENT),
              "Could not bind BLOB");
    }

    // Any other stream is read whole, from its start, into a buffer the library frees. At least
    // one byte is asked for, so that only a real shortage of memory reports one: the library
    // answers no buffer for a request of zero bytes.
    // A stream that cannot be read (say, one that is not open) binds nothing and says so.
    void bindStream(QIODevice& stream) const {
        const qint64 size = stream.size();
        void* buffer = sqlite3_malloc64(static_cast<sqlite3_uint64>(size > 0 ? size : 1));
        if (buffer == nullptr)
            throw SqliteError("Error getting memory to save blob");
        const qint64 read = stream.seek(0) ? stream.read(static_cast<char*>(buffer), size) : -1;
        if (read < 0) {
            sqlite3_free(buffer);
            throw SqliteError("Could not bind BLOB");
        }
        check(sqlite3_bind_blob(m_statement, m_position, buffer, static_cast<int>(read),
                                sqlite3_free),
              "Could not bind BLOB");
    }

    const SqliteDatabase& m_db;
    sqlite3_stmt* m_statement;
    int m_position;
};

} // namespace

void SqliteDatabase::Closer::operator()(sqlite3* connection) const {
    sqlite3_close(connection);
}

SqliteDatabase::SqliteDatabase(const std::string& fileName) {
    sqlite3* connection = nullptr;
    const int result = sqlite3_open(fileName.c_str(), &connection);
    // The library may hand out a connection even when opening failed; it is closed all the same.
    m_connection.reset(connection);
    if (result == SQLITE_OK)
        return;
    const std::string prefix = "Failed to open database \"" + fileName + "\"";
    if (!m_connection)
        throw SqliteError(prefix + " : unknown error");
    throw SqliteError(prefix + " : " + sqlite3_errmsg(m_connection.get()));
}

SqliteDatabase::~SqliteDatabase() {
    if (m_inTransaction) {
        try {
            rollbackTransaction();
        } catch (const SqliteError&) {
            // A destructor must not throw; closing the connection rolls back what is left.
        }
    }
}

void SqliteDatabase::execute(const std::string& sql, const std::vector<SqliteArgument>& arguments) {
    const SqliteStatement statement = prepare(sql, arguments);
    // A statement that yields a row is a failure here too.
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        reportError("Error executing SQL statement", sql);
    }
}

std::unique_ptr<SqliteTable> SqliteDatabase::openTable(const std::string& sql) {
    return std::make_unique<SqliteTable>(*this, sql);
}

void SqliteDatabase::rollbackTransaction() {
    execute("ROLLBACK");
    m_inTransaction = false;
}

void SqliteDatabase::reportError(const std::string& message, const std::string& sql) const {
    const int code = sqlite3_errcode(m_connection.get());
    const char* text = code != SQLITE_OK ? sqlite3_errmsg(m_connection.get()) : nullptr;
    if (text == nullptr)
        throw SqliteError(message);
    throw SqliteError(message + ".\rError [" + std::to_string(code) + "]: " + errorCodeText(code) +
                      ".\r\"" + sql + "\": " + text);
}

void SqliteDatabase::bindData(sqlite3_stmt* statement,
                              const std::vector<SqliteArgument>& arguments) const {
    int position = 1;
    for (const SqliteArgument& argument : arguments)
        std::visit(ArgumentBinder(*this, statement, position++), argument.value());
}

void SqliteDatabase::bindParameters(sqlite3_stmt* statement) {
    // The list is emptied even when binding fails half-way, so nothing leaks to the next statement.
    struct Clear {
        SqliteDatabase& db;
        ~Clear() { db.clearParameters(); }
    } clear{*this};
    // The results of the bind calls are ignored: a parameter that cannot be bound stays NULL.
    for (const SqliteParameter& parameter : m_parameters) {
        const int index = sqlite3_bind_parameter_index(statement, parameter.name.c_str());
        if (index == 0)
            continue;
        switch (parameter.kind) {
        case SqliteType::Integer:
            sqlite3_bind_int64(statement, index, parameter.valueInteger);
            break;
        case SqliteType::Float:
            sqlite3_bind_double(statement, index, parameter.valueFloat);
            break;
        case SqliteType::Text:
            sqlite3_bind_text(statement, index, parameter.valueText.data(),
                              static_cast<int>(parameter.valueText.size()), SQLITE_TRANSIENT);
            break;
        case SqliteType::Null:
            sqlite3_bind_null(statement, index);
            break;
        default:
            break;
        }
    }
}

void SqliteDatabase::notifyStatement(const std::string& sql) {
    if (m_onStatement)
        m_onStatement(*this, sql);
}

SqliteStatement SqliteDatabase::prepare(const std::string& sql,
                                        const std::vector<SqliteArgument>& arguments) {
    sqlite3_stmt* compiled = nullptr;
    const int result = sqlite3_prepare_v2(m_connection.get(), sql.c_str(), -1, &compiled, nullptr);
    SqliteStatement statement(compiled);
    if (result != SQLITE_OK)
        reportError("Error executing SQL", sql);
    // Empty text or only comments compile to no statement at all.
    if (!statement.get())
        reportError("Could not prepare SQL statement", sql);
    notifyStatement(sql);
    bindParameters(statement.get());
    bindData(statement.get(), arguments);
    return statement;
}

} // namespace kerulo
