#include "settings/settingsvalidation.h"
#include "store/converterror.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <vector>

namespace kerulo {
namespace {

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
    {"0", Fine},         {"65", Fine},
    {"130", Fine},       {"131", OffsetRange},
    {"-1", OffsetRange}, {"", OffsetEmpty},
    {" ", OffsetEmpty},  {" 65 ", Fine},
    {"6x5", Convert},    {"99999999999", Convert},
    {"+7", Fine},
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
