#include "app/edgetoolbar.h"
#include "app/windowset.h"
#include "help/helptext.h"
#include "help/helpwindow.h"
#include "support/windowsetfixture.h"
#include "ui/errorreporter.h"

#include <QApplication>
#include <QGlyphRun>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace kerulo {
namespace {

// The help text as the user must see it, written out here rather than taken from the program.
// Lines 2 and 3 carry ASCII quotes and commas; the rest of the punctuation is full-width.
const char* const StoredLines[] = {
    "一、Kerulo软件的用途",
    "    此软件暂起名为\"Kerulo\",意在通过此程序,使得多媒",
    "体教学过程中,教师能通过光标移动抓住学生的注意焦点，不",
    "再需要费力的晃动小小的光标去示意在这里，在那里，从而",
    "轻松的进行你的教学讲解。是教师或演讲者的好帮手。",
    "",
    "二、Kerulo软件的功能",
    "    光标特效软件主要包括三大功能：鼠标指针图像效果、",
    "鼠标指针光照效果以及电子笔。",
    "",
    "三、使用方法",
    "    使用方法特别简单，只有Esc、F7、F8三个快捷键，一",
    "用就会。",
};

QStringList storedLines() {
    QStringList lines;
    for (const char* line : StoredLines)
        lines << QString::fromUtf8(line);
    return lines;
}

void expectLines(const QStringList& actual) {
    const QStringList expected = storedLines();
    ASSERT_EQ(actual.size(), expected.size()) << actual.join('|').toStdString();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
}

class HelpWindowTest : public test::WindowSetFixture {
protected:
    void SetUp() override {
        WindowSetFixture::SetUp();
        start();
    }

    void openHelp() {
        windows->edgeToolbar().openHelp();
        QCoreApplication::processEvents();
    }

