#pragma once

// The SQLite access layer: one connection (SqliteDatabase), one loaded query result
// (SqliteTable) and the exception every failure raises (SqliteError).

#include "store/sqliteargument.h"
#include "store/sqlitedatabase.h"
#include "store/sqliteerror.h"
#include "store/sqliteparameter.h"
#include "store/sqlitetable.h"
#include "store/sqlitetype.h"
#include <QBuffer>

#include <string>

namespace kerulo {

/// The fixed English description of a SQLite result code.
std::string errorCodeText(int code);

} // namespace kerulo
