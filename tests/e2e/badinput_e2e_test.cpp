// Bad input on a real desktop, one table: a broken, locked or unwritable settings file, rows and
// values that are missing or out of any range, and pictures that are damaged, unusual or oddly
// named. Each row prepares a run folder, starts the program, drives it and then looks from
// outside: the message boxes and their texts, the windows and the pixels on screen, whether the
// program still obeys a command and ends normally, and what became of the settings file.
#include "desktoptest.h"
#include "pen/testjpeg.h"
#include "settingsplaces.h"
#include "store/rawdatabase.h"
#include "support/casename.h"
#include "testpicture.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kerulo::e2e {
namespace {

constexpr QRgb Beneath = 0x2050a0; // the test window under the follow image
// Clear of the settings dialog, which would otherwise be beneath it and out of reach.
const QRect BeneathRect(950, 250, 650, 650);
const QPoint Pointer(1250, 550); // where the effects are looked at, over the test window
// The follow image's size once its set-up has run, and before.
const QSize FollowSize(128, 128);
const QSize UnfinishedFollowSize(131, 140);

using InSettings::FollowSave;
using InSettings::HaloSave;
using InSettings::HaloSizeBox;

// What the shipped settings file holds.
const char* const ShippedHaloRow = "51455,100,100";
const char* const ShippedFollowRow = "pic\\ring.png|65";
constexpr QRgb ShippedHaloColour = 0xffc800; // 51455: red 255, green 200

// A user without rights of its own, for tests that run as root.
constexpr unsigned Nobody = 65534;

// ---------------------------------------------------------------------------------------------
// The texts the program reports.

QString sqlError(const char* first, int code, const char* meaning, const std::string& statement,
                 const char* library) {
    return QString::fromStdString(std::string(first) + ".\rError [" + std::to_string(code) +
                                  "]: " + meaning + ".\r\"" + statement + "\": " + library);
}
QString noTable(const std::string& table) {
    return sqlError("Error executing SQL", 1, "SQL error or missing database",
                    "Select * from " + table, ("no such table: " + table).c_str());
}
QString notADatabase(const std::string& table) {
    return sqlError("Error executing SQL", 26, "File opened that is not a database file",
                    "Select * from " + table, "file is not a database");
}
QString lockedRead(const std::string& table) {
    return sqlError("Error executing SQL", 5, "The database file is locked",
                    "Select * from " + table, "database is locked");
}
QString emptyDataset(const char* field) {
    return QStringLiteral("Field %1 Not found. Empty dataset").arg(QLatin1String(field));
}
QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
QString cannotOpen(const QString& path) {
    return QStringLiteral("Cannot open the picture file \"%1\": No such file or directory")
        .arg(path);
}
QString notPng(const QString& path) {
    return QStringLiteral("\"%1\" is not a PNG picture").arg(path);
}
QString damaged(const QString& path, const QString& why) {
    return QStringLiteral("The picture file \"%1\" is damaged: %2").arg(path, why);
}

const QString HaloSizeRange = QStringLiteral("光环大小值不在1-600里，请重新输入。");
const QString OpacityRange = QStringLiteral("透明度值不在0-255里，请重新输入。");
const QString OffsetRange = QStringLiteral("光标显示位置值不在0-130里，请重新输入。");

// Three boxes at start-up when neither table can be read: the follow image's, the halo's and
// the settings dialog's, which stops at the halo table.
std::vector<QString> everyRead(const std::function<QString(const std::string&)>& error) {
    return {error("GBgs"), error("GBtx"), error("GBtx")};
}
std::vector<QString> twice(const QString& text) {
    return {text, text};
}

// ---------------------------------------------------------------------------------------------
// Pictures, by what they show: a colour at a pixel of the picture, or nothing there.

using PictureLook = std::function<std::optional<QRgb>(int x, int y)>;

constexpr QRgb Gray = 0x808080; // the colour the window keys out

std::optional<QRgb> shown(QRgb colour) {
    if ((colour & 0xffffff) == Gray)
        return std::nullopt;
    return colour & 0xffffff;
}

// A colour that changes from pixel to pixel without a pattern, the same on every call.
QRgb noise(int x, int y) {
    std::uint32_t h = std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h & 0xffffff;
}

// ---------------------------------------------------------------------------------------------

/// What the settings file should be once the program has ended.
struct Stored {
    enum Kind { Unchanged, Missing, Empty, Rows } kind = Unchanged;
    std::string haloRow;   // for Rows: "ColoeN,Ghdx,TouM"
    std::string followRow; // for Rows: "FileN|SHu"
};
Stored rows(std::string halo, std::string follow) {
    return {Stored::Rows, std::move(halo), std::move(follow)};
}
const Stored FileMissing{Stored::Missing, {}, {}};
const Stored FileEmpty{Stored::Empty, {}, {}};

class CaseRun;

/// One row of the table. Rows about the environment (the desktop, other programs, the display)
/// fit the same mould: their preparation sets up the world and the launch options, their drive
/// acts, and the expectations say what the program reports and keeps.
struct BadInputCase {
    std::string what;
    /// Before the start: the run folder's files, the launch options (environment, user), locks
    /// held by the test. May skip the row.
    std::function<void(CaseRun&)> prepare;
    /// The message boxes of the start-up, in order; none is silence.
    std::vector<QString> atStart;
    /// Whether the follow image's set-up ran to its end (128 x 128, its picture loaded); when it
    /// did not, the window keeps its first size and shows nothing.
    bool followSetUp = true;
    /// After the start-up: effects, the settings dialog, saves. May be empty.
    std::function<void(CaseRun&)> drive;
    /// The message boxes the drive brings up, in order.
    std::vector<QString> whileDriven;
    Stored stored;
};

void PrintTo(const BadInputCase& c, std::ostream* os) {
    *os << c.what;
}

/// The desktop the table shares.
using SharedDesktop = DesktopTest<>;

/// The shared desktop, for the helpers outside the fixture.
struct Screen : SharedDesktop {
    using SharedDesktop::display;
    using SharedDesktop::probe;
    using SharedDesktop::x;
};

/// One row's run: its folder, how the program is started, the program, and what was seen.
class CaseRun {
public:
    CaseRun() : m_folder(std::make_unique<test::RunFolder>()) {}
    ~CaseRun() {
        unlockDatabase();
        // A folder made read-only must be writable again to be removed.
        QFile::setPermissions(m_folder->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString file(const QString& name) const { return m_folder->file(name); }
    QString database() const { return file(QStringLiteral("GBTest.db")); }
    test::RunFolder& folder() { return *m_folder; }
    LaunchOptions& launch() { return m_launch; }

    void sql(const std::string& statements) {
        test::RawDatabase(database().toStdString()).exec(statements);
    }
    /// The tables rebuilt as shipped but without NOT NULL, so that a value may be NULL.
    void allowNulls() {
        sql("Create table h (GBtxID INTEGER PRIMARY KEY, ColoeN INTEGER, TouM INTEGER, "
            "Ghdx INTEGER); Insert into h select GBtxID, ColoeN, TouM, Ghdx from GBtx; "
            "Drop table GBtx; Alter table h rename to GBtx;"
            "Create table f (GBgsID INTEGER PRIMARY KEY, FileN TEXT, SHu INTEGER); "
            "Insert into f select GBgsID, FileN, SHu from GBgs; Drop table GBgs; "
            "Alter table f rename to GBgs;");
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile out(file(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
        out.write(bytes);
    }
    /// Points the follow-image row at a file of the picture folder.
    void usePicture(const QString& name) {
        sql("Update GBgs set FileN = 'pic\\" + QString(name).replace("'", "''").toStdString() +
            "'");
    }

    /// Holds an exclusive lock on the settings file, as another program would: from a process of
    /// its own, since a lock of this process's would go whenever the test reads the file.
    void lockDatabase() {
        m_locker = std::make_unique<QProcess>();
        m_locker->start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), database()});
        ASSERT_TRUE(m_locker->waitForStarted(5000)) << "sqlite3 is needed to hold a lock";
        m_locker->write("Begin exclusive;\n");
        m_locker->waitForBytesWritten(5000);
        ASSERT_TRUE(waitUntil(5000, [this] {
            try {
                test::RawDatabase(database().toStdString()).text("Select count(*) from GBtx");
                return false;
            } catch (const std::runtime_error& e) {
                return std::string(e.what()).find("locked") != std::string::npos;
            }
        })) << "the lock was not taken";
    }
    void unlockDatabase() {
        if (!m_locker)
            return;
        m_locker->write("Rollback;\n");
        m_locker->waitForBytesWritten(5000);
        m_locker->closeWriteChannel();
        if (!m_locker->waitForFinished(5000))
            m_locker->kill();
        m_locker.reset();
    }

    /// Makes file permissions apply to the program: when the tests run as root, to whom they do
    /// not apply, the program runs as a user without rights, who is given the run folder.
    void withoutRootRights() {
        if (geteuid() != 0)
            return;
        m_launch.user = Nobody;
        const QString home = file(QStringLiteral(".runtime"));
        QDir().mkpath(home);
        m_launch.environment = [home](QProcessEnvironment& env) {
            env.insert("HOME", home);
            env.insert("XDG_CACHE_HOME", home);
            env.insert("XDG_CONFIG_HOME", home);
        };
        giveAway(m_folder->path());
        QDirIterator all(m_folder->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
        while (all.hasNext())
            giveAway(all.next());
    }

    QByteArray databaseBytes() const {
        QFile in(database());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    void keepStoredBytes() { m_storedBefore = databaseBytes(); }
    const QByteArray& storedBefore() const { return m_storedBefore; }

    std::string haloRow() const {
        return test::RawDatabase(database().toStdString())
            .waitWhenBusy(2000)
            .text("Select ColoeN||','||Ghdx||','||TouM from GBtx");
    }
    std::string followRow() const {
        return test::RawDatabase(database().toStdString())
            .waitWhenBusy(2000)
            .text("Select FileN||'|'||SHu from GBgs");
    }

    std::unique_ptr<KeruloProcess> program;
    /// The texts of the message boxes seen while driving, in order.
    std::vector<QString> driveBoxes;

private:
    void giveAway(const QString& path) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), Nobody, Nobody), 0)
            << path.toStdString();
    }

