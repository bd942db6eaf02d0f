#pragma once

#include "store/tobject.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace kerulo {

/// One positional argument for a statement, of one of the kinds the binder knows. The
/// constructors are implicit so that a list of arguments reads like the values themselves.
class SQLiteArgument {
public:
    /// A kind the binder refuses, such as a class reference, a currency or an interface value.
    struct Unhandled {};

    using Value = std::variant<std::int32_t, bool, long double, std::int64_t, const void*, char,
                               std::string, const char*, QString, TObject*, Unhandled>;

    SQLiteArgument(std::int32_t value) : m_value(value) {}
    SQLiteArgument(bool value) : m_value(value) {}
    SQLiteArgument(long double value) : m_value(value) {}
    /// A double travels as the extended kind, as a floating-point literal does.
    SQLiteArgument(double value) : m_value(static_cast<long double>(value)) {}
    SQLiteArgument(std::int64_t value) : m_value(value) {}
    /// An untyped pointer: only null can be bound (as SQL NULL).
    SQLiteArgument(const void* value) : m_value(value) {}
    SQLiteArgument(std::nullptr_t) : m_value(static_cast<const void*>(nullptr)) {}
    SQLiteArgument(char value) : m_value(value) {}
    SQLiteArgument(std::string value) : m_value(std::move(value)) {}
    SQLiteArgument(const char* value) : m_value(value) {}
    SQLiteArgument(QString value) : m_value(std::move(value)) {}
    /// A memory stream, another stream or an object that is no stream; the caller keeps it.
    SQLiteArgument(TObject* value) : m_value(value) {}
    SQLiteArgument(Unhandled value) : m_value(value) {}

    const Value& value() const { return m_value; }

private:
    Value m_value;
};

} // namespace kerulo
