// The launcher (packaging/kerulo.sh) in an install prefix of its own, with a stand-in for the
// program that notes where it was started and then waits: which folder a user gets, what is
// copied there and what is never overwritten, and the lock that keeps one copy per user and
// display, also after a crash. No display is needed: the stand-in opens none.
#include "package/launcherprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include <signal.h>

namespace kerulo::test {
namespace {

bool waitUntil(int timeoutMs, const std::function<bool()>& condition) {
    for (int waited = 0; !condition(); waited += 10) {
        if (waited > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(content);
    f.close();
    f.setPermissions(permissions);
}

const QFile::Permissions Executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther;

// Stands in for the program: notes its process and current folder, then waits to be ended,
// keeping whatever descriptors it was given as the program would.
const QByteArray StandIn = "#!/bin/sh\n"
                           "printf '%s %s\\n' \"$$\" \"$PWD\" >>\"$KERULO_STANDIN_RECORD\"\n"
                           "exec sleep 300\n";

const std::map<QString, QByteArray> ShippedFiles = {
    {"GBTest.db", "shipped settings"},
    {"pic/ring.png", "shipped ring"},
    {"pic/arrow.png", "shipped arrow"},
    {"pic/hand.png", "shipped hand"},
};

struct Started {
    qint64 pid;
    QString folder;
};

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(m_dir.filePath("prefix/bin"));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(KERULO_SOURCE_DIR "/packaging/kerulo.sh"), launcher()));
        QFile::setPermissions(launcher(), Executable);
        writeFile(program(), StandIn, Executable);
        for (const auto& [name, content] : ShippedFiles)
            writeFile(shipped(name), content);
        QDir().mkpath(home());
    }
    void TearDown() override {
        for (const Started& s : started())
            ::kill(static_cast<pid_t>(s.pid), SIGKILL);
        m_launchers.clear();
    }

    QString launcher() const { return m_dir.filePath("prefix/bin/kerulo"); }
    QString program() const { return m_dir.filePath("prefix/lib/kerulo/kerulo"); }
    QString shipped(const QString& name) const {
        return m_dir.filePath("prefix/share/kerulo/" + name);
    }
    QString home(const QString& user = "teacher") const { return m_dir.filePath("home/" + user); }
    QString dataFolder(const QString& user = "teacher") const {
        return home(user) + "/.local/share/kerulo";
    }
    QString runtimeDir(const QString& user = "teacher") const {
        const QString dir = m_dir.filePath("run/" + user);
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return dir;
    }
    QString tempPath() const { return m_dir.path(); }

    QProcessEnvironment environment(const QString& display = ":5", const QString& user = "teacher",
                                    bool withRuntimeDir = true) {
        QDir().mkpath(home(user));
        QProcessEnvironment env = LauncherProcess::userEnvironment(
            home(user), display, withRuntimeDir ? runtimeDir(user) : QString());
        env.insert("KERULO_STANDIN_RECORD", m_dir.filePath("started"));
        return env;
    }

    LauncherProcess& launch(const QProcessEnvironment& env, const QString& path = {}) {
        m_launchers.push_back(
            std::make_unique<LauncherProcess>(path.isEmpty() ? launcher() : path, env));
        return *m_launchers.back();
    }
    /// Launches and waits until the stand-in has noted its start.
    LauncherProcess& launchProgram(const QProcessEnvironment& env) {
        const std::size_t before = started().size();
        LauncherProcess& l = launch(env);
        EXPECT_TRUE(waitUntil(5000, [&] { return started().size() > before || !l.running(); }))
            << l.standardError().toStdString();
        EXPECT_TRUE(l.running()) << l.standardError().toStdString();
        return l;
    }

    std::vector<Started> started() const {
        std::vector<Started> out;
        QFile record(m_dir.filePath("started"));
        if (!record.open(QIODevice::ReadOnly))
            return out;
        QStringList lines = QString::fromUtf8(record.readAll()).split('\n');
        lines.removeLast(); // empty, or a line still being written
        for (const QString& line : lines) {
            bool numeric = false;
            const qint64 pid = line.section(' ', 0, 0).toLongLong(&numeric);
            if (numeric && pid > 1)
                out.push_back({pid, line.section(' ', 1)});
        }
        return out;
    }

private:
    QTemporaryDir m_dir{QStringLiteral(KERULO_TEST_TMP "/launcher-XXXXXX")};
    std::vector<std::unique_ptr<LauncherProcess>> m_launchers;
};

// Which folder a user gets, by XDG_DATA_HOME: "%H" stands for the home folder and "%T" for a
// folder outside it.
struct FolderCase {
    const char* name;
    const char* xdgDataHome; // nullptr: unset
    const char* folder;
};
void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

class UsersFolder : public LauncherTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(UsersFolder, FirstStartFillsItWithTheShippedFilesAndStartsTheProgramThere) {
    const FolderCase& c = GetParam();
    const auto expand = [&](QString s) {
        return s.replace("%H", home()).replace("%T", tempPath());
    };
    QProcessEnvironment env = environment();
    if (c.xdgDataHome)
        env.insert("XDG_DATA_HOME", expand(c.xdgDataHome));
    const QString folder = expand(c.folder);

    LauncherProcess& l = launchProgram(env);
    ASSERT_EQ(started().size(), 1u);
    EXPECT_EQ(started()[0].pid, l.pid()) << "the launcher replaces itself with the program";
    EXPECT_EQ(started()[0].folder, folder);
    for (const auto& [name, content] : ShippedFiles)
        EXPECT_EQ(readFile(folder + "/" + name), content) << name.toStdString();
    EXPECT_EQ(QDir(folder + "/pic").entryList(QDir::Files).size(), 3)
        << "no half-copied files are left";
}

