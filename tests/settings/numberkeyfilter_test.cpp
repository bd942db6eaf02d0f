#include "settings/numberkeyfilter.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <vector>

namespace kerulo {
namespace {

struct KeyCase {
    const char* what;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* text; // UTF-8
    bool kept;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.what;
}

const std::vector<KeyCase> KeyCases = {
    {"digit 0", Qt::Key_0, Qt::NoModifier, "0", true},
    {"digit 9", Qt::Key_9, Qt::NoModifier, "9", true},
    {"keypad digit", Qt::Key_7, Qt::KeypadModifier, "7", true},
    {"two digits at once", Qt::Key_unknown, Qt::NoModifier, "12", true},
    {"backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", true},
    {"backspace without text", Qt::Key_Backspace, Qt::NoModifier, "", true},
    {"letter", Qt::Key_A, Qt::NoModifier, "a", false},
    {"capital letter", Qt::Key_A, Qt::ShiftModifier, "A", false},
    {"colon", Qt::Key_Colon, Qt::ShiftModifier, ":", false},
    {"minus", Qt::Key_Minus, Qt::NoModifier, "-", false},
    {"plus", Qt::Key_Plus, Qt::ShiftModifier, "+", false},
    {"space", Qt::Key_Space, Qt::NoModifier, " ", false},
    {"full-width digit", Qt::Key_unknown, Qt::NoModifier, "５", false},
    {"arabic-indic digit", Qt::Key_unknown, Qt::NoModifier, "٣", false},
    {"chinese character", Qt::Key_unknown, Qt::NoModifier, "中", false},
    {"digit and letter at once", Qt::Key_unknown, Qt::NoModifier, "1a", false},
    {"accented letter", Qt::Key_Eacute, Qt::NoModifier, "é", false},
    {"delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", true},
    {"left arrow", Qt::Key_Left, Qt::NoModifier, "", true},
    {"home", Qt::Key_Home, Qt::ShiftModifier, "", true},
    {"tab", Qt::Key_Tab, Qt::NoModifier, "\t", true},
    {"return", Qt::Key_Return, Qt::NoModifier, "\r", true},
    {"paste", Qt::Key_V, Qt::ControlModifier, "\x16", true},
    {"select all", Qt::Key_A, Qt::ControlModifier, "\x01", true},
    {"undo", Qt::Key_Z, Qt::ControlModifier, "\x1a", true},
    {"alt letter", Qt::Key_F, Qt::AltModifier, "f", true},
};

class NumberKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(NumberKeys, KeepOnlyDigitsBackspaceAndKeysThatTypeNothing) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(NumberKeyFilter::keepsKey(c.key, c.modifiers, QString::fromUtf8(c.text)), c.kept);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberKeys, ::testing::ValuesIn(KeyCases),
                         [](const auto& info) { return test::caseName(info.param.what); });

} // namespace
} // namespace kerulo
