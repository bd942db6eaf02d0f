#include "store/settingsstore.h"

#include "store/integertext.h"
#include "store/sqlite.h"

#include <memory>

namespace kerulo {

namespace {

// The database holds UTF-8 and the windows hold Unicode, so every character of a value arrives,
// whatever the system's ANSI code page: a picture's name in Chinese on an English Windows too.
QString fieldValue(const SqliteTable& table, const char* column) {
    const std::string utf8 = table.fieldText(table.indexOfField(column));
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

HaloSettings readHaloSettings() {
    SqliteDatabase db(SettingsDatabaseName);
    const std::unique_ptr<SqliteTable> table = db.openTable("Select * from GBtx");
    HaloSettings settings;
    settings.colourText = fieldValue(*table, "ColoeN");
    settings.colour = parseInteger(settings.colourText);
    settings.opacityText = fieldValue(*table, "TouM");
    settings.opacity = parseInteger(settings.opacityText);
    settings.sizeText = fieldValue(*table, "Ghdx");
    settings.size = parseInteger(settings.sizeText);
    return settings;
}

FollowImageSettings readFollowImageSettings() {
    SqliteDatabase db(SettingsDatabaseName);
    const std::unique_ptr<SqliteTable> table = db.openTable("Select * from GBgs");
    FollowImageSettings settings;
    settings.fileName = fieldValue(*table, "FileN");
    settings.offsetText = fieldValue(*table, "SHu");
    settings.offset = parseInteger(settings.offsetText);
    return settings;
}

void saveHaloSettings(const QString& colourText, const QString& sizeText,
                      const QString& opacityText) {
    SqliteDatabase db(SettingsDatabaseName);
    db.execute(haloUpdateStatement(colourText, sizeText, opacityText));
}

void saveFollowImageSettings(const QString& fileName, const QString& offsetText) {
    SqliteDatabase db(SettingsDatabaseName);
    db.execute(followImageUpdateStatement(fileName, offsetText));
}

// The numbers are quoted on purpose: an INTEGER column stores them as integers, a text column
// as text, and both read back as the same digits.
std::string haloUpdateStatement(const QString& colourText, const QString& sizeText,
                                const QString& opacityText) {
    const QString statement = QStringLiteral("Update GBtx Set ColoeN='") + colourText +
                              QStringLiteral("',Ghdx='") + sizeText + QStringLiteral("',TouM='") +
                              opacityText + QStringLiteral("' where GBtxID=1");
    return statement.toUtf8().toStdString();
}

std::string followImageUpdateStatement(const QString& fileName, const QString& offsetText) {
    const QString quotedName = QString(fileName).replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString statement = QStringLiteral("Update GBgs Set FileN='") + quotedName +
                              QStringLiteral("',SHu='") + offsetText +
                              QStringLiteral("' where GBgsID=1");
    return statement.toUtf8().toStdString();
}

} // namespace kerulo
