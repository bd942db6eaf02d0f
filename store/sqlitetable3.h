#pragma once

// The SQLite access layer: one connection (TSQLiteDatabase), one loaded query result
// (TSQLiteTable) and the exception every failure raises (ESQLiteException).

#include "store/esqliteexception.h"
#include "store/sqliteargument.h"
#include "store/sqliteparameter.h"
#include "store/sqlitetype.h"
#include "store/tmemorystream.h"
#include "store/tsqlitedatabase.h"
#include "store/tsqlitetable.h"

#include <string>

namespace kerulo {

/// The fixed English description of a SQLite result code.
std::string ErrorCodeText(int code);

} // namespace kerulo