INSTANTIATE_TEST_SUITE_P(ByXdgDataHome, UsersFolder,
                         ::testing::Values(FolderCase{"Unset", nullptr, "%H/.local/share/kerulo"},
                                           FolderCase{"Empty", "", "%H/.local/share/kerulo"},
                                           FolderCase{"Relative", "data", "%H/.local/share/kerulo"},
                                           FolderCase{"Absolute", "%T/elsewhere/data",
                                                      "%T/elsewhere/data/kerulo"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, LaterStartsKeepTheUsersFilesAndAddOnlyMissingPictures) {
    writeFile(dataFolder() + "/GBTest.db", "the teacher's settings");
    writeFile(dataFolder() + "/pic/ring.png", "the teacher's own ring");
    writeFile(dataFolder() + "/pic/mine.png", "a picture the teacher added");
    // A newer package brings a picture more.
    writeFile(shipped("pic/star.png"), "shipped star");

    launchProgram(environment());
    const std::map<QString, QByteArray> expected = {
        {"GBTest.db", "the teacher's settings"},
        {"pic/ring.png", "the teacher's own ring"},
        {"pic/mine.png", "a picture the teacher added"},
        {"pic/arrow.png", "shipped arrow"},
        {"pic/hand.png", "shipped hand"},
        {"pic/star.png", "shipped star"},
    };
    for (const auto& [name, content] : expected)
        EXPECT_EQ(readFile(dataFolder() + "/" + name), content) << name.toStdString();
}

// A second start while the first runs, by display, user and where the lock can live.
struct SecondStartCase {
    const char* name;
    const char* firstDisplay;
    const char* secondDisplay;
    bool otherUser;
    bool withRuntimeDir;
    bool secondStarts;
};
void PrintTo(const SecondStartCase& c, std::ostream* out) {
    *out << c.name;
}

class SecondStart : public LauncherTest, public ::testing::WithParamInterface<SecondStartCase> {};

TEST_P(SecondStart, StartsOnlyWhereNoCopyRunsForTheSameUserAndDisplay) {
    const SecondStartCase& c = GetParam();
    LauncherProcess& first =
        launchProgram(environment(c.firstDisplay, "teacher", c.withRuntimeDir));
    LauncherProcess& second =
        launch(environment(c.secondDisplay, c.otherUser ? "guest" : "teacher", c.withRuntimeDir));
    if (c.secondStarts) {
        EXPECT_TRUE(waitUntil(5000, [&] { return started().size() == 2; }))
            << second.standardError().toStdString();
        EXPECT_TRUE(second.running());
    } else {
        EXPECT_EQ(second.waitForExit(5000), 0);
        EXPECT_TRUE(second.standardError().contains("already runs"))
            << second.standardError().toStdString();
        EXPECT_EQ(started().size(), 1u);
    }
    EXPECT_TRUE(first.running());
}

INSTANTIATE_TEST_SUITE_P(
    ByUserAndDisplay, SecondStart,
    ::testing::Values(
        SecondStartCase{"SameDisplay", ":5", ":5", false, true, false},
        SecondStartCase{"SameDisplayWithScreenNumber", ":5", ":5.0", false, true, false},
        SecondStartCase{"SameRemoteDisplay", "host:10.0", "host:10", false, true, false},
        SecondStartCase{"OtherDisplay", ":5", ":6", false, true, true},
        SecondStartCase{"OtherUser", ":5", ":5", true, true, true},
        SecondStartCase{"SameDisplayLockInTheDataFolder", ":5", ":5", false, false, false},
        SecondStartCase{"OtherDisplayLockInTheDataFolder", ":5", ":6", false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// However the running copy ended, the next start is not refused.
struct EndCase {
    const char* name;
    void (LauncherProcess::*end)();
};
void PrintTo(const EndCase& c, std::ostream* out) {
    *out << c.name;
}

class AfterTheEnd : public LauncherTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(AfterTheEnd, TheNextStartRuns) {
    LauncherProcess& first = launchProgram(environment());
    (first.*GetParam().end)();
    ASSERT_FALSE(first.running());
    LauncherProcess& next = launchProgram(environment());
    EXPECT_EQ(started().size(), 2u);
    EXPECT_FALSE(next.standardError().contains("already runs"));
}

INSTANTIATE_TEST_SUITE_P(ByWayOfEnding, AfterTheEnd,
                         ::testing::Values(EndCase{"Terminated", &LauncherProcess::terminate},
                                           EndCase{"Crashed", &LauncherProcess::crash}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, StartedThroughALinkFindsTheProgramBesideItself) {
    const QString link = tempPath() + "/elsewhere/kerulo";
    QDir().mkpath(tempPath() + "/elsewhere");
    ASSERT_TRUE(QFile::link(launcher(), link));
    LauncherProcess& l = launch(environment(), link);
    ASSERT_TRUE(waitUntil(5000, [&] { return started().size() == 1; }))
        << l.standardError().toStdString();
    EXPECT_EQ(started()[0].folder, dataFolder());
}

TEST_F(LauncherTest, WithoutTheProgramItSaysSoAndFails) {
    QFile::remove(program());
    LauncherProcess& l = launch(environment());
    EXPECT_EQ(l.waitForExit(5000), 1);
    EXPECT_TRUE(l.standardError().contains("the program is missing"))
        << l.standardError().toStdString();
    EXPECT_TRUE(started().empty());
}

} // namespace
} // namespace kerulo::test