    std::unique_ptr<test::RunFolder> m_folder;
    LaunchOptions m_launch;
    std::unique_ptr<QProcess> m_locker;
    QByteArray m_storedBefore;
};

// ---------------------------------------------------------------------------------------------
// Reading the program from outside.

class Outside {
public:
    static QString clipboard() {
        QProcess xclip;
        xclip.setProcessEnvironment(displayEnvironment());
        xclip.start("xclip", {"-o", "-selection", "clipboard"});
        xclip.waitForFinished(3000);
        return QString::fromUtf8(xclip.readAllStandardOutput());
    }
    // xclip keeps serving the text in the background until another program takes the
    // clipboard, which the program's box does on Ctrl+C.
    static void setClipboard(const QString& text) {
        QProcess xclip;
        xclip.setProcessEnvironment(displayEnvironment());
        xclip.start("xclip", {"-i", "-selection", "clipboard"});
        xclip.write(text.toUtf8());
        xclip.closeWriteChannel();
        xclip.waitForFinished(3000);
    }

    /// A box's text through its Ctrl+C: the title, the text and the buttons between dashed lines.
    static QString readBox(const XWindowInfo& box) {
        const QString nothing = QStringLiteral("<nothing copied>");
        for (int attempt = 0; attempt < 3; ++attempt) {
            // xclip takes the clipboard from a process of its own that may still be on its way
            // when the first one ends; the box must not copy before it has.
            setClipboard(nothing);
            waitUntil(2000, [&] { return clipboard() == nothing; });
            if (attempt > 0)
                Screen::x().focus(box.id);
            Screen::x().key("Control_L", true);
            Screen::x().tapKey("c");
            Screen::x().key("Control_L", false);
            QString copied;
            if (waitUntil(2000, [&] {
                    copied = clipboard();
                    return !copied.isEmpty() && copied != nothing;
                })) {
                const QStringList parts =
                    copied.split(QStringLiteral("---------------------------\n"));
                if (parts.size() >= 4)
                    return parts[2].chopped(1);
                return QStringLiteral("<unexpected copy: ") + copied + QLatin1Char('>');
            }
        }
        return QStringLiteral("<the box gave no text>");
    }

