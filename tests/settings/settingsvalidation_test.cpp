#include "settings/settingsvalidation.h"
#include "store/converterror.h"
#include "store/rawdatabase.h"
#include "store/settingsstore.h"
#include "support/casename.h"
#include "support/runfolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kerulo {
namespace {

std::string shippedScript() {
    QFile script(QStringLiteral(KERULO_SOURCE_DIR "/resources/gbtest.sql"));
    if (!script.open(QIODevice::ReadOnly))
        return "select 'gbtest.sql is missing' from nowhere";
    return script.readAll().toStdString();
}

// The messages as the user must read them.
const char* const Fine = "";
const char* const Convert = "<conversion error>";
const char* const HaloEmpty = "光环大小与透明度框不能为空。";
const char* const SizeRange = "光环大小值不在1-600里，请重新输入。";
const char* const OpacityRange = "透明度值不在0-255里，请重新输入。";
const char* const OffsetEmpty = "光标显示位置不能为空。";
const char* const OffsetRange = "光标显示位置值不在0-130里，请重新输入。";

struct HaloCase {
    const char* size;
    const char* opacity;
    const char* outcome;
};

void PrintTo(const HaloCase& c, std::ostream* os) {
    *os << "size \"" << c.size << "\", opacity \"" << c.opacity << '"';
}

std::string outcomeOf(const std::function<std::optional<QString>()>& check) {
    try {
        const std::optional<QString> message = check();
        return message ? message->toStdString() : Fine;
    } catch (const ConvertError&) {
        return Convert;
    }
}

const std::vector<HaloCase> HaloCases = {
    {"0", "100", SizeRange},
    {"1", "100", Fine},
    {"600", "100", Fine},
    {"601", "100", SizeRange},
    {"-5", "100", SizeRange},
    {"-2147483648", "100", SizeRange},
    {"100", "0", Fine},
    {"100", "255", Fine},
    {"100", "256", OpacityRange},
    {"100", "-1", OpacityRange},
    {"", "100", HaloEmpty},
    {"100", "", HaloEmpty},
    {"", "", HaloEmpty},
    {"  ", "100", HaloEmpty},
    {"100", "\t", HaloEmpty},
    {" 200 ", " 128", Fine},
    {"12a", "100", Convert},
    {"99999999999", "100", Convert},
    {"2147483648", "100", Convert},
    {"100", "12a", Convert},
    {"1 2", "100", Convert},
    // The checks go in order: a message of an earlier one wins over a later bad number.
    {"601", "12a", SizeRange},
    {"12a", "", HaloEmpty},
    {"0", "99999999999", SizeRange},
    // The blanks ignored are the ones the database also ignores when it stores the untrimmed
    // text as a number; any other blank would be saved as text that no longer reads as one.
    {"\v200\f", "\r128\n", Fine},
    {"\u00a0200", "100", Convert}, // no-break space
    {"200\u3000", "100", Convert}, // ideographic space, as Chinese input methods type it
    {"100", "\u20025", Convert},   // en space
    {"100", "5\u0085", Convert},   // next line
    {"\u3000", "100", Convert},
};

class HaloValidation : public ::testing::TestWithParam<HaloCase> {};

TEST_P(HaloValidation, GivesTheMessageOfTheFirstFailingCheck) {
    const HaloCase& c = GetParam();
    EXPECT_EQ(outcomeOf([&] {
                  return SettingsValidation::checkHalo(QString::fromUtf8(c.size),
                                                       QString::fromUtf8(c.opacity));
              }),
              c.outcome);
}

INSTANTIATE_TEST_SUITE_P(Cases, HaloValidation, ::testing::ValuesIn(HaloCases),
                         [](const auto& info) {
                             return test::caseName(std::string("size ") + info.param.size +
                                                       " opacity " + info.param.opacity,
                                                   info.index);
                         });

struct OffsetCase {
    const char* offset;
    const char* outcome;
};

void PrintTo(const OffsetCase& c, std::ostream* os) {
    *os << "offset \"" << c.offset << '"';
}

const std::vector<OffsetCase> OffsetCases = {
    {"0", Fine},           {"65", Fine},
    {"130", Fine},         {"131", OffsetRange},
    {"-1", OffsetRange},   {"", OffsetEmpty},
    {" ", OffsetEmpty},    {" 65 ", Fine},
    {"6x5", Convert},      {"99999999999", Convert},
    {"+7", Fine},          {"\t65\v", Fine},
    {"\u00a065", Convert}, {"65\u3000", Convert},
};

class OffsetValidation : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(OffsetValidation, GivesTheMessageOfTheFirstFailingCheck) {
    const OffsetCase& c = GetParam();
    EXPECT_EQ(outcomeOf([&] {
                  return SettingsValidation::checkFollowImage(QString::fromUtf8(c.offset));
              }),
              c.outcome);
}

INSTANTIATE_TEST_SUITE_P(Cases, OffsetValidation, ::testing::ValuesIn(OffsetCases),
                         [](const auto& info) {
                             return test::caseName(std::string("offset ") + info.param.offset,
                                                   info.index);
                         });

// Box texts the checks accept, saved untrimmed as the dialog saves them: the database must give
// back the same numbers when the program next reads them.
struct SavedCase {
    const char* size;
    const char* opacity;
    const char* offset;
    int sizeValue;
    int opacityValue;
    int offsetValue;
};

void PrintTo(const SavedCase& c, std::ostream* os) {
    *os << "size \"" << c.size << "\", opacity \"" << c.opacity << "\", offset \"" << c.offset
        << '"';
}

const std::vector<SavedCase> SavedCases = {
    {"200", "128", "65", 200, 128, 65},    {" 200 ", "\t128", "65\n", 200, 128, 65},
    {"\v1\f", "\r0", " \t130", 1, 0, 130}, {"+600", "-0", "+0", 600, 0, 0},
    {"0007", "00255", "007", 7, 255, 7},
};

class SavedValidation : public ::testing::TestWithParam<SavedCase> {};

TEST_P(SavedValidation, AcceptedTextsReadBackAsTheSameNumbers) {
    const SavedCase& c = GetParam();
    const test::RunFolder folder(false);
    test::RawDatabase(SettingsDatabaseName).exec(shippedScript());
    const QString size = QString::fromUtf8(c.size);
    const QString opacity = QString::fromUtf8(c.opacity);
    const QString offset = QString::fromUtf8(c.offset);
    ASSERT_EQ(SettingsValidation::checkHalo(size, opacity), std::nullopt);
    ASSERT_EQ(SettingsValidation::checkFollowImage(offset), std::nullopt);

    saveHaloSettings(QStringLiteral("255"), size, opacity);
    saveFollowImageSettings(QStringLiteral("pic\\ring.png"), offset);
    const HaloSettings halo = readHaloSettings();
    EXPECT_EQ(halo.size, c.sizeValue);
    EXPECT_EQ(halo.opacity, c.opacityValue);
    EXPECT_EQ(readFollowImageSettings().offset, c.offsetValue);
}

INSTANTIATE_TEST_SUITE_P(Cases, SavedValidation, ::testing::ValuesIn(SavedCases),
                         [](const auto& info) { return test::caseName("saved", info.index); });

TEST(SettingsValidation, ConversionErrorNamesTheText) {
    try {
        SettingsValidation::checkHalo(QStringLiteral("99999999999"), QStringLiteral("100"));
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'99999999999' is not a valid integer value");
    }
}

} // namespace
} // namespace kerulo
