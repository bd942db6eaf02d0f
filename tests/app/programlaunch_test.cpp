// The steps before the first window, over the fake platform: a second copy ends and says so
// where the user can see it; the first enters its settings folder, and a folder that cannot be
// entered is reported without stopping the program.
#include "app/programlaunch.h"
#include "platform/fake/fakedesktopshell.h"
#include "platform/fake/fakeprogramstart.h"
#include "ui/errorreporter.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace kerulo {
namespace {

struct LaunchCase {
    const char* what;
    bool otherCopyRuns;
    bool standardErrorSeen;
    const char* folderFailure; // null: the folder is entered
    bool goesOn;
    bool saysAlreadyRuns;      // on standard error
    const char* told;          // the message shown, or null
    const char* error;         // the error shown, or null
};

class ProgramLaunchTest : public ::testing::TestWithParam<LaunchCase> {
protected:
    void SetUp() override {
        ErrorReporter::setSink([this](const QString& text) { errors << text; });
    }
    void TearDown() override { ErrorReporter::setSink({}); }

    QStringList errors;
};

TEST_P(ProgramLaunchTest, EndsOrGoesOnAndSaysWhatHappened) {
    const LaunchCase& c = GetParam();
    FakeProgramStart start;
    FakeDesktopShell shell;
    if (c.otherCopyRuns)
        start.letOtherCopyRun();
    if (!c.standardErrorSeen)
        shell.hideStandardError();
    if (c.folderFailure)
        start.failFolder(c.folderFailure);

    ::testing::internal::CaptureStderr();
    QStringList told;
    const bool goesOn =
        ProgramLaunch::prepare(start, shell, [&told](const QString& text) { told << text; });
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(goesOn, c.goesOn);
    EXPECT_EQ(said.find("already runs") != std::string::npos, c.saysAlreadyRuns) << said;
    EXPECT_EQ(start.folderEntries(), c.goesOn && !c.folderFailure ? 1 : 0)
        << "a second copy must not touch the folder";
    const auto expectOnly = [](const QStringList& shown, const char* text) {
        if (text)
            EXPECT_EQ(shown, QStringList{QString::fromUtf8(text)});
        else
            EXPECT_TRUE(shown.isEmpty()) << shown.join('\n').toStdString();
    };
    expectOnly(told, c.told);
    expectOnly(errors, c.error);
}

const LaunchCase LaunchCases[] = {
    {"FirstCopy", false, true, nullptr, true, false, nullptr, nullptr},
    {"FirstCopyWithoutStandardError", false, false, nullptr, true, false, nullptr, nullptr},
    {"SecondCopy", true, true, nullptr, false, true, nullptr, nullptr},
    {"SecondCopyWithoutStandardError", true, false, nullptr, false, true, "Kerulo 已经在运行。",
     nullptr},
    {"FolderCannotBeEntered", false, false, "cannot make the folder C:\\x", true, false, nullptr,
     "cannot make the folder C:\\x"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProgramLaunchTest, ::testing::ValuesIn(LaunchCases),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace kerulo