    /// Reads and closes every box that comes up until \a settled holds and no box has come for
    /// \a quietMs; gives the boxes' texts in order.
    static std::vector<QString> collectBoxes(const std::function<bool()>& settled, int quietMs,
                                             int limitMs = 20000) {
        std::vector<QString> texts;
        QElapsedTimer total;
        total.start();
        QElapsedTimer quiet;
        quiet.start();
        while (total.elapsed() < limitMs) {
            if (const std::optional<XWindowInfo> box = Screen::probe().messageBox()) {
                QThread::msleep(150); // drawn and focused
                texts.push_back(readBox(*box));
                close(*box);
                quiet.restart();
                continue;
            }
            if (!settled())
                quiet.restart();
            else if (quiet.elapsed() >= quietMs)
                return texts;
            QThread::msleep(30);
        }
        ADD_FAILURE() << "the program did not settle; boxes so far: " << texts.size();
        return texts;
    }

    static std::string shown(const std::vector<QString>& texts) {
        std::string out;
        for (QString t : texts)
            out += "  [" + t.replace('\r', QStringLiteral("\\r")).toStdString() + "]\n";
        return out.empty() ? "  (none)\n" : out;
    }

private:
    static void close(const XWindowInfo& box) {
        const auto gone = [&] {
            const std::optional<XWindowInfo> now = Screen::probe().messageBox();
            return !now || now->id != box.id;
        };
        Screen::x().tapKey("Return");
        if (!waitUntil(2000, gone)) {
            Screen::x().focus(box.id);
            Screen::x().tapKey("Return");
            EXPECT_TRUE(waitUntil(2000, gone)) << "a box that does not close";
        }
    }
    static QProcessEnvironment displayEnvironment() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(Screen::display()));
        return env;
    }
};

// ---------------------------------------------------------------------------------------------
// Driving.

std::optional<XWindowInfo> dialog() {
    return Screen::probe().mappedNamed(InSettings::Caption, false);
}

QRect openDialog() {
    Screen::probe().clickToolbarPanel(Panel::Settings);
    EXPECT_TRUE(waitUntil(3000, [] { return dialog().has_value(); })) << "the settings dialog";
    QThread::msleep(300);
    return dialog() ? dialog()->geometry : QRect();
}

/// Clicks a save button of the dialog, after typing a new halo size when one is given, and
/// waits for what follows: a box, or the file written.
void clickSave(CaseRun& run, QPoint button, const char* haloSize = nullptr) {
    const QRect client = openDialog();
    ASSERT_FALSE(client.isEmpty());
    if (haloSize) {
        Screen::probe().clickAt(client.topLeft() + HaloSizeBox);
        Screen::x().key("Control_L", true);
        Screen::x().tapKey("a");
        Screen::x().key("Control_L", false);
        for (const char* digit = haloSize; *digit; ++digit)
            Screen::x().tapKey(std::string(1, *digit).c_str());
    }
    const QByteArray before = run.databaseBytes();
    const QString journal = run.file(QStringLiteral("GBTest.db-journal"));
    Screen::probe().clickAt(client.topLeft() + button);
    waitUntil(3000, [&] {
        return Screen::probe().messageBox().has_value() ||
               (run.databaseBytes() != before && !QFileInfo::exists(journal));
    });
    const std::vector<QString> boxes = Outside::collectBoxes([] { return true; }, 400);
    run.driveBoxes.insert(run.driveBoxes.end(), boxes.begin(), boxes.end());
}
void saveHalo(CaseRun& run) {
    clickSave(run, HaloSave);
}
void saveFollowImage(CaseRun& run) {
    clickSave(run, FollowSave);
}
// Saving the values the file holds already writes nothing, so the checks that need a write
// save another size.
const char* const NewHaloSize = "200";
void saveNewHaloSize(CaseRun& run) {
    clickSave(run, HaloSave, NewHaloSize);
}

bool followAt(QPoint topLeft, QSize size) {
    const std::optional<XWindowInfo> w = Screen::probe().followImage();
    return w && w->geometry == QRect(topLeft, size);
}

/// The follow image, with the pointer at (offset, offset) in it, shows what \a look says over
/// the test window, pixel for pixel.
void expectFollowImage(const std::string& name, const PictureLook& look, int offset = 65) {
    Screen::x().movePointer(Pointer.x(), Pointer.y());
    const QPoint topLeft = Pointer - QPoint(offset, offset);
    ASSERT_TRUE(waitUntil(2000, [&] { return followAt(topLeft, FollowSize); }))
        << "the follow image at the pointer";
    QThread::msleep(250);
    const QImage screen = Screen::x().grab(QRect(topLeft, FollowSize));
    screen.save(screenshotPath(QString::fromStdString("badinput-" + name)));
    int wrong = 0;
    std::string first;
    for (int y = 0; y < FollowSize.height(); ++y)
        for (int x = 0; x < FollowSize.width(); ++x) {
            const QRgb want = look(x, y).value_or(Beneath) & 0xffffff;
            const QRgb got = screen.pixel(x, y) & 0xffffff;
            if (got == want)
                continue;
            if (++wrong <= 3)
                first += " (" + std::to_string(x) + "," + std::to_string(y) + ") " +
                         QString::number(got, 16).toStdString() + " not " +
                         QString::number(want, 16).toStdString();
        }
    EXPECT_EQ(wrong, 0) << "pixels unlike the picture's top-left corner:" << first;
}

