// The settings dialog on a real desktop: opened from the toolbar, typed into, saved and
// applied, and its file dialog driven by the keyboard.
#include "desktoptest.h"
#include "settingsplaces.h"
#include "store/rawdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kerulo::e2e {
namespace {

using namespace InSettings;

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

class SettingsOnDesktop : public DesktopTest<> {
protected:
    void SetUp() override {
        x().movePointer(100, 100);
        m_folder = std::make_unique<test::RunFolder>();
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder);
        ASSERT_TRUE(waitUntil(10000, [] { return probe().toolbar().has_value(); }))
            << m_kerulo->output().toStdString();
        ASSERT_TRUE(waitUntil(3000, [] { return probe().followImage().has_value(); }));
    }
    void TearDown() override {
        m_kerulo.reset();
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    static std::optional<XWindowInfo> dialog() { return probe().mappedNamed(Caption, false); }

    /// Opens the dialog from the toolbar; its client area on the screen.
    QRect openDialog() {
        probe().clickToolbarPanel(Panel::Settings);
        EXPECT_TRUE(waitUntil(3000, [] { return dialog().has_value(); }));
        QThread::msleep(400);
        return dialog() ? dialog()->geometry : QRect();
    }

    /// Types text key by key as a keyboard does; letters, digits and the characters of paths.
    static void typeText(const QString& text) {
        for (const QChar c : text) {
            const char ascii = c.toLatin1();
            const bool shifted = c.isUpper() || ascii == '_' || ascii == ':';
            std::string keysym;
            if (c.isLetterOrNumber() && ascii != 0)
                keysym = std::string(1, char(c.toLower().toLatin1()));
            else if (ascii == '/')
                keysym = "slash";
            else if (ascii == '.')
                keysym = "period";
            else if (ascii == '-' || ascii == '_')
                keysym = "minus";
            else if (ascii == ' ')
                keysym = "space";
            else if (ascii == ':')
                keysym = "semicolon";
            else
                FAIL() << "no key for '" << QString(c).toStdString() << "' in "
                       << text.toStdString();
            if (shifted)
                x().key("Shift_L", true);
            x().tapKey(keysym.c_str());
            if (shifted)
                x().key("Shift_L", false);
        }
    }

    static void selectAll() {
        x().key("Control_L", true);
        x().tapKey("a");
        x().key("Control_L", false);
    }

    QByteArray databaseBytes() const {
        QFile file(m_folder->file(QStringLiteral("GBTest.db")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// Waits until the program has written the database since it held \a before. The file is
    /// watched with plain reads: a connection of our own could hold a lock just when the
    /// program writes, and the program does not wait for locks.
    bool waitForWrite(const QByteArray& before) const {
        const QString journal = m_folder->file(QStringLiteral("GBTest.db-journal"));
        return waitUntil(5000,
                         [&] { return databaseBytes() != before && !QFileInfo::exists(journal); });
    }

    std::string haloRow() const {
        return test::RawDatabase(m_folder->file("GBTest.db").toStdString())
            .waitWhenBusy(2000)
            .text("Select ColoeN||','||Ghdx||','||TouM from GBtx");
    }
    std::string followRow() const {
        return test::RawDatabase(m_folder->file("GBTest.db").toStdString())
            .waitWhenBusy(2000)
            .text("Select FileN||'|'||SHu from GBgs");
    }

    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

TEST_F(SettingsOnDesktop, ATypedHaloSizeIsSavedAndTheStartedHaloHasItOnScreen) {
    const QRect client = openDialog();
    ASSERT_FALSE(client.isEmpty());
    x().grab(client.adjusted(-10, -30, 10, 10)).save(screenshotPath("settings-dialog"));

    probe().clickAt(client.topLeft() + HaloSizeBox);
    selectAll();
    typeText(QStringLiteral("2x0:0")); // the letter and the colon are dropped
    const QByteArray before = databaseBytes();
    probe().clickAt(client.topLeft() + HaloSave);
    ASSERT_TRUE(waitForWrite(before));
    EXPECT_EQ(haloRow(), "51455,200,100");
    QThread::msleep(200);
    x().grab(client.adjusted(-10, -30, 10, 10)).save(screenshotPath("settings-dialog-saved"));

    const QPoint start = client.topLeft() + HaloStart;
    probe().clickAt(start);
    ASSERT_TRUE(waitUntil(3000, [] { return probe().halo().has_value(); }));
    EXPECT_TRUE(waitUntil(1000, [&] {
        return probe().halo()->geometry == QRect(start - QPoint(100, 100), QSize(200, 200));
    })) << "centred on the pointer at once";
    EXPECT_TRUE(waitUntil(2000, [] { return !probe().followImage().has_value(); }));

    const QPoint pointer(900, 600);
    x().movePointer(pointer.x(), pointer.y());
    ASSERT_TRUE(waitUntil(1000, [&] {
        return probe().halo()->geometry == QRect(pointer - QPoint(100, 100), QSize(200, 200));
    }));
    QThread::msleep(300);
    x().grab(QRect(pointer - QPoint(120, 120), QSize(240, 240)))
        .save(screenshotPath("settings-halo-200"));
    // The disc reaches 95 pixels from its centre; the shipped 100-pixel halo ends at 50.
    for (const QPoint offset : {QPoint(0, 0), QPoint(95, 0), QPoint(0, -95), QPoint(-70, 0)})
        EXPECT_LE(channelDistance(x().pixel(pointer.x() + offset.x(), pointer.y() + offset.y()),
                                  qRgb(255, 200, 0)),
                  0)
            << offset.x() << "," << offset.y();
    EXPECT_NE(x().pixel(pointer.x() + 80, pointer.y() + 80) & 0xffffff,
              qRgb(255, 200, 0) & 0xffffff)
        << "a corner outside the circle";
}

// The file dialog is the toolkit's own, so it is driven here as a user would: the path typed
// into its name field and Return.
TEST_F(SettingsOnDesktop, APictureTypedIntoTheFileDialogIsPreviewedCopiedAndFollowsThePointer) {
    QTemporaryDir elsewhere(QStringLiteral(KERULO_TEST_TMP "/e2e-picked-XXXXXX"));
    const QString picked = elsewhere.filePath(QStringLiteral("star.png"));
    const QRgb colour = qRgb(30, 170, 90);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(picked, "PNG"));

    const QRect client = openDialog();
    ASSERT_FALSE(client.isEmpty());
    const auto fileDialog = [] {
        for (const XWindowInfo& w : x().mappedWindowsOfClass(KeruloProbe::Class))
            if (!w.overrideRedirect && w.name != Caption && w.name != "Kerulo")
                return std::optional<XWindowInfo>(w);
        return std::optional<XWindowInfo>();
    };
    probe().clickAt(client.topLeft() + Browse);
    ASSERT_TRUE(waitUntil(5000, [&] { return fileDialog().has_value(); }));
    QThread::msleep(500);
    x().grab(fileDialog()->geometry.adjusted(-10, -30, 10, 10))
        .save(screenshotPath("settings-file-dialog"));

    typeText(picked);
    x().tapKey("Return");
    if (!waitUntil(2000, [&] { return !fileDialog().has_value(); }))
        x().tapKey("Return"); // the first Return may only close the name field's completion list
    ASSERT_TRUE(waitUntil(3000, [&] { return !fileDialog().has_value(); }));
    QThread::msleep(300);
    x().grab(client.adjusted(-10, -30, 10, 10)).save(screenshotPath("settings-dialog-picked"));
    const QPoint inPreview = client.topLeft() + Preview + QPoint(10, 10);
    EXPECT_EQ(x().pixel(inPreview.x(), inPreview.y()) & 0xffffff, colour & 0xffffff)
        << "the preview shows the picked picture";

    const QByteArray before = databaseBytes();
    probe().clickAt(client.topLeft() + FollowSave);
    ASSERT_TRUE(waitForWrite(before));
    EXPECT_EQ(followRow(), "pic\\star.png|65");
    EXPECT_TRUE(QFileInfo::exists(m_folder->file("pic/star.png")));
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(m_kerulo->processId())).symLinkTarget(),
              QDir(m_folder->path()).canonicalPath())
        << "the program stays in the folder it was started from";

    probe().clickToolbarPanel(Panel::Halo); // so that starting the follow image has work to do
    ASSERT_TRUE(waitUntil(3000, [] { return !probe().followImage().has_value(); }));
    probe().clickToolbarPanel(Panel::Settings);
    ASSERT_TRUE(waitUntil(3000, [] { return dialog().has_value(); }));
    QThread::msleep(300);
    probe().clickAt(dialog()->geometry.topLeft() + FollowStart);
    ASSERT_TRUE(waitUntil(3000, [] { return probe().followImage().has_value(); }));
    EXPECT_FALSE(probe().halo());
    EXPECT_TRUE(waitUntil(3000, [] { return dialog().has_value(); })) << "the dialog stays open";

    const QPoint pointer(1000, 700);
    x().movePointer(pointer.x(), pointer.y());
    ASSERT_TRUE(waitUntil(1000, [&] {
        return probe().followImage()->geometry.topLeft() == pointer - QPoint(65, 65);
    }));
    QThread::msleep(300);
    const QPoint onPicture = pointer - QPoint(65, 65) + QPoint(20, 15);
    EXPECT_EQ(x().pixel(onPicture.x(), onPicture.y()) & 0xffffff, colour & 0xffffff)
        << "the follow image carries the new picture";
}

} // namespace
} // namespace kerulo::e2e