    HelpWindow& help() { return windows->help(); }
    QLabel* label1() { return help().findChild<QLabel*>(QStringLiteral("Label1")); }
    QTextEdit* richEdit1() { return help().findChild<QTextEdit*>(QStringLiteral("RichEdit1")); }
    QStringList shownLines() { return richEdit1()->toPlainText().split(QLatin1Char('\n')); }
};

TEST(HelpText, IsTheStoredTextLineByLine) {
    expectLines(helpTextLines());
}

TEST_F(HelpWindowTest, ShowsTheStoredTextLineByLine) {
    ASSERT_NE(richEdit1(), nullptr);
    expectLines(shownLines());
}

TEST_F(HelpWindowTest, IsHiddenUntilTheHelpCommand) {
    EXPECT_FALSE(help().isVisible());
    openHelp();
    EXPECT_TRUE(help().isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(HelpWindowTest, StandsAsStored) {
    openHelp();
    EXPECT_EQ(help().pos(), QPoint(230, 189));
    EXPECT_FALSE(help().windowFlags() & Qt::WindowStaysOnTopHint);

    ASSERT_NE(label1(), nullptr);
    EXPECT_EQ(label1()->text(), QStringLiteral("Kerulo软件"));
    EXPECT_EQ(label1()->pos(), QPoint(224, 32));
    const QFontMetrics title(label1()->font());
    EXPECT_GE(label1()->width(), title.horizontalAdvance(label1()->text())) << "text cut off";
    EXPECT_GE(label1()->height(), title.height()) << "text cut off";

    EXPECT_EQ(richEdit1()->geometry(), QRect(56, 112, 529, 329));
    EXPECT_EQ(richEdit1()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(richEdit1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_NE(richEdit1()->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_FALSE(richEdit1()->isReadOnly());
}

TEST_F(HelpWindowTest, UsesTheStoredFonts) {
    struct FontCase {
        const char* what;
        QFont font;
        int pixelSize;
        bool bold;
    };
    const FontCase cases[] = {
        {"Label1", label1()->font(), 29, true},
        {"RichEdit1", richEdit1()->font(), 19, false},
    };
    for (const FontCase& c : cases) {
        EXPECT_EQ(c.font.families().value(0), QStringLiteral("宋体")) << c.what;
        EXPECT_EQ(c.font.pixelSize(), c.pixelSize) << c.what;
        EXPECT_EQ(c.font.bold(), c.bold) << c.what;
    }
}

// Every character must come out of some installed font; glyph 0 is the empty box a font draws
// for what it does not have.
TEST_F(HelpWindowTest, HasAGlyphForEveryCharacter) {
    const std::pair<QFont, QStringList> texts[] = {{label1()->font(), {label1()->text()}},
                                                   {richEdit1()->font(), shownLines()}};
    for (const auto& [font, lines] : texts) {
        for (const QString& line : lines) {
            QTextLayout layout(line, font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun& run : layout.glyphRuns())
                EXPECT_FALSE(run.glyphIndexes().contains(0)) << line.toStdString();
        }
    }
}

TEST_F(HelpWindowTest, TakesTheFocusIntoTheTextWhenShown) {
    openHelp();
    help().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help()));
    EXPECT_EQ(QApplication::focusWidget(), richEdit1());
}

struct EnterCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

void PrintTo(const EnterCase& c, std::ostream* os) {
    *os << c.name;
}

// Shift+Return would otherwise break the line inside the paragraph.
const EnterCase EnterCases[] = {
    {"Return", Qt::Key_Return, Qt::NoModifier},
    {"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier},
    {"ShiftReturn", Qt::Key_Return, Qt::ShiftModifier},
};

class HelpWindowEnterTest : public HelpWindowTest,
                            public ::testing::WithParamInterface<EnterCase> {};

TEST_P(HelpWindowEnterTest, DoesNotBreakTheText) {
    const EnterCase& c = GetParam();
    openHelp();
    richEdit1()->moveCursor(QTextCursor::End);
    QTest::keyClick(richEdit1(), Qt::Key_A);
    QTest::keyClick(richEdit1(), c.key, c.modifiers);
    QTest::keyClick(richEdit1(), Qt::Key_B);

    QStringList expected = storedLines();
    expected.last() += QStringLiteral("ab");
    EXPECT_EQ(shownLines(), expected);
    EXPECT_FALSE(richEdit1()->toPlainText().contains(QChar::LineSeparator));
    EXPECT_TRUE(help().isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, HelpWindowEnterTest, ::testing::ValuesIn(EnterCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HelpWindowTest, ClosingKeepsTextScrollPositionAndSize) {
    openHelp();
    QTextEdit* edit = richEdit1();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    // Enough text to scroll; Enter does not add lines, so it comes in as a paste would.
    edit->insertPlainText(QStringLiteral("\n").repeated(60));
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum() / 2);
    const int scrolled = edit->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    help().resize(700, 500);
    const QString text = edit->toPlainText();

    help().close(); // the title bar's close
    QCoreApplication::processEvents();
    EXPECT_FALSE(help().isVisible());
    openHelp();

    EXPECT_TRUE(help().isVisible());
    EXPECT_EQ(edit->toPlainText(), text);
    EXPECT_TRUE(text.contains(QStringLiteral("用就会。xyz")));
    EXPECT_EQ(edit->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(help().size(), QSize(700, 500));
}

TEST_F(HelpWindowTest, OpeningTwiceLeavesOneHelpWindow) {
    openHelp();
    openHelp();
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("光标特效"))
            ++shown;
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(help().isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(HelpWindowTest, ResizingMovesNothing) {
    openHelp();
    const QRect title = label1()->geometry();
    const QRect text = richEdit1()->geometry();
    for (const QSize size : {QSize(1200, 900), QSize(300, 200)}) {
        help().resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(label1()->geometry(), title) << size.width();
        EXPECT_EQ(richEdit1()->geometry(), text) << size.width();
    }
}

TEST_F(HelpWindowTest, ANewStartShowsTheStoredTextAgain) {
    richEdit1()->selectAll();
    QTest::keyClicks(richEdit1(), QStringLiteral("overwritten"));
    ASSERT_EQ(richEdit1()->toPlainText(), QStringLiteral("overwritten"));
    windows.reset();
    start();
    expectLines(shownLines());
}

} // namespace
} // namespace kerulo