/// Shows the halo with its key and looks at it around the pointer.
void showHalo() {
    Screen::x().movePointer(Pointer.x(), Pointer.y());
    Screen::x().tapKey("F7");
    ASSERT_TRUE(waitUntil(2000, [] { return Screen::probe().halo().has_value(); }));
    ASSERT_TRUE(waitUntil(2000, [] { return !Screen::probe().followImage().has_value(); }));
    QThread::msleep(250);
}
/// A halo without a size shows nothing at all.
void expectNoHalo(const std::string& name) {
    Screen::x().movePointer(Pointer.x(), Pointer.y());
    Screen::x().tapKey("F7");
    ASSERT_TRUE(waitUntil(2000, [] { return !Screen::probe().followImage().has_value(); }))
        << "the halo's key hides the follow image";
    QThread::msleep(300);
    const QImage around = Screen::x().grab(QRect(Pointer - QPoint(60, 60), QSize(120, 120)));
    around.save(screenshotPath(QString::fromStdString("badinput-" + name)));
    int drawn = 0;
    for (int y = 0; y < around.height(); ++y)
        for (int x = 0; x < around.width(); ++x)
            drawn += (around.pixel(x, y) & 0xffffff) != Beneath;
    EXPECT_EQ(drawn, 0);
}
/// A halo wider than the screen's diagonal both ways covers the whole screen.
void expectScreenCovered(const std::string& name) {
    showHalo();
    Screen::x()
        .grab(QRect(Pointer - QPoint(60, 60), QSize(120, 120)))
        .save(screenshotPath(QString::fromStdString("badinput-" + name)));
    const QSize screen = Screen::x().screenSize();
    const QPoint places[] = {Pointer, QPoint(0, 0), QPoint(screen.width() - 1, screen.height() - 1),
                             QPoint(0, screen.height() - 1), QPoint(screen.width() / 2, 0)};
    // A window as large as the screen may take a while to be painted on a busy machine.
    waitUntil(5000, [&] {
        for (const QPoint p : places)
            if ((Screen::x().pixel(p.x(), p.y()) & 0xffffff) != ShippedHaloColour)
                return false;
        return true;
    });
    for (const QPoint p : places)
        EXPECT_EQ(Screen::x().pixel(p.x(), p.y()) & 0xffffff, ShippedHaloColour)
            << p.x() << "," << p.y();
}
void expectHaloDisc(const std::string& name, QRgb colour) {
    showHalo();
    ASSERT_TRUE(waitUntil(1000, [] {
        return Screen::probe().halo()->geometry == QRect(Pointer - QPoint(50, 50), QSize(100, 100));
    }));
    Screen::x()
        .grab(QRect(Pointer - QPoint(60, 60), QSize(120, 120)))
        .save(screenshotPath(QString::fromStdString("badinput-" + name)));
    waitUntil(5000, [colour] {
        return (Screen::x().pixel(Pointer.x(), Pointer.y()) & 0xffffff) == (colour & 0xffffff);
    });
    EXPECT_EQ(Screen::x().pixel(Pointer.x(), Pointer.y()) & 0xffffff, colour & 0xffffff);
    EXPECT_EQ(Screen::x().pixel(Pointer.x() - 48, Pointer.y() - 48) & 0xffffff, Beneath)
        << "outside the disc";
}

// ---------------------------------------------------------------------------------------------
// Bad values in the settings row. SQL literals of each kind, for the column they go into: text
// in an INTEGER column is loaded as the integer the library makes of it, 0; numbers beyond 64
// bits are kept as floating point and loaded as the largest 64-bit integer; a number in the TEXT
// column becomes its text.

const char* const Huge = "99999999999999999999";
const QString HugeLoaded = QStringLiteral("9223372036854775807");

std::function<void(CaseRun&)> setValue(const std::string& table, const std::string& column,
                                       const std::string& literal) {
    return [=](CaseRun& run) {
        run.allowNulls();
        run.sql("Update " + table + " set " + column + " = " + literal);
    };
}

// The dialog's boxes keep their layout texts when its read fails, and those are no numbers.
const QString HaloBoxLayoutText = QStringLiteral("Edit2");
const QString OffsetBoxLayoutText = QStringLiteral("Edit4");

