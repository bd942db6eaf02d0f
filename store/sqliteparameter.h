#pragma once

#include "store/sqlitetype.h"

#include <cstdint>
#include <string>

namespace kerulo {

/// One named parameter for the next statement. The kind (an SqliteType code: Integer, Float,
/// Text or Null) says which value is bound; parameters of any other kind are skipped.
struct SqliteParameter {
    std::string name; ///< as spelled in the statement, prefix character included
    int kind = SqliteType::Null;
    std::int64_t valueInteger = 0;
    double valueFloat = 0;
    std::string valueText;
};

} // namespace kerulo
