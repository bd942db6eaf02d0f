#include "settings/freefilename.h"
#include "support/casename.h"

#include <QMap>
#include <gtest/gtest.h>

#include <vector>

namespace kerulo {
namespace {

using Slot = FreeFileName::Slot;

struct NameCase {
    const char* what;
    const char* wanted;
    std::vector<std::pair<const char*, Slot>> folder; // names not listed are free
    const char* picked;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.what;
}

const std::vector<NameCase> NameCases = {
    {"free", "ring.png", {}, "ring.png"},
    {"same file already there", "ring.png", {{"ring.png", Slot::SameFile}}, "ring.png"},
    {"other file of that name", "ring.png", {{"ring.png", Slot::OtherFile}}, "ring (2).png"},
    {"first numbers taken",
     "ring.png",
     {{"ring.png", Slot::OtherFile}, {"ring (2).png", Slot::OtherFile}},
     "ring (3).png"},
    {"a numbered name holds the same file",
     "ring.png",
     {{"ring.png", Slot::OtherFile}, {"ring (2).png", Slot::SameFile}},
     "ring (2).png"},
    {"number before the last extension", "a.b.png", {{"a.b.png", Slot::OtherFile}}, "a.b (2).png"},
    {"no extension", "ring", {{"ring", Slot::OtherFile}}, "ring (2)"},
    {"hidden name", ".png", {{".png", Slot::OtherFile}}, ".png (2)"},
    {"apostrophe and chinese",
     "it's 光标.png",
     {{"it's 光标.png", Slot::OtherFile}},
     "it's 光标 (2).png"},
};

class FreeNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(FreeNames, TakeNoOtherFilesPlace) {
    const NameCase& c = GetParam();
    QMap<QString, Slot> folder;
    for (const auto& [name, slot] : c.folder)
        folder.insert(QString::fromUtf8(name), slot);
    QStringList asked;
    const QString picked = FreeFileName::pick(QString::fromUtf8(c.wanted), [&](const QString& n) {
        asked << n;
        return folder.value(n, Slot::Free);
    });
    EXPECT_EQ(picked.toStdString(), c.picked);
    // Names are tried in order and the search stops at the first that may be used.
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.last(), picked);
    for (qsizetype i = 0; i + 1 < asked.size(); ++i)
        EXPECT_EQ(folder.value(asked[i], Slot::Free), Slot::OtherFile) << asked[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeNames, ::testing::ValuesIn(NameCases),
                         [](const auto& info) { return test::caseName(info.param.what); });

} // namespace
} // namespace kerulo