std::vector<BadInputCase> valueCases() {
    std::vector<BadInputCase> cases;
    const auto halo = [&](const char* column, const char* kind, const std::string& literal,
                          std::vector<QString> atStart, std::function<void(CaseRun&)> look,
                          std::vector<QString> onSave, Stored stored) {
        cases.push_back({std::string(column) + " " + kind, setValue("GBtx", column, literal),
                         std::move(atStart), true,
                         [look](CaseRun& run) {
                             if (look)
                                 look(run);
                             saveHalo(run);
                         },
                         std::move(onSave), std::move(stored)});
    };
    // The halo's and the dialog's reads fail alike; the dialog's boxes keep their layout texts.
    const auto unreadable = [](const QString& text) { return twice(notAnInteger(text)); };
    const std::vector<QString> layoutSave{notAnInteger(HaloBoxLayoutText)};

    halo("ColoeN", "NULL", "NULL", unreadable(""), {}, layoutSave, {});
    halo(
        "ColoeN", "text", "'red'", {}, [](CaseRun&) { expectHaloDisc("colour-text", 0x000000); },
        {}, rows("0,100,100", ShippedFollowRow));
    halo("ColoeN", "huge", Huge, unreadable(HugeLoaded), {}, layoutSave, {});
    halo(
        "ColoeN", "negative", "-1", {},
        [](CaseRun&) { expectHaloDisc("colour-negative", 0xffffff); }, {},
        rows("-1,100,100", ShippedFollowRow));
    halo("TouM", "NULL", "NULL", unreadable(""), {}, layoutSave, {});
    halo("TouM", "text", "'half'", {}, {}, {}, rows("51455,100,0", ShippedFollowRow));
    halo("TouM", "huge", Huge, unreadable(HugeLoaded), {}, layoutSave, {});
    halo("TouM", "negative", "-1", {}, {}, {OpacityRange}, {});
    halo("Ghdx", "NULL", "NULL", unreadable(""), {}, layoutSave, {});
    halo("Ghdx", "text", "'big'", {}, [](CaseRun&) { expectNoHalo("size-text"); }, {HaloSizeRange},
         {});
    halo("Ghdx", "huge", Huge, unreadable(HugeLoaded), {}, layoutSave, {});
    halo("Ghdx", "negative", "-5", {}, [](CaseRun&) { expectNoHalo("size-negative"); },
         {HaloSizeRange}, {});

    // Sizes far beyond the screen, yet within the integers: a disc that covers the whole screen.
    halo("Ghdx", "100000", "100000", {}, [](CaseRun&) { expectScreenCovered("size-100000"); },
         {HaloSizeRange}, {});
    halo("Ghdx", "largest integer", "2147483647", {},
         [](CaseRun&) { expectScreenCovered("size-largest"); }, {HaloSizeRange}, {});

    const auto follow = [&](const char* column, const char* kind, const std::string& literal,
                            std::vector<QString> atStart, bool followSetUp,
                            std::function<void(CaseRun&)> look, std::vector<QString> onSave,
                            Stored stored) {
        cases.push_back({std::string(column) + " " + kind, setValue("GBgs", column, literal),
                         std::move(atStart), followSetUp,
                         [look](CaseRun& run) {
                             if (look)
                                 look(run);
                             saveFollowImage(run);
                         },
                         std::move(onSave), std::move(stored)});
    };
    // A picture that cannot be loaded stops the dialog before its position box is filled.
    const std::vector<QString> offsetLayoutSave{notAnInteger(OffsetBoxLayoutText)};
    follow("FileN", "NULL", "NULL", twice(cannotOpen("")), false, {}, offsetLayoutSave, {});
    follow("FileN", "text", "'chalk'", twice(cannotOpen("chalk")), false, {}, offsetLayoutSave, {});
    follow("FileN", "huge", Huge, twice(cannotOpen("1.0e+20")), false, {}, offsetLayoutSave, {});
    follow("FileN", "negative", "-1", twice(cannotOpen("-1")), false, {}, offsetLayoutSave, {});
    follow("SHu", "NULL", "NULL", unreadable(""), false, {}, offsetLayoutSave, {});
    // Read as 0: the pointer at the picture's top-left corner.
    follow(
        "SHu", "text", "'middle'", {}, true,
        [](CaseRun&) {
            Screen::x().movePointer(Pointer.x(), Pointer.y());
            EXPECT_TRUE(waitUntil(2000, [] { return followAt(Pointer, FollowSize); }));
        },
        {}, rows(ShippedHaloRow, "pic\\ring.png|0"));
    // Offsets at the integer limits put the picture far off the screen.
    for (const char* limit : {"2147483647", "-2147483648"})
        follow("SHu", limit[0] == '-' ? "smallest integer" : "largest integer", limit, {}, true,
               [](CaseRun&) {
                   Screen::x().movePointer(Pointer.x(), Pointer.y());
                   QThread::msleep(300);
                   EXPECT_FALSE(QRect(QPoint(0, 0), Screen::x().screenSize())
                                    .intersects(Screen::probe().followImage()->geometry))
                       << "the follow image stays off the screen";
               },
               {OffsetRange}, {});
    follow("SHu", "huge", Huge, unreadable(HugeLoaded), false, {}, offsetLayoutSave, {});
    // Applied as it is: the picture below and right of the pointer, 20 pixels away.
    follow("SHu", "negative", "-20", {}, true,
           [](CaseRun&) {
               Screen::x().movePointer(Pointer.x(), Pointer.y());
               EXPECT_TRUE(
                   waitUntil(2000, [] { return followAt(Pointer + QPoint(20, 20), FollowSize); }));
           },
           {OffsetRange}, {});

    // Every column at once, with numbers just past the integer sizes: 2^31 passes the library
    // and fails the conversion, 2^63 is no 64-bit integer either. The follow image stops at its
    // offset, the halo and the dialog at the colour.
    for (const char* number : {"2147483648", "9223372036854775808"}) {
        const QString loaded = std::string(number) == "2147483648" ? "2147483648" : HugeLoaded;
        cases.push_back({std::string("every column ") + number,
                         [number](CaseRun& run) {
                             run.allowNulls();
                             run.sql(std::string("Update GBtx set ColoeN = ") + number +
                                     ", TouM = " + number + ", Ghdx = " + number +
                                     "; Update GBgs set FileN = " + number + ", SHu = " + number);
                         },
                         std::vector<QString>(3, notAnInteger(loaded)),
                         false,
                         saveHalo,
                         layoutSave,
                         {}});
    }
    return cases;
}

// ---------------------------------------------------------------------------------------------
// The settings file itself.

