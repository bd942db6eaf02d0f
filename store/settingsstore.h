#pragma once

#include "store/followimagesettings.h"
#include "store/halosettings.h"

#include <QString>

#include <string>

namespace kerulo {

// The settings database: "GBTest.db" in the current directory, one row with key 1 in each of
// GBtx (halo) and GBgs (follow image). Every function opens its own connection and closes it
// before it returns. Failures propagate: SqliteError from the database, ConvertError for
// a number that is not a decimal integer.

/// The settings database's file name, relative to the current directory.
inline constexpr const char* SettingsDatabaseName = "GBTest.db";

/// Reads the halo row. All three numbers are converted before it returns, so one bad value
/// fails the whole read.
HaloSettings readHaloSettings();

/// Reads the follow-image row; the offset is converted before it returns.
FollowImageSettings readFollowImageSettings();

/// Writes the halo row from the settings dialog's box texts, as they are.
void saveHaloSettings(const QString& colourText, const QString& sizeText,
                      const QString& opacityText);

/// Writes the follow-image row: fileName is the stored name ("pic\" and the file name, see
/// storedPictureName()), offsetText the dialog's box text.
void saveFollowImageSettings(const QString& fileName, const QString& offsetText);

/// The statement saveHaloSettings() runs, in UTF-8:
/// Update GBtx Set ColoeN='<colour>',Ghdx='<size>',TouM='<opacity>' where GBtxID=1
std::string haloUpdateStatement(const QString& colourText, const QString& sizeText,
                                const QString& opacityText);

/// The statement saveFollowImageSettings() runs, in UTF-8:
/// Update GBgs Set FileN='<file name>',SHu='<offset>' where GBgsID=1
/// Apostrophes in the file name are doubled so the name is stored as it is.
std::string followImageUpdateStatement(const QString& fileName, const QString& offsetText);

} // namespace kerulo
