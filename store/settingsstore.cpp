#include "store/settingsstore.h"

#include "store/integertext.h"
#include "store/narrowcodepage.h"
#include "store/sqlite.h"

#include <memory>

namespace kerulo {

namespace {

// Values reach the windows through the narrow code page, in which the windows keep their
// texts, so a character the code page cannot carry arrives as it would on the platform.
QString fieldValue(const SqliteTable& table, const char* column) {
    const std::string utf8 = table.fieldText(table.indexOfField(column));
    const QString wide = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return NarrowCodePage::toUnicode(NarrowCodePage::fromUnicode(wide));
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
    return NarrowCodePage::fromUnicode(statement).toStdString();
}

std::string followImageUpdateStatement(const QString& fileName, const QString& offsetText) {
    const QString quotedName = QString(fileName).replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString statement = QStringLiteral("Update GBgs Set FileN='") + quotedName +
                              QStringLiteral("',SHu='") + offsetText +
                              QStringLiteral("' where GBgsID=1");
    // Built in the narrow code page like every text of the windows, run as UTF-8.
    const QByteArray narrow = NarrowCodePage::fromUnicode(statement);
    return NarrowCodePage::toUnicode(narrow).toUtf8().toStdString();
}

} // namespace kerulo