std::vector<BadInputCase> databaseCases() {
    const auto removeFile = [](CaseRun& run) { QFile::remove(run.database()); };
    const auto haloFallback = [](CaseRun&) {
        // The halo keeps its layout: a 585 x 501 window whose top-left corner follows.
        showHalo();
        EXPECT_TRUE(waitUntil(1000, [] {
            return Screen::probe().halo()->geometry == QRect(Pointer, QSize(585, 501));
        }));
    };
    const std::string newSizeUpdate = "Update GBtx Set ColoeN='51455',Ghdx='" +
                                      std::string(NewHaloSize) + "',TouM='100' where GBtxID=1";
    return {
        {"settings file missing",
         removeFile,
         everyRead(noTable),
         false,
         haloFallback,
         {},
         FileEmpty},
        {"settings file empty",
         [](CaseRun& run) { run.writeFile("GBTest.db", {}); },
         everyRead(noTable),
         false,
         {},
         {},
         {}},
        {"settings file holds text",
         [](CaseRun& run) {
             run.writeFile("GBTest.db",
                           QByteArray("ColoeN=255\nTouM=100\nGhdx=100\n").repeated(50));
         },
         everyRead(notADatabase),
         false,
         saveHalo,
         {notAnInteger(HaloBoxLayoutText)},
         {}},
        {"settings file holds random bytes",
         [](CaseRun& run) {
             std::mt19937 random(7);
             QByteArray bytes(8192, '\0');
             for (char& b : bytes)
                 b = char(random());
             run.writeFile("GBTest.db", bytes);
         },
         everyRead(notADatabase),
         false,
         {},
         {},
         {}},
        // The program does not wait for a lock: each read fails at once. Once the lock is gone
        // the program works on with what it has.
        {"settings file locked at start",
         [](CaseRun& run) { run.lockDatabase(); },
         everyRead(lockedRead),
         false,
         [haloFallback](CaseRun& run) {
             run.unlockDatabase();
             haloFallback(run);
         },
         {},
         {}},
        {"settings file locked while saving",
         {},
         {},
         true,
         [](CaseRun& run) {
             run.lockDatabase();
             saveNewHaloSize(run);
             EXPECT_EQ(run.databaseBytes(), run.storedBefore()) << "nothing written while locked";
             run.unlockDatabase();
             saveHalo(run); // saved now, with nothing to report
         },
         {sqlError("Error executing SQL", 5, "The database file is locked", newSizeUpdate,
                   "database is locked")},
         rows("51455,200,100", ShippedFollowRow)},
        {"settings file read-only",
         [](CaseRun& run) {
             run.withoutRootRights();
             QFile::setPermissions(run.database(),
                                   QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
         },
         {},
         true,
         saveNewHaloSize,
         {sqlError("Error executing SQL statement", 8, "Attempt to write a readonly database",
                   newSizeUpdate, "attempt to write a readonly database")},
         {}},
        // The file may be written, but no journal can be made beside it.
        {"settings file in a read-only folder",
         [](CaseRun& run) {
             run.withoutRootRights();
             QFile::setPermissions(run.folder().path(), QFile::ReadOwner | QFile::ExeOwner |
                                                            QFile::ReadOther | QFile::ExeOther);
         },
         {},
         true,
         saveNewHaloSize,
         {sqlError("Error executing SQL statement", 8, "Attempt to write a readonly database",
                   newSizeUpdate, "attempt to write a readonly database")},
         {}},
        {"settings file missing from a read-only folder",
         [removeFile](CaseRun& run) {
             removeFile(run);
             run.withoutRootRights();
             QFile::setPermissions(run.folder().path(), QFile::ReadOwner | QFile::ExeOwner |
                                                            QFile::ReadOther | QFile::ExeOther);
         },
         std::vector<QString>(
             3, QStringLiteral(
                    "Failed to open database \"GBTest.db\" : unable to open database file")),
         false,
         {},
         {},
         FileMissing},
        {"follow table missing",
         [](CaseRun& run) { run.sql("Drop table GBgs"); },
         twice(noTable("GBgs")),
         false,
         saveFollowImage,
         {notAnInteger(OffsetBoxLayoutText)},
         {}},
        {"halo table missing",
         [](CaseRun& run) { run.sql("Drop table GBtx"); },
         twice(noTable("GBtx")),
         true,
         saveHalo,
         {notAnInteger(HaloBoxLayoutText)},
         {}},
        {"follow row missing",
         [](CaseRun& run) { run.sql("Delete from GBgs"); },
         twice(emptyDataset("FileN")),
         false,
         saveFollowImage,
         {notAnInteger(OffsetBoxLayoutText)},
         {}},
        {"halo row missing",
         [](CaseRun& run) { run.sql("Delete from GBtx"); },
         twice(emptyDataset("ColoeN")),
         true,
         saveHalo,
         {notAnInteger(HaloBoxLayoutText)},
         {}},
        // The row is read whatever its key, but saved to row 1, which is not there: the save
        // says nothing and changes nothing.
        {"follow row under another key",
         [](CaseRun& run) { run.sql("Update GBgs set GBgsID = 2"); },
         {},
         true,
         saveFollowImage,
         {},
         {}},
    };
}

// ---------------------------------------------------------------------------------------------
// Pictures.

const QString PictureFolder = QStringLiteral("pic/");

/// A row whose picture cannot be shown: both the follow image and the dialog report it, the
/// follow image stops before its key, size and tray icon, and the dialog before its boxes.
BadInputCase badPicture(std::string what, QString name,
                        std::function<void(CaseRun&, const QString&)> write,
                        const QString& message) {
    return {std::move(what),
            [name, write](CaseRun& run) {
                write(run, run.file(PictureFolder + name));
                run.usePicture(name);
            },
            twice(message),
            false,
            {},
            {},
            {}};
}

/// A row whose picture is good if unusual: the follow image shows its top-left corner, and a
/// save from the dialog keeps the row as it was.
BadInputCase goodPicture(std::string what, QString name, std::function<void(const QString&)> write,
                         PictureLook look) {
    const std::string shot = test::caseName(what);
    return {std::move(what),
            [name, write](CaseRun& run) {
                write(run.file(PictureFolder + name));
                run.usePicture(name);
            },
            {},
            true,
            [shot, look](CaseRun& run) {
                const std::string row = run.followRow();
                expectFollowImage(shot, look);
                saveFollowImage(run);
                EXPECT_EQ(run.followRow(), row) << "the saved row names the same picture";
            },
            {},
            {}};
}

// Flat colours, so that a picture written by the toolkit is easy to look at.
void writeFlat(const QString& path, QSize size, QRgb colour) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    if (!picture.save(path, "PNG"))
        throw std::runtime_error("cannot write " + path.toStdString());
}
PictureLook flatLook(QSize size, QRgb colour) {
    return [size, colour](int x, int y) -> std::optional<QRgb> {
        if (x >= size.width() || y >= size.height())
            return std::nullopt;
        return shown(colour);
    };
}

