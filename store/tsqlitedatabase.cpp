#include "store/tsqlitedatabase.h"

#include "store/esqliteexception.h"
#include "store/sqlitetable3.h"
#include "store/tmemorystream.h"

#include <sqlite3.h>

#include <cstdlib>

namespace kerulo {

namespace {

// Binds one positional argument; the message of each kind names what failed to bind.
class ArgumentBinder {
public:
    ArgumentBinder(const TSQLiteDatabase& db, sqlite3_stmt* statement, int position)
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
            throw ESQLiteException("Unhandled pointer (<> nil)");
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
    void operator()(TObject* value) const {
        if (const auto* memory = dynamic_cast<const TMemoryStream*>(value))
            bindMemoryStream(*memory);
        else if (auto* stream = dynamic_cast<TStream*>(value))
            bindStream(*stream);
        else
            throw ESQLiteException("Unhandled object-type in binding");
    }
    void operator()(SQLiteArgument::Unhandled) const {
        throw ESQLiteException("Unhandled binding");
    }

private:
    void check(int result, const char* message) const {
        if (result != SQLITE_OK)
            m_db.ReportError(message, "BindData");
    }

    void bindText(const char* text, int bytes) const {
        check(sqlite3_bind_text(m_statement, m_position, text, bytes, SQLITE_TRANSIENT),
              "Could not bind text");
    }

    // A memory stream gives what lies from its position on.
    void bindMemoryStream(const TMemoryStream& stream) const {
        const char* from = stream.Memory() ? stream.Memory() + stream.Position() : nullptr;
        const int bytes = static_cast<int>(stream.Size() - stream.Position());
        check(sqlite3_bind_blob(m_statement, m_position, from, bytes, SQLITE_TRANSIENT),
              "Could not bind BLOB");
    }

    // Any other stream is read whole, from its start, into a buffer the library frees. At least
    // one byte is asked for, so that only a real shortage of memory reports one: the library
    // answers no buffer for a request of zero bytes.
    void bindStream(TStream& stream) const {
        const std::int64_t size = stream.Size();
        void* buffer = sqlite3_malloc64(static_cast<sqlite3_uint64>(size > 0 ? size : 1));
        if (buffer == nullptr)
            throw ESQLiteException("Error getting memory to save blob");
        stream.SetPosition(0);
        const std::int64_t read = stream.Read(buffer, size);
        check(sqlite3_bind_blob(m_statement, m_position, buffer, static_cast<int>(read),
                                sqlite3_free),
              "Could not bind BLOB");
    }

    const TSQLiteDatabase& m_db;
    sqlite3_stmt* m_statement;
    int m_position;
};

} // namespace

void TSQLiteDatabase::Closer::operator()(sqlite3* connection) const {
    sqlite3_close(connection);
}

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName) {
    sqlite3* connection = nullptr;
    const int result = sqlite3_open(fileName.c_str(), &connection);
    // The library may hand out a connection even when opening failed; it is closed all the same.
    m_connection.reset(connection);
    if (result == SQLITE_OK)
        return;
    const std::string prefix = "Failed to open database \"" + fileName + "\"";
    if (!m_connection)
        throw ESQLiteException(prefix + " : unknown error");
    throw ESQLiteException(prefix + " : " + sqlite3_errmsg(m_connection.get()));
}

TSQLiteDatabase::~TSQLiteDatabase() {
    if (m_inTransaction) {
        try {
            RollbackTransaction();
        } catch (const ESQLiteException&) {
            // A destructor must not throw; closing the connection rolls back what is left.
        }
    }
}

void TSQLiteDatabase::Execute(const std::string& sql,
                              const std::vector<SQLiteArgument>& arguments) {
    const SQLiteStatement statement = Prepare(sql, arguments);
    // A statement that yields a row is a failure here too.
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        ReportError("Error executing SQL statement", sql);
    }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::OpenTable(const std::string& sql) {
    return std::make_unique<TSQLiteTable>(*this, sql);
}

void TSQLiteDatabase::RollbackTransaction() {
    Execute("ROLLBACK");
    m_inTransaction = false;
}

void TSQLiteDatabase::ReportError(const std::string& message, const std::string& sql) const {
    const int code = sqlite3_errcode(m_connection.get());
    const char* text = code != SQLITE_OK ? sqlite3_errmsg(m_connection.get()) : nullptr;
    if (text == nullptr)
        throw ESQLiteException(message);
    throw ESQLiteException(message + ".\rError [" + std::to_string(code) +
                           "]: " + ErrorCodeText(code) + ".\r\"" + sql + "\": " + text);
}

void TSQLiteDatabase::BindData(sqlite3_stmt* statement,
                               const std::vector<SQLiteArgument>& arguments) const {
    int position = 1;
    for (const SQLiteArgument& argument : arguments)
        std::visit(ArgumentBinder(*this, statement, position++), argument.value());
}

void TSQLiteDatabase::BindParameters(sqlite3_stmt* statement) {
    // The list is emptied even when binding fails half-way, so nothing leaks to the next statement.
    struct Clear {
        TSQLiteDatabase& db;
        ~Clear() { db.ClearParameters(); }
    } clear{*this};
    // The results of the bind calls are ignored: a parameter that cannot be bound stays NULL.
    for (const SQLiteParameter& parameter : m_parameters) {
        const int index = sqlite3_bind_parameter_index(statement, parameter.name.c_str());
        if (index == 0)
            continue;
        switch (parameter.kind) {
        case SQLiteType::Integer:
            sqlite3_bind_int64(statement, index, parameter.valueInteger);
            break;
        case SQLiteType::Float:
            sqlite3_bind_double(statement, index, parameter.valueFloat);
            break;
        case SQLiteType::Text:
            sqlite3_bind_text(statement, index, parameter.valueText.data(),
                              static_cast<int>(parameter.valueText.size()), SQLITE_TRANSIENT);
            break;
        case SQLiteType::Null:
            sqlite3_bind_null(statement, index);
            break;
        default:
            break;
        }
    }
}

void TSQLiteDatabase::NotifyStatement(const std::string& sql) {
    if (m_onStatement)
        m_onStatement(*this, sql);
}

SQLiteStatement TSQLiteDatabase::Prepare(const std::string& sql,
                                         const std::vector<SQLiteArgument>& arguments) {
    sqlite3_stmt* compiled = nullptr;
    const int result = sqlite3_prepare_v2(m_connection.get(), sql.c_str(), -1, &compiled, nullptr);
    SQLiteStatement statement(compiled);
    if (result != SQLITE_OK)
        ReportError("Error executing SQL", sql);
    // Empty text or only comments compile to no statement at all.
    if (!statement.get())
        ReportError("Could not prepare SQL statement", sql);
    NotifyStatement(sql);
    BindParameters(statement.get());
    BindData(statement.get(), arguments);
    return statement;
}

} // namespace kerulo
