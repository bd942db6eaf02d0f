#include "app/edgetoolbar.h"
#include "effects/followimagewindow.h"
#include "effects/followpicture.h"
#include "effects/halowindow.h"
#include "effects/pngdecoder.h"
#include "settings/settingsdialog.h"
#include "store/rawdatabase.h"
#include "store/sqlitedatabase.h"
#include "support/casename.h"
#include "support/windowsetfixture.h"
#include "ui/clickpanel.h"
#include "ui/layoutfonts.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kerulo {
namespace {

// The messages as the user must read them.
const QString HaloEmpty = QStringLiteral("光环大小与透明度框不能为空。");
const QString SizeRange = QStringLiteral("光环大小值不在1-600里，请重新输入。");
const QString OpacityRange = QStringLiteral("透明度值不在0-255里，请重新输入。");
const QString OffsetEmpty = QStringLiteral("光标显示位置不能为空。");
const QString OffsetRange = QStringLiteral("光标显示位置值不在0-130里，请重新输入。");
const QString Start = QStringLiteral("开启");
const QString Stop = QStringLiteral("停止");

// The shipped rows.
const std::string ShippedHalo = "51455,100,100";
const std::string ShippedFollow = "pic\\ring.png|65";

QImage asShown(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

class SettingsDialogTest : public test::WindowSetFixture {
protected:
    void SetUp() override {
        WindowSetFixture::SetUp();
        m_outside =
            std::make_unique<QTemporaryDir>(QStringLiteral(KERULO_TEST_TMP "/picked-XXXXXX"));
    }

    /// Starts the program with the dialogs answered by the test and opens the settings.
    void open() {
        start();
        answerDialogs();
        windows->edgeToolbar().openSettings();
        QCoreApplication::processEvents();
    }

    void answerDialogs() {
        dialog().setMessageShower([this](const QString& text) { messages << text; });
        dialog().setColourChooser([this](const QColor& preset) {
            colourPresets << preset;
            return colourAnswer;
        });
        dialog().setPictureChooser([this](const QString& folder) {
            pictureFolders << folder;
            return pictureAnswer;
        });
    }

    SettingsDialog& dialog() { return windows->settings(); }
    QLineEdit* box(const char* name) {
        auto* b = dialog().findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    QString text(const char* name) { return box(name)->text(); }
    ClickPanel* button(const char* name) {
        auto* b = dialog().findChild<ClickPanel*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    void click(const char* name) {
        QTest::mouseClick(button(name), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QImage preview() {
        return dialog().findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().toImage();
    }
    QImage followPicture() {
        return windows->followImage()
            .findChild<QLabel*>(QStringLiteral("Image1"))
            ->pixmap()
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    /// Types into a box as a user does: everything selected, then key by key.
    void type(const char* name, const QString& keys) {
        QLineEdit* b = box(name);
        b->setFocus();
        QTest::keyClick(b, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(b, keys);
    }
    /// Replaces a box's text with a paste (Ctrl+V) of the clipboard.
    void paste(const char* name, const QString& clip) {
        QApplication::clipboard()->setText(clip);
        QLineEdit* b = box(name);
        b->setFocus();
        QTest::keyClick(b, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(b, Qt::Key_V, Qt::ControlModifier);
    }

    static std::string haloRow() {
        return test::RawDatabase("GBTest.db").text("Select ColoeN||','||Ghdx||','||TouM from GBtx");
    }
    static std::string followRow() {
        return test::RawDatabase("GBTest.db").text("Select FileN||'|'||SHu from GBgs");
    }
    QByteArray databaseBytes() const {
        QFile file(runFolder.file(QStringLiteral("GBTest.db")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// A picture of one colour, written where the test says.
    static QString writePicture(const QString& path, QColor colour, QSize size = {40, 30}) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
        return path;
    }
    QString outside(const QString& name) const { return m_outside->filePath(name); }
    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList messages;
    std::optional<QColor> colourAnswer;
    QList<QColor> colourPresets;
    std::optional<QString> pictureAnswer;
    QStringList pictureFolders;
    std::unique_ptr<QTemporaryDir> m_outside;
};

// ---- the stored layout --------------------------------------------------------------------

struct Placed {
    const char* name;
    QRect geometry; // inside the parent
    const char* text;
};

const Placed Boxes[] = {
    {"Edit1", {40, 32, 57, 21}, "当前颜色"},
    {"Edit2", {104, 64, 65, 21}, "100"},
    {"Edit3", {104, 96, 65, 21}, "100"},
    {"Edit4", {96, 144, 49, 21}, "65"},
    {"Edit5", {272, 104, 73, 21}, "pic\\ring.png"},
};
const Placed Buttons[] = {
    {"Ppa1", {144, 120, 50, 25}, "保存"},   {"Ppa2", {224, 120, 50, 25}, "开启"},
    {"Papic3", {272, 48, 50, 25}, "浏览"},  {"Papic1", {160, 168, 50, 25}, "保存"},
    {"Papic2", {240, 168, 50, 25}, "开启"},
};

struct LabelCase {
    const char* name;
    QPoint place;
    const char* text;
    int pixelSize;
};

const LabelCase Labels[] = {
    {"PPLabel1", {0, 0}, "光标特效背景", 21},
    {"Label5", {152, 40}, "双击左边颜色框更改颜色。", 13},
    {"Label1", {24, 64}, "光环大小", 16},
    {"Label2", {176, 64}, "（取值范围：1-600）", 13},
    {"Label3", {24, 96}, "光环透明度", 16},
    {"Label4", {176, 96}, "（取值范围：0-255）", 13},
    {"Label6", {0, 0}, "光标跟随图", 21},
    {"Label9", {16, 56}, "更换光标图片:", 16},
    {"Label7", {0, 144}, "光标显示位置", 16},
    {"Label8", {152, 144}, "（取值范围：0-130，其中65居中）", 13},
};

// Every character must come out of some installed font; glyph 0 is the empty box a font draws
// for what it does not have.
bool hasEveryGlyph(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        if (run.glyphIndexes().contains(0))
            return false;
    return true;
}

// Whether one of the Chinese fonts the layout names is installed. Without one a width measured
// says nothing about the text on screen: Qt's offscreen platform on Windows reads no fonts of the
// system's (only those of Qt's own fonts folder, which the build has none in), and there every
// character is drawn and measured as a box as wide as the font is high.
bool layoutFontInstalled() {
    const QStringList families = LayoutFonts::songTi(12).families();
    return std::any_of(families.begin(), families.end(),
                       [](const QString& family) { return QFontDatabase::hasFamily(family); });
}

const char* const NoLayoutFont = "none of the layout's Chinese fonts is installed, so no text "
                                 "can be measured (Qt's offscreen platform on Windows)";

TEST_F(SettingsDialogTest, StandsAsStored) {
    open();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("综合设置"));
    EXPECT_EQ(dialog().objectName(), QStringLiteral("Form4"));
    EXPECT_EQ(dialog().pos(), QPoint(325, 197));
    EXPECT_FALSE(dialog().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog().palette().color(QPalette::Window), QColor(240, 240, 240));

    const std::pair<const char*, QRect> groups[] = {{"PP1", {8, 16, 361, 153}},
                                                    {"PP2", {8, 176, 361, 201}}};
    for (const auto& [name, place] : groups) {
        auto* group = dialog().findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(group, nullptr) << name;
        EXPECT_EQ(group->geometry(), place) << name;
        EXPECT_TRUE(dialog().rect().contains(place)) << name << " is cut off by the window";
    }
    for (const Placed& b : Boxes) {
        EXPECT_EQ(box(b.name)->geometry(), b.geometry) << b.name;
        EXPECT_EQ(text(b.name), QString::fromUtf8(b.text)) << b.name;
    }
    EXPECT_FALSE(box("Edit5")->isVisible()) << "the path box is hidden";
    for (const Placed& b : Buttons) {
        EXPECT_EQ(button(b.name)->geometry(), b.geometry) << b.name;
        EXPECT_EQ(button(b.name)->text(), QString::fromUtf8(b.text)) << b.name;
        EXPECT_EQ(button(b.name)->palette().color(QPalette::Window), QColor(128, 128, 128));
        EXPECT_TRUE(hasEveryGlyph(button(b.name)->text(), button(b.name)->font())) << b.name;
        const QFontMetrics metrics(button(b.name)->font());
        EXPECT_LE(metrics.horizontalAdvance(button(b.name)->text()), button(b.name)->width() - 4);
        EXPECT_LE(metrics.height(), button(b.name)->height() - 4) << b.name;
    }
    auto* image = dialog().findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(128, 0, 128, 128));
    EXPECT_EQ(image->parentWidget()->objectName(), QStringLiteral("PP2"));
}

TEST_F(SettingsDialogTest, LabelsAreWhereStoredInTheirFontAndShowTheirWholeText) {
    open();
    for (const LabelCase& c : Labels) {
        auto* label = dialog().findChild<QLabel*>(QString::fromLatin1(c.name));
        ASSERT_NE(label, nullptr) << c.name;
        EXPECT_EQ(label->pos(), c.place) << c.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(label->font().families().value(0), QStringLiteral("宋体")) << c.name;
        EXPECT_EQ(label->font().pixelSize(), c.pixelSize) << c.name;
    }
    if (!layoutFontInstalled())
        GTEST_SKIP() << NoLayoutFont;
    for (const LabelCase& c : Labels) {
        auto* label = dialog().findChild<QLabel*>(QString::fromLatin1(c.name));
        EXPECT_TRUE(hasEveryGlyph(label->text(), label->font())) << c.name;
        const QFontMetrics metrics(label->font());
        EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << c.name;
        EXPECT_GE(label->height(), metrics.height()) << c.name;
        EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry()))
            << c.name << " is cut off by its group";
    }
}

// Whether a box shows all of its text: with the cursor at either end, the character at the
// other end of the box is the text's first or last. The box finds its scroll when it paints.
bool showsWholeText(QLineEdit& box) {
    const int middle = box.height() / 2;
    box.end(false);
    box.grab();
    const bool start = box.cursorPositionAt(QPoint(box.contentsRect().left() + 3, middle)) == 0;
    box.home(false);
    box.grab();
    const bool end =
        box.cursorPositionAt(QPoint(box.contentsRect().right() - 3, middle)) == box.text().size();
    return start && end;
}

TEST_F(SettingsDialogTest, BoxesShowTheirWholeText) {
    if (!layoutFontInstalled())
        GTEST_SKIP() << NoLayoutFont;
    open();
    for (const Placed& b : Boxes) {
        QLineEdit* e = box(b.name);
        EXPECT_TRUE(hasEveryGlyph(e->text(), e->font())) << b.name;
        EXPECT_TRUE(showsWholeText(*e)) << b.name;
    }
    // The longest colour number a picked colour gives, and the longest numbers the checks let
    // through.
    colourAnswer = QColor(255, 255, 255);
    QTest::mouseDClick(box("Edit1"), Qt::LeftButton);
    type("Edit2", QStringLiteral("600"));
    type("Edit3", QStringLiteral("255"));
    type("Edit4", QStringLiteral("130"));
    click("Ppa1");
    ASSERT_EQ(text("Edit1"), QStringLiteral("16777215"));
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4"})
        EXPECT_TRUE(showsWholeText(*box(name))) << name << " " << text(name).toStdString();
}

TEST_F(SettingsDialogTest, IsCreatedVisibleAndClosedByTheMainWindowAndClosingOnlyHidesIt) {
    start(false);
    EXPECT_TRUE(dialog().isVisible());
    windows->showMainWindow();
    EXPECT_FALSE(dialog().isVisible());

    answerDialogs();
    windows->edgeToolbar().openSettings();
    type("Edit2", QStringLiteral("321"));
    dialog().close(); // the title bar's close
    EXPECT_FALSE(dialog().isVisible());
    windows->edgeToolbar().openSettings();
    EXPECT_EQ(text("Edit2"), QStringLiteral("321")) << "the boxes stay as they were left";
    EXPECT_EQ(haloRow(), ShippedHalo);
}

// ---- creation -----------------------------------------------------------------------------

TEST_F(SettingsDialogTest, CreationFillsTheBoxesAndThePreviewFromTheDatabase) {
    open();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(dialog().haloColourNumber(), 51455);
    EXPECT_EQ(box("Edit1")->palette().color(QPalette::Base), QColor(255, 200, 0));
    EXPECT_EQ(asShown(preview()),
              asShown(PngDecoder::decodeTopLeft(runFolder.file(QStringLiteral("pic/ring.png")),
                                                FollowPictureSide)));
}

struct CreationFailure {
    const char* name;
    const char* sql;
    const char* error;              // a part of the reported text
    std::vector<const char*> texts; // Edit2 to Edit5
    bool preview;
};

void PrintTo(const CreationFailure& c, std::ostream* os) {
    *os << c.name;
}

const CreationFailure CreationFailures[] = {
    {"HaloTableMissing",
     "Drop table GBtx",
     "Select * from GBtx",
     {"Edit2", "Edit3", "Edit4", "Edit5"},
     false},
    {"FollowTableMissing",
     "Drop table GBgs",
     "Select * from GBgs",
     {"100", "100", "Edit4", "Edit5"},
     false},
    {"PictureMissing",
     "Update GBgs Set FileN='pic\\gone.png' where GBgsID=1",
     "pic/gone.png",
     {"100", "100", "Edit4", "Edit5"},
     false},
};

class SettingsDialogCreation : public SettingsDialogTest,
                               public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(SettingsDialogCreation, LeavesTheRemainingBoxesWithTheirLayoutTexts) {
    const CreationFailure& c = GetParam();
    SqliteDatabase("GBTest.db").execute(c.sql);
    open();
    // The effect windows read the same rows and report their own failures.
    EXPECT_EQ(errors.filter(QString::fromUtf8(c.error)).size(), 2)
        << errors.join('\n').toStdString();
    const char* names[] = {"Edit2", "Edit3", "Edit4", "Edit5"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(text(names[i]), QString::fromUtf8(c.texts[i])) << names[i];
    EXPECT_EQ(!preview().isNull(), c.preview);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsDialogCreation, ::testing::ValuesIn(CreationFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- typing and pasting -------------------------------------------------------------------

class NumberBoxes : public SettingsDialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NumberBoxes, KeepDigitsAndBackspaceFromTypedKeys) {
    open();
    type(GetParam(), QStringLiteral("1a:2 -3"));
    EXPECT_EQ(text(GetParam()), QStringLiteral("123"));
    QTest::keyClick(box(GetParam()), Qt::Key_Backspace);
    EXPECT_EQ(text(GetParam()), QStringLiteral("12"));
    QTest::keyClick(box(GetParam()), Qt::Key_Left);
    QTest::keyClick(box(GetParam()), Qt::Key_Delete);
    EXPECT_EQ(text(GetParam()), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Boxes, NumberBoxes, ::testing::Values("Edit2", "Edit3", "Edit4"));

struct PasteCase {
    const char* box;
    const char* pasted;
    const char* saveButton;
};

void PrintTo(const PasteCase& c, std::ostream* os) {
    *os << c.box << " \"" << c.pasted << '"';
}

const PasteCase PasteCases[] = {
    {"Edit2", "12a", "Ppa1"},   {"Edit2", "99999999999", "Ppa1"},
    {"Edit3", "12a", "Ppa1"},   {"Edit3", "99999999999", "Ppa1"},
    {"Edit4", "12a", "Papic1"}, {"Edit4", "99999999999", "Papic1"},
};

class PastedNonNumbers : public SettingsDialogTest,
                         public ::testing::WithParamInterface<PasteCase> {};

TEST_P(PastedNonNumbers, StopTheSaveWithTheConversionErrorAndSaveNothing) {
    const PasteCase& c = GetParam();
    open();
    const QByteArray before = databaseBytes();
    paste(c.box, QString::fromUtf8(c.pasted));
    ASSERT_EQ(text(c.box), QString::fromUtf8(c.pasted)) << "pasting is not filtered";
    click(c.saveButton);
    ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    EXPECT_EQ(errors[0], QStringLiteral("'%1' is not a valid integer value").arg(c.pasted));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(haloRow(), ShippedHalo);
    EXPECT_EQ(followRow(), ShippedFollow);
    EXPECT_EQ(text("Edit1"), QStringLiteral("当前颜色"))
        << "the save stopped before the colour box";
}

INSTANTIATE_TEST_SUITE_P(Cases, PastedNonNumbers, ::testing::ValuesIn(PasteCases),
                         [](const auto& info) {
                             return test::caseName(std::string(info.param.box) + " " +
                                                   info.param.pasted);
                         });

// ---- saving -------------------------------------------------------------------------------

struct SaveCase {
    const char* size;
    const char* opacity;
    const char* offset;
    QString haloMessage;   // empty: saved
    QString followMessage; // empty: saved
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << "size \"" << c.size << "\", opacity \"" << c.opacity << "\", offset \"" << c.offset
        << '"';
}

// Values are pasted, since "-1" cannot be typed.
const SaveCase SaveCases[] = {
    {"0", "100", "0", SizeRange, {}},
    {"1", "0", "130", {}, {}},
    {"600", "255", "131", {}, OffsetRange},
    {"601", "100", "-1", SizeRange, OffsetRange},
    {"100", "256", "", OpacityRange, OffsetEmpty},
    {"100", "-1", " ", OpacityRange, OffsetEmpty},
    {"-5", "100", "65", SizeRange, {}},
    {"", "100", "65", HaloEmpty, {}},
    {"100", "", "65", HaloEmpty, {}},
};

class Saving : public SettingsDialogTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(Saving, ShowsTheMessageAndSavesNothingOrWritesTheRow) {
    const SaveCase& c = GetParam();
    open();
    paste("Edit2", QString::fromUtf8(c.size));
    paste("Edit3", QString::fromUtf8(c.opacity));
    paste("Edit4", QString::fromUtf8(c.offset));

    click("Ppa1");
    const QStringList haloMessages =
        c.haloMessage.isEmpty() ? QStringList{} : QStringList{c.haloMessage};
    EXPECT_EQ(messages, haloMessages);
    EXPECT_EQ(haloRow(), c.haloMessage.isEmpty() ? "51455," + std::string(c.size) + "," + c.opacity
                                                 : ShippedHalo);
    messages.clear();
    click("Papic1");
    const QStringList followMessages =
        c.followMessage.isEmpty() ? QStringList{} : QStringList{c.followMessage};
    EXPECT_EQ(messages, followMessages);
    EXPECT_EQ(followRow(),
              c.followMessage.isEmpty() ? "pic\\ring.png|" + std::string(c.offset) : ShippedFollow);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, Saving, ::testing::ValuesIn(SaveCases), [](const auto& info) {
    return test::caseName(std::string("size ") + info.param.size + " opacity " +
                              info.param.opacity + " offset " + info.param.offset,
                          info.index);
});

TEST_F(SettingsDialogTest, HaloSaveWritesTheExactRowAndTheColourBoxShowsTheNumber) {
    open();
    colourAnswer = QColor(255, 0, 0);
    QTest::mouseDClick(box("Edit1"), Qt::LeftButton);
    ASSERT_EQ(colourPresets, QList<QColor>{QColor(255, 200, 0)})
        << "the dialog starts at the colour";
    EXPECT_EQ(box("Edit1")->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(text("Edit1"), QStringLiteral("当前颜色"));
    EXPECT_EQ(haloRow(), ShippedHalo) << "picking a colour saves nothing";

    type("Edit2", QStringLiteral("200"));
    type("Edit3", QStringLiteral("128"));
    click("Ppa1");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(text("Edit1"), QStringLiteral("255"));
    EXPECT_EQ(haloRow(), "255,200,128");
    EXPECT_EQ(test::RawDatabase("GBTest.db").text("Select count(*) from GBtx"), "1");
}

TEST_F(SettingsDialogTest, ACancelledColourDialogKeepsTheColour) {
    open();
    colourAnswer = std::nullopt;
    QTest::mouseDClick(box("Edit1"), Qt::LeftButton);
    EXPECT_EQ(colourPresets.size(), 1);
    click("Ppa1");
    EXPECT_EQ(text("Edit1"), QStringLiteral("51455"));
    EXPECT_EQ(haloRow(), ShippedHalo);
}

TEST_F(SettingsDialogTest, FollowImageSaveWritesTheExactRow) {
    open();
    pictureAnswer = runFolder.file(QStringLiteral("pic/arrow.png"));
    click("Papic3");
    type("Edit4", QStringLiteral("30"));
    click("Papic1");
    EXPECT_EQ(followRow(), "pic\\arrow.png|30");
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\arrow.png"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// ---- starting and stopping ----------------------------------------------------------------

TEST_F(SettingsDialogTest, HaloStartAppliesTheSavedSettingsAtOnce) {
    open();
    platform.movePointer({500, 400});
    colourAnswer = QColor(255, 0, 0);
    QTest::mouseDClick(box("Edit1"), Qt::LeftButton);
    type("Edit2", QStringLiteral("200"));
    type("Edit3", QStringLiteral("128"));
    click("Ppa1");
    ASSERT_TRUE(windows->followImage().isVisible());

    click("Ppa2");
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    HaloWindow& halo = windows->halo();
    EXPECT_EQ(button("Ppa2")->text(), Stop);
    EXPECT_TRUE(halo.isVisible());
    EXPECT_FALSE(windows->followImage().isVisible());
    EXPECT_EQ(halo.size(), QSize(200, 200));
    EXPECT_EQ(halo.colour(), QColor(255, 0, 0));
    EXPECT_EQ(halo.alphaValue(), 128);
    EXPECT_EQ(halo.mask(), QRegion(0, 0, 200, 200, QRegion::Ellipse));
    EXPECT_EQ(halo.haloSize(), 200);
    EXPECT_EQ(halo.pos(), QPoint(400, 300)) << "centred before the pointer moves again";
    EXPECT_TRUE(dialog().isVisible());

    click("Ppa2");
    EXPECT_EQ(button("Ppa2")->text(), Start);
    EXPECT_FALSE(halo.isVisible());
}

TEST_F(SettingsDialogTest, StartsReadTheDatabaseNotTheBoxes) {
    open();
    type("Edit2", QStringLiteral("300"));
    type("Edit4", QStringLiteral("10"));
    pictureAnswer = runFolder.file(QStringLiteral("pic/arrow.png"));
    click("Papic3");
    click("Ppa2");
    EXPECT_EQ(windows->halo().size(), QSize(100, 100));
    click("Papic2");
    EXPECT_EQ(windows->followImage().cursorOffset(), 65);
    EXPECT_EQ(followPicture(), loadFollowPicture(runFolder.file(QStringLiteral("pic/ring.png"))));
    EXPECT_EQ(text("Edit2"), QStringLiteral("300"));
    EXPECT_EQ(text("Edit4"), QStringLiteral("10"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SettingsDialogTest, FollowImageStartAppliesTheSavedOffsetAndPictureAndKeepsTheDialog) {
    open();
    platform.movePointer({500, 400});
    windows->edgeToolbar().showHalo();
    windows->edgeToolbar().openSettings();
    const QString star = writePicture(outside(QStringLiteral("star.png")), QColor(0, 160, 60));
    pictureAnswer = star;
    click("Papic3");
    type("Edit4", QStringLiteral("30"));
    click("Papic1");

    click("Papic2");
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    FollowImageWindow& follow = windows->followImage();
    EXPECT_EQ(button("Papic2")->text(), Stop);
    EXPECT_TRUE(follow.isVisible());
    EXPECT_FALSE(windows->halo().isVisible());
    EXPECT_EQ(follow.cursorOffset(), 30);
    EXPECT_EQ(follow.pos(), QPoint(470, 370)) << "placed before the pointer moves again";
    EXPECT_EQ(followPicture(), loadFollowPicture(star));
    EXPECT_TRUE(dialog().isVisible()) << "shown again after the follow image closed it";

    click("Papic2");
    EXPECT_EQ(button("Papic2")->text(), Start);
    EXPECT_FALSE(follow.isVisible());
}

TEST_F(SettingsDialogTest, EachStartHidesTheOtherEffectAndLeavesItsCaption) {
    open();
    click("Ppa2");
    click("Papic2");
    EXPECT_FALSE(windows->halo().isVisible());
    EXPECT_TRUE(windows->followImage().isVisible());
    EXPECT_EQ(button("Ppa2")->text(), Stop);
    // The next click on the halo's button only resets its caption.
    click("Ppa2");
    EXPECT_EQ(button("Ppa2")->text(), Start);
    EXPECT_FALSE(windows->halo().isVisible());
    EXPECT_TRUE(windows->followImage().isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SettingsDialogTest, AFailedStartKeepsWhatItHadDone) {
    open();
    click("Ppa2");
    ASSERT_TRUE(windows->halo().isVisible());
    SqliteDatabase("GBTest.db").execute("Update GBgs Set FileN='pic\\gone.png' where GBgsID=1");
    click("Papic2");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("pic/gone.png"))) << errors[0].toStdString();
    EXPECT_EQ(button("Papic2")->text(), Stop);
    EXPECT_FALSE(windows->halo().isVisible());
    EXPECT_FALSE(windows->followImage().isVisible());
}

// ---- browsing -----------------------------------------------------------------------------

TEST_F(SettingsDialogTest, BrowsingOpensInThePictureFolderAndCancellingChangesNothing) {
    open();
    const QImage before = preview();
    const QString cwd = QDir::currentPath();
    pictureAnswer = std::nullopt;
    click("Papic3");
    EXPECT_EQ(pictureFolders, QStringList{QDir(runFolder.path()).absoluteFilePath("pic")});
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\ring.png"));
    EXPECT_EQ(preview(), before);
    EXPECT_EQ(QDir::currentPath(), cwd);
    click("Papic1");
    EXPECT_EQ(followRow(), ShippedFollow);
    EXPECT_EQ(QDir(runFolder.file("pic")).entryList(QDir::Files),
              (QStringList{"arrow.png", "hand.png", "ring.png"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SettingsDialogTest, APickedFileThatIsNoPictureShowsTheErrorAndKeepsItsName) {
    open();
    const QImage before = preview();
    const QString notes = outside(QStringLiteral("notes.png"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    pictureAnswer = notes;
    click("Papic3");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("notes.png\" is not a PNG picture")))
        << errors[0].toStdString();
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\notes.png"));
    EXPECT_EQ(preview(), before);
}

// A stored name finds only pictures in the run folder's pic folder: one picked elsewhere is
// copied there on saving, so that it is what the follow image shows, also after a restart.
TEST_F(SettingsDialogTest, APicturePickedOutsideThePictureFolderIsCopiedAndShowsAfterARestart) {
    open();
    const QString star = writePicture(outside(QStringLiteral("star.png")), QColor(200, 30, 90));
    pictureAnswer = star;
    click("Papic3");
    EXPECT_EQ(asShown(preview()), asShown(PngDecoder::decodeTopLeft(star, FollowPictureSide)));
    EXPECT_FALSE(QFile::exists(runFolder.file("pic/star.png")))
        << "nothing is copied before saving";
    click("Papic1");
    EXPECT_EQ(bytesOf(runFolder.file("pic/star.png")), bytesOf(star));
    EXPECT_EQ(followRow(), "pic\\star.png|65");
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    QFile::remove(star);
    windows.reset();
    start();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(windows->hasTrayIcon());
    EXPECT_EQ(followPicture(), loadFollowPicture(runFolder.file("pic/star.png")));
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\star.png"));
    EXPECT_EQ(asShown(preview()), asShown(PngDecoder::decodeTopLeft(runFolder.file("pic/star.png"),
                                                                    FollowPictureSide)));
}

TEST_F(SettingsDialogTest, APictureOfATakenNameGetsAFreeOneAndReplacesNothing) {
    open();
    const QByteArray shippedRing = bytesOf(runFolder.file("pic/ring.png"));
    for (const auto& [colour, stored] : {std::pair{QColor(10, 20, 30), "ring (2).png"},
                                         std::pair{QColor(40, 50, 60), "ring (3).png"}}) {
        const QString ring = writePicture(outside(QStringLiteral("ring.png")), colour);
        pictureAnswer = ring;
        click("Papic3");
        click("Papic1");
        EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\") + stored);
        EXPECT_EQ(followRow(), "pic\\" + std::string(stored) + "|65");
        EXPECT_EQ(bytesOf(runFolder.file(QStringLiteral("pic/") + stored)), bytesOf(ring));
    }
    EXPECT_EQ(bytesOf(runFolder.file("pic/ring.png")), shippedRing);

    click("Papic2");
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(followPicture(), loadFollowPicture(runFolder.file("pic/ring (3).png")));
}

class PictureNames : public SettingsDialogTest,
                     public ::testing::WithParamInterface<const char*> {};

TEST_P(PictureNames, RoundTripThroughTheDatabase) {
    const QString name = QString::fromUtf8(GetParam());
    open();
    const QString picked = writePicture(outside(name), QColor(90, 90, 250));
    pictureAnswer = picked;
    click("Papic3");
    click("Papic1");
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(followRow(), ("pic\\" + name + "|65").toStdString());

    windows.reset();
    start();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(text("Edit5"), "pic\\" + name);
    EXPECT_EQ(followPicture(), loadFollowPicture(picked));
}

INSTANTIATE_TEST_SUITE_P(Names, PictureNames,
                         ::testing::Values("it's.png", "光标图片.png", "老师's 图 (1).png"),
                         [](const auto& info) { return test::caseName("name", info.index); });

// ---- the real dialogs ---------------------------------------------------------------------

// Runs `answer` on the modal dialog of type T once its own event loop runs; gives up after a
// while, leaving `seen` false. A dialog answered before its loop has started would wait for
// an answer forever.
template <typename T> void whenModal(std::function<void(T&)> answer, bool* seen, int tries = 500) {
    QTimer::singleShot(10, [answer, seen, tries] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && QThread::currentThread()->loopLevel() > 0) {
            *seen = true;
            answer(*dialog);
        } else if (tries > 0) {
            whenModal<T>(answer, seen, tries - 1);
        }
    });
}

TEST_F(SettingsDialogTest, TheFileDialogShowsPngFilesOfThePictureFolderAndLeavesTheCurrentFolder) {
    open();
    dialog().setPictureChooser({});
    const QString cwd = QDir::currentPath();
    const QString star = writePicture(outside(QStringLiteral("star.png")), QColor(1, 2, 3));
    bool seen = false;
    QStringList filters;
    QString folder;
    bool native = true;
    whenModal<QFileDialog>(
        [&](QFileDialog& d) {
            filters = d.nameFilters();
            folder = d.directory().absolutePath();
            native = !d.testOption(QFileDialog::DontUseNativeDialog);
            // Typed in full, as a user does: a picked file in another folder would be looked
            // up in the folder the dialog still shows while it changes folders.
            auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) {
                d.reject();
                return;
            }
            name->setText(star);
            static_cast<QDialog&>(d).accept();
        },
        &seen);
    click("Papic3");
    ASSERT_TRUE(seen);
    EXPECT_EQ(filters, QStringList{QStringLiteral("PNG文件 (*.png)")});
    EXPECT_EQ(folder, QDir(runFolder.file("pic")).canonicalPath());
    EXPECT_FALSE(native);
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\star.png"));
    EXPECT_EQ(QDir::currentPath(), cwd);

    seen = false;
    whenModal<QFileDialog>([](QFileDialog& d) { d.reject(); }, &seen);
    click("Papic3");
    ASSERT_TRUE(seen);
    EXPECT_EQ(text("Edit5"), QStringLiteral("pic\\star.png"));
    click("Papic1");
    EXPECT_EQ(followRow(), "pic\\star.png|65");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SettingsDialogTest, TheColourDialogGivesTheColourBoxItsColour) {
    open();
    dialog().setColourChooser({});
    bool seen = false;
    QColor preset;
    whenModal<QColorDialog>(
        [&](QColorDialog& d) {
            preset = d.currentColor();
            d.setCurrentColor(QColor(0, 0, 255));
            d.accept();
        },
        &seen);
    QTest::mouseDClick(box("Edit1"), Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_EQ(preset, QColor(255, 200, 0));
    EXPECT_EQ(dialog().haloColourNumber(), 16711680);
}

TEST_F(SettingsDialogTest, CheckMessagesComeInAModalBoxWithAnOkButton) {
    open();
    dialog().setMessageShower({});
    paste("Edit2", QStringLiteral("601"));
    bool seen = false;
    QString shown;
    QStringList buttons;
    whenModal<QMessageBox>(
        [&](QMessageBox& box) {
            shown = box.text();
            for (QAbstractButton* b : box.buttons())
                buttons << b->text().remove('&');
            box.button(QMessageBox::Ok)->click();
        },
        &seen);
    click("Ppa1");
    ASSERT_TRUE(seen);
    EXPECT_EQ(shown, SizeRange);
    EXPECT_EQ(buttons, QStringList{"OK"});
    EXPECT_EQ(haloRow(), ShippedHalo);
}

} // namespace
} // namespace kerulo