std::vector<BadInputCase> pictureCases() {
    std::vector<BadInputCase> cases;
    const auto bytes = [](QByteArray content) {
        return [content](CaseRun&, const QString& path) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(content);
        };
    };
    cases.push_back(badPicture(
        "picture missing", "gone.png", [](CaseRun&, const QString&) {},
        cannotOpen("pic/gone.png")));
    cases.push_back(badPicture("picture empty", "empty.png", bytes({}), notPng("pic/empty.png")));
    cases.push_back(badPicture(
        "picture cut short", "cut.png",
        [](CaseRun&, const QString& path) {
            test::TestPicture(PNG_COLOR_TYPE_RGB, 8, 300, 300, [](int x, int y, int c) {
                return (noise(x, y) >> (8 * c)) & 0xff;
            }).write(path);
            QFile file(path);
            file.resize(file.size() / 2);
        },
        damaged("pic/cut.png", "Read Error")));
    cases.push_back(badPicture("picture is text", "notes.png",
                               bytes("This is no picture, only words.\n"),
                               notPng("pic/notes.png")));
    cases.push_back(badPicture(
        "picture is a JPEG", "snapshot.png",
        [](CaseRun&, const QString& path) {
            QImage image(64, 64, QImage::Format_RGB32);
            image.fill(qRgb(200, 40, 40));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(test::encodeJpeg(image));
        },
        notPng("pic/snapshot.png")));
    cases.push_back(badPicture(
        "picture header claims 16384x3900", "claims.png",
        [](CaseRun&, const QString& path) {
            test::TestPicture::writeHeaderOnly(path, 16384, 3900);
        },
        damaged("pic/claims.png", "Read Error")));
    cases.push_back(badPicture(
        "picture header claims 65536 wide", "wide.png",
        [](CaseRun&, const QString& path) { test::TestPicture::writeHeaderOnly(path, 65536, 2); },
        damaged("pic/wide.png", "Read Error")));
    cases.push_back(badPicture(
        "picture header claims 65537 wide", "wider.png",
        [](CaseRun&, const QString& path) { test::TestPicture::writeHeaderOnly(path, 65537, 2); },
        QStringLiteral("The picture \"pic/wider.png\" is too large (65537 x 2 pixels); pictures up "
                       "to 65536 pixels wide and 1000000 pixels high are supported")));
    cases.push_back(badPicture(
        "picture is a folder", "folder.png",
        [](CaseRun&, const QString& path) { QDir().mkpath(path); },
        QStringLiteral("Cannot read the picture file \"pic/folder.png\": Is a directory")));

    // 16-bit RGBA, whose samples scale to the 8-bit values c * 257 / 257; a transparent square.
    const auto rgba16 = [](int x, int y) -> std::optional<QRgb> {
        if (x >= 200 || y >= 150 || (x >= 10 && x < 30 && y >= 10 && y < 30))
            return std::nullopt;
        return shown(qRgb((x * 2) & 0xff, (y * 2) & 0xff, 0x40));
    };
    cases.push_back(goodPicture(
        "picture 16-bit", "deep.png",
        [](const QString& path) {
            test::TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 16, 200, 150,
                              [](int x, int y, int c) -> unsigned {
                                  const bool hole = x >= 10 && x < 30 && y >= 10 && y < 30;
                                  const unsigned v[4] = {unsigned(x * 2) & 0xff,
                                                         unsigned(y * 2) & 0xff, 0x40,
                                                         hole ? 0u : 0xffu};
                                  return v[c] * 257;
                              })
                .write(path);
        },
        rgba16));
    // Four palette entries in diagonal bands, the third fully transparent through tRNS.
    const std::vector<QRgb> palette{qRgb(220, 30, 30), qRgb(30, 200, 60), qRgb(0, 0, 255),
                                    qRgb(250, 220, 0)};
    cases.push_back(goodPicture(
        "picture palette with transparency", "palette.png",
        [palette](const QString& path) {
            std::vector<png_color> entries;
            for (QRgb c : palette)
                entries.push_back({png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
            test::TestPicture(PNG_COLOR_TYPE_PALETTE, 8, 100, 100,
                              [](int x, int y, int) { return unsigned((x / 25 + y / 25) % 4); })
                .withPalette(entries)
                .withPaletteAlpha({255, 255, 0})
                .write(path);
        },
        [palette](int x, int y) -> std::optional<QRgb> {
            const int index = (x / 25 + y / 25) % 4;
            if (x >= 100 || y >= 100 || index == 2)
                return std::nullopt;
            return shown(palette[index]);
        }));
    const auto gradient = [](int x, int y) { return qRgb(x & 0xff, y & 0xff, (x * 3 + y) & 0xff); };
    cases.push_back(goodPicture(
        "picture interlaced", "interlaced.png",
        [gradient](const QString& path) {
            test::TestPicture(PNG_COLOR_TYPE_RGB, 8, 150, 130,
                              [gradient](int x, int y, int c) {
                                  const QRgb p = gradient(x, y);
                                  return unsigned(c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p));
                              })
                .interlaced()
                .write(path);
        },
        [gradient](int x, int y) -> std::optional<QRgb> {
            if (x >= 150 || y >= 130)
                return std::nullopt;
            return shown(gradient(x, y));
        }));
    // Grey levels in bands; where the level is exactly 128 the picture is the keyed-out gray.
    cases.push_back(goodPicture(
        "picture grey", "grey.png",
        [](const QString& path) {
            test::TestPicture(PNG_COLOR_TYPE_GRAY, 8, 90, 90, [](int x, int y, int) {
                return unsigned((x + 2 * y) & 0xff);
            }).write(path);
        },
        [](int x, int y) -> std::optional<QRgb> {
            if (x >= 90 || y >= 90)
                return std::nullopt;
            const int v = (x + 2 * y) & 0xff;
            return shown(qRgb(v, v, v));
        }));
    cases.push_back(goodPicture(
        "picture 1x1", "dot.png",
        [](const QString& path) {
            writeFlat(path, {1, 1}, qRgb(240, 10, 90));
        },
        flatLook({1, 1}, qRgb(240, 10, 90))));
    cases.push_back(goodPicture(
        "picture 4000x3000 photo", "photo.png",
        [](const QString& path) {
            test::TestPicture(PNG_COLOR_TYPE_RGB, 8, 4000, 3000, [](int x, int y, int c) {
                return (noise(x, y) >> (8 * (2 - c))) & 0xff;
            }).write(path);
        },
        [](int x, int y) { return shown(noise(x, y)); }));
    cases.push_back(goodPicture(
        "picture name with an apostrophe", "teacher's.png",
        [](const QString& path) {
            writeFlat(path, {50, 40}, 0xc03060);
        },
        flatLook({50, 40}, 0xc03060)));
    cases.push_back(goodPicture(
        "picture name in Chinese", QStringLiteral("图片.png"),
        [](const QString& path) {
            writeFlat(path, {70, 30}, 0x30c060);
        },
        flatLook({70, 30}, 0x30c060)));
    cases.push_back(goodPicture(
        "picture name with spaces", "my pointer picture.png",
        [](const QString& path) {
            writeFlat(path, {30, 60}, 0xe0a020);
        },
        flatLook({30, 60}, 0xe0a020)));
    return cases;
}

