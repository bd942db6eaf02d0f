#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

class QObject;

namespace kerulo {

/// One positional argument for a statement, of one of the kinds the binder knows. The
/// constructors are implicit so that a list of arguments reads like the values themselves.
class SqliteArgument {
public:
    /// A kind the binder refuses, such as a class reference, a currency or an interface value.
    struct Unhandled {};

    using Value = std::variant<std::int32_t, bool, long double, std::int64_t, const void*, char,
                               std::string, const char*, QString, QObject*, Unhandled>;

    SqliteArgument(std::int32_t value) : m_value(value) {}
    SqliteArgument(bool value) : m_value(value) {}
    SqliteArgument(long double value) : m_value(value) {}
    /// A double travels as the extended kind, as a floating-point literal does.
    SqliteArgument(double value) : m_value(static_cast<long double>(value)) {}
    SqliteArgument(std::int64_t value) : m_value(value) {}
    /// An untyped pointer: only null can be bound (as SQL NULL).
    SqliteArgument(const void* value) : m_value(value) {}
    SqliteArgument(std::nullptr_t) : m_value(static_cast<const void*>(nullptr)) {}
    SqliteArgument(char value) : m_value(value) {}
    SqliteArgument(std::string value) : m_value(std::move(value)) {}
    SqliteArgument(const char* value) : m_value(value) {}
    SqliteArgument(QString value) : m_value(std::move(value)) {}
    /// A memory stream (QBuffer), another stream (any other QIODevice) or an object that is no
    /// stream; the caller keeps it.
    SqliteArgument(QObject* value) : m_value(value) {}
    SqliteArgument(Unhandled value) : m_value(value) {}

    const Value& value() const { return m_value; }

private:
    Value m_value;
};

} // namespace kerulo