std::vector<BadInputCase> allCases() {
    std::vector<BadInputCase> cases = databaseCases();
    for (auto part : {valueCases(), pictureCases()})
        cases.insert(cases.end(), part.begin(), part.end());
    return cases;
}

// ---------------------------------------------------------------------------------------------

class BadInput : public SharedDesktop, public ::testing::WithParamInterface<BadInputCase> {
protected:
    void SetUp() override {
        x().movePointer(100, 100);
        m_beneath = x().createTestWindow(BeneathRect, Beneath);
    }
    void TearDown() override {
        m_run.reset();
        x().destroyWindow(m_beneath);
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    std::unique_ptr<CaseRun> m_run = std::make_unique<CaseRun>();
    unsigned long m_beneath = 0;
};

TEST_P(BadInput, IsReportedOrBorneAndTheProgramGoesOn) {
    const BadInputCase& c = GetParam();
    CaseRun& run = *m_run;
    if (c.prepare) {
        ASSERT_NO_FATAL_FAILURE(c.prepare(run));
    }
    run.keepStoredBytes();

    run.program = std::make_unique<KeruloProcess>(display(), run.folder(), run.launch());
    const std::vector<QString> atStart = Outside::collectBoxes(
        [&run] {
            return !run.program->running() ||
                   (probe().toolbar().has_value() && probe().followImage().has_value());
        },
        300);
    if (!run.program->running()) {
        const int exit = run.program->waitForExit(0);
        if (run.launch().user && exit == 127)
            GTEST_SKIP() << "the program cannot be run as another user here";
        FAIL() << "the program ended at start-up with " << exit << ": "
               << run.program->output().toStdString();
    }
    EXPECT_EQ(Outside::shown(atStart), Outside::shown(c.atStart)) << "boxes at start-up";

    const std::optional<XWindowInfo> follow = probe().followImage();
    ASSERT_TRUE(follow);
    EXPECT_EQ(follow->geometry.size(), c.followSetUp ? FollowSize : UnfinishedFollowSize);
    if (!c.followSetUp) {
        x().movePointer(Pointer.x(), Pointer.y());
        QThread::msleep(200);
        const QRect area = probe().followImage()->geometry;
        const QImage screen = x().grab(area);
        int drawn = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int px = 0; px < screen.width(); ++px)
                drawn += (screen.pixel(px, y) & 0xffffff) != Beneath;
        EXPECT_EQ(drawn, 0) << "the follow image shows nothing";
    }

    if (c.drive)
        c.drive(run);
    EXPECT_EQ(Outside::shown(run.driveBoxes), Outside::shown(c.whileDriven))
        << "boxes while driven";

    // Still there, still obeying: the toolbar's close command ends it normally.
    ASSERT_TRUE(run.program->running()) << run.program->output().toStdString();
    probe().clickToolbarPanel(Panel::Close);
    EXPECT_EQ(run.program->waitForExit(5000), 0) << run.program->output().toStdString();
    const std::string output = run.program->output().toStdString();
    EXPECT_EQ(output, "") << "nothing written to the terminal";

    const QFileInfo stored(run.database());
    switch (c.stored.kind) {
    case Stored::Unchanged:
        EXPECT_EQ(run.databaseBytes(), run.storedBefore()) << "the settings file is unchanged";
        break;
    case Stored::Missing:
        EXPECT_FALSE(stored.exists());
        break;
    case Stored::Empty:
        EXPECT_TRUE(stored.exists());
        EXPECT_EQ(stored.size(), 0);
        break;
    case Stored::Rows:
        EXPECT_EQ(run.haloRow(), c.stored.haloRow);
        EXPECT_EQ(run.followRow(), c.stored.followRow);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(E2e, BadInput, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<BadInputCase>& info) {
                             return test::caseName(info.param.what);
                         });

} // namespace
} // namespace kerulo::e2e
