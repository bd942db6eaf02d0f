#include "app/edgetoolbar.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "pen/pensurface.h"
#include "pen/pentoolbox.h"
#include "pen/screencanvas.h"
#include "platform/fake/imagepainter.h"
#include "rastertesting.h"
#include "support/casename.h"
#include "support/windowsetfixture.h"
#include "ui/clickpanel.h"
#include "ui/systemcolors.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kerulo {
namespace {

using test::caseName;
using test::difference;
using test::PixelSet;

const QString Stop = QStringLiteral("停止");
const QString Start = QStringLiteral("开启");
constexpr QRgb White = 0xFFFFFFFFu;

/// The pen's two windows on the fake platform, with a noisy desktop under the pen, so that any
/// pixel painted wrongly shows.
class PenWindows : public test::WindowSetFixture {
protected:
    void SetUp() override {
        WindowSetFixture::SetUp();
        platform.pointer.setPrimaryScreenSize({800, 600});
        platform.penScreen.setDesktop(desktop);
        start();
        // A colour dialog would wait for a user; a test that clicks a swatch says what to answer.
        toolbox().setColourChooser([](const QColor&) -> std::optional<QColor> {
            ADD_FAILURE() << "the colour dialog was opened unexpectedly";
            return std::nullopt;
        });
    }
    void TearDown() override {
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
        WindowSetFixture::TearDown();
    }

    PenSurface& surface() { return windows->penSurface(); }
    PenToolbox& toolbox() { return windows->penToolbox(); }
    ScreenCanvas& canvas() { return surface().canvas(); }

    /// The toolbar's pen command, and the event loop's follow-up.
    void openPen() {
        windows->edgeToolbar().startPen();
        QCoreApplication::processEvents();
    }

    template <typename Widget = QWidget> Widget* toolboxChild(const char* name) {
        auto* w = toolbox().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    template <typename Widget = QWidget> Widget* surfaceChild(const char* name) {
        auto* w = surface().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    /// A left click on one of the toolbox's labels or panels, as the user gives it.
    void clickOnToolbox(const char* name) {
        if (QWidget* w = toolboxChild(name))
            QTest::mouseClick(w, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void clickToolboxButton(int number) {
        const std::string name = "ToolButton" + std::to_string(number);
        if (auto* b = toolboxChild<QToolButton>(name.c_str()))
            b->click();
        QCoreApplication::processEvents();
    }
    void clickSurfaceButton(const char* name) {
        if (auto* b = surfaceChild<QToolButton>(name))
            b->click();
    }
    QString stopStartCaption() { return toolboxChild<ClickPanel>("Panel2")->text(); }

    static QColor faceOf(QWidget* w) { return w->palette().color(QPalette::Window); }
    QColor toolboxSwatch(const char* name) { return faceOf(toolboxChild(name)); }
    QColor surfaceSwatch(const char* name) { return faceOf(surfaceChild(name)); }

    /// The colour dialog answers from the queue and records the colours it opened with.
    void answerColourDialogs(std::deque<std::optional<QColor>> answers) {
        m_answers = std::move(answers);
        toolbox().setColourChooser([this](const QColor& preset) -> std::optional<QColor> {
            presets.push_back(preset);
            if (m_answers.empty()) {
                ADD_FAILURE() << "more colour dialogs than answers";
                return std::nullopt;
            }
            const std::optional<QColor> answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }

    QLineEdit* widthField() { return toolboxChild<QLineEdit>("EditPenWidth"); }
    QToolButton* widthArrow(bool up) {
        QWidget* upDown = toolboxChild("UpDownPenWidth");
        return upDown ? upDown->findChild<QToolButton*>(up ? "Up" : "Down") : nullptr;
    }

    /// A mouse event on the surface at a screen point, carrying the buttons a real drag holds.
    void mouseOnSurface(QEvent::Type type, QPoint screenPos, Qt::MouseButton button,
                        Qt::KeyboardModifiers modifiers) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
        QMouseEvent event(type, surface().mapFromGlobal(QPointF(screenPos)), QPointF(screenPos),
                          changed, held, modifiers);
        QCoreApplication::sendEvent(&surface(), &event);
    }

    /// The desktop with what the function paints on it, by a canvas set up as the surface's is
    /// when it is created: a red pen 5 pixels wide and a solid brush in the highlight colour.
    QImage desktopWith(const std::function<void(ScreenCanvas&)>& paint) const {
        ImagePainter painter(desktop.size());
        painter.setImage(desktop);
        ScreenCanvas expected(painter);
        expected.setPenColour(qRgb(255, 0, 0));
        expected.setPenWidth(5);
        expected.setBrushColour(SystemColors::Highlight.rgb());
        paint(expected);
        return painter.image();
    }

    ::testing::AssertionResult screenIs(const QImage& expected) const {
        const PixelSet wrong = difference(platform.penScreen.image(), expected);
        if (wrong.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << wrong.size() << " pixels differ, first at " << wrong.begin()->first << ","
               << wrong.begin()->second;
    }

    QRgb screenPixel(QPoint p) const { return platform.penScreen.image().pixel(p); }
    QRgb desktopPixel(QPoint p) const { return desktop.pixel(p); }

    const QImage desktop = test::noise(QSize(160, 120), 11);
    std::vector<QColor> presets;

private:
    std::deque<std::optional<QColor>> m_answers;
};

// ---- Creation ----

TEST_F(PenWindows, AfterStartUpThePenIsOffWithItsStoredColoursAndTheFieldsWidth) {
    EXPECT_FALSE(surface().isVisible());
    EXPECT_FALSE(toolbox().isVisible());
    EXPECT_EQ(platform.penScreen.starts(), 0);

    EXPECT_EQ(canvas().penColour(), qRgb(255, 0, 0));
    // The brush in force is the highlight colour, whatever the toolbox's swatch shows.
    EXPECT_EQ(canvas().brushColour(), SystemColors::Highlight.rgb());
    EXPECT_EQ(toolboxSwatch("BrushColor"), QColor(0, 0, 255));
    EXPECT_EQ(toolboxSwatch("PenColor"), QColor(255, 0, 0));
    EXPECT_EQ(surfaceSwatch("SpeedButtonPenColor"), QColor(255, 0, 0));
    EXPECT_EQ(surfaceSwatch("SpeedButtonBrushColor"), SystemColors::Highlight);
    EXPECT_EQ(canvas().penStyle(), PenStyle::Solid);
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Solid);
    // The field shows 5 and the pen draws with it from the start.
    EXPECT_EQ(widthField()->text(), "5");
    EXPECT_EQ(canvas().penWidth(), 5);

    EXPECT_EQ(surface().activeTool(), 0);
    EXPECT_FALSE(surface().strokeActive());
    EXPECT_TRUE(toolbox().drawingEnabled());
    EXPECT_EQ(stopStartCaption(), Stop);
    EXPECT_EQ(toolbox().pos(), QPoint(800 - 130, 10));
    EXPECT_EQ(surface().cursor().shape(), Qt::CrossCursor);
}

// ---- The pen commands and the pen's screen ----

TEST_F(PenWindows, ThePenCommandsShowTheSurfaceWhichShowsTheToolbox) {
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"toolbar", [this] { windows->edgeToolbar().startPen(); }},
        {"menu item",
         [this] { windows->edgeToolbar().commandMenu()->findChild<QAction*>("pd5")->trigger(); }}};
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        windows->edgeToolbar().showHalo();
        const int starts = platform.penScreen.starts();
        command();
        QCoreApplication::processEvents();
        EXPECT_FALSE(windows->halo().isVisible());
        EXPECT_FALSE(windows->followImage().isVisible());
        EXPECT_TRUE(surface().isVisible());
        EXPECT_TRUE(toolbox().isVisible());
        EXPECT_EQ(platform.penScreen.starts(), starts + 1);

        // Once the pen is on, the command only brings the surface to the front.
        command();
        QCoreApplication::processEvents();
        EXPECT_EQ(platform.penScreen.starts(), starts + 1);

        const int stops = platform.penScreen.stops();
        clickOnToolbox("Image1");
        EXPECT_EQ(platform.penScreen.stops(), stops + 1);
    }
}

TEST_F(PenWindows, TheSurfaceStartsThePenScreenOncePerShowingAndStopsItWhenHidden) {
    surface().showInFront();
    EXPECT_TRUE(toolbox().isVisible()) << "the surface's showing shows the toolbox";
    EXPECT_EQ(platform.penScreen.starts(), 1);
    surface().showInFront();
    surface().setVisible(true);
    EXPECT_EQ(platform.penScreen.starts(), 1);
    EXPECT_EQ(platform.penScreen.stops(), 0);

    surface().hide();
    EXPECT_EQ(platform.penScreen.stops(), 1);
    EXPECT_TRUE(toolbox().isVisible()) << "hiding the surface leaves the toolbox";
    surface().hide();
    EXPECT_EQ(platform.penScreen.stops(), 1);
    surface().showInFront();
    EXPECT_EQ(platform.penScreen.starts(), 2);
}

// The way the pen takes the mouse is asked anew at every showing.
TEST_F(PenWindows, TheSurfaceIsOnScreenOnlyWhenItIsTheVeil) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const PenScreen::Input input :
         {PenScreen::Input::Surface, PenScreen::Input::Veil, PenScreen::Input::Surface}) {
        const bool veil = input == PenScreen::Input::Veil;
        SCOPED_TRACE(veil ? "veil" : "input surface");
        platform.penScreen.setInput(input);
        openPen();
        EXPECT_TRUE(surface().isVisible()) << "the pen is on either way";
        EXPECT_EQ(surface().testAttribute(Qt::WA_DontShowOnScreen), !veil);
        const QWindow* window = surface().windowHandle();
        EXPECT_EQ(window != nullptr && window->isVisible(), veil);
        if (veil) {
            EXPECT_EQ(surface().geometry(), screen);
        }
        clickOnToolbox("Image1");
        ASSERT_FALSE(surface().isVisible());
    }
}

// A compositor that comes or goes while the pen is on: the surface starts the pen's screen
// again and takes the mouse the way it now says; with the pen off the next showing chooses.
TEST_F(PenWindows, AChangedDesktopStartsThePenAgainTheNewWay) {
    platform.penScreen.setInput(PenScreen::Input::Surface);
    openPen();
    ASSERT_TRUE(surface().testAttribute(Qt::WA_DontShowOnScreen));
    int starts = platform.penScreen.starts();
    int stops = platform.penScreen.stops();
    for (const PenScreen::Input input : {PenScreen::Input::Veil, PenScreen::Input::Surface}) {
        const bool veil = input == PenScreen::Input::Veil;
        SCOPED_TRACE(veil ? "to the veil" : "to the input surface");
        platform.penScreen.setInput(input);
        platform.penScreen.changeWay();
        QCoreApplication::processEvents();
        EXPECT_EQ(platform.penScreen.stops(), ++stops);
        EXPECT_EQ(platform.penScreen.starts(), ++starts);
        EXPECT_TRUE(surface().isVisible()) << "the pen stays on";
        EXPECT_TRUE(toolbox().isVisible());
        EXPECT_EQ(surface().testAttribute(Qt::WA_DontShowOnScreen), !veil);
        const QWindow* window = surface().windowHandle();
        EXPECT_EQ(window != nullptr && window->isVisible(), veil);
    }

    clickOnToolbox("Image1");
    ASSERT_FALSE(surface().isVisible());
    starts = platform.penScreen.starts();
    platform.penScreen.changeWay();
    QCoreApplication::processEvents();
    EXPECT_EQ(platform.penScreen.starts(), starts) << "the pen stays off";
    EXPECT_FALSE(surface().isVisible());
}

// ---- Strokes ----

struct InputCase {
    const char* name;
    /// Through the platform's input surface rather than Qt's mouse events on the veil.
    bool inputSurface;
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
};

const InputCase Inputs[] = {
    {"LeftButton", false, Qt::LeftButton, Qt::NoModifier},
    {"RightButton", false, Qt::RightButton, Qt::NoModifier},
    {"MiddleButton", false, Qt::MiddleButton, Qt::NoModifier},
    {"LeftWithShiftControlAlt", false, Qt::LeftButton,
     Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier},
    {"RightWithControl", false, Qt::RightButton, Qt::ControlModifier},
    {"InputSurface", true, Qt::LeftButton, Qt::NoModifier},
};

void PrintTo(const InputCase& c, std::ostream* os) {
    *os << c.name;
}

class PenStrokes : public PenWindows, public ::testing::WithParamInterface<InputCase> {
protected:
    void SetUp() override {
        PenWindows::SetUp();
        if (GetParam().inputSurface)
            platform.penScreen.setInput(PenScreen::Input::Surface);
        openPen();
        ASSERT_EQ(surface().testAttribute(Qt::WA_DontShowOnScreen), GetParam().inputSurface);
    }

    void press(QPoint p) { send(QEvent::MouseButtonPress, p); }
    void move(QPoint p) { send(QEvent::MouseMove, p); }
    void release(QPoint p) { send(QEvent::MouseButtonRelease, p); }

private:
    void send(QEvent::Type type, QPoint p) {
        const InputCase& c = GetParam();
        if (!c.inputSurface) {
            mouseOnSurface(type, p, c.button, c.modifiers);
            return;
        }
        if (type == QEvent::MouseButtonPress)
            platform.penScreen.press(p);
        else if (type == QEvent::MouseMove)
            platform.penScreen.move(p);
        else
            platform.penScreen.release(p);
    }
};

TEST_P(PenStrokes, FreehandPaintsRedAlongThePointer) {
    QSignalSpy ended(&surface(), &PenSurface::strokeEnded);
    const QPoint points[] = {{10, 10}, {60, 10}, {60, 50}, {100, 80}};
    press(points[0]);
    EXPECT_TRUE(surface().strokeActive());
    move(points[1]);
    move(points[2]);
    EXPECT_EQ(screenPixel({35, 10}), qRgb(255, 0, 0)) << "painted for good while moving";
    EXPECT_EQ(ended.count(), 0);
    release(points[3]);
    EXPECT_FALSE(surface().strokeActive());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(screenPixel({80, 65}), qRgb(255, 0, 0));
    EXPECT_TRUE(screenIs(desktopWith([&](ScreenCanvas& c) {
        c.moveTo(points[0]);
        for (int i = 1; i < 4; ++i)
            c.lineTo(points[i]);
    })));

    // A move or a release without a press paints nothing and ends no stroke.
    const QImage before = platform.penScreen.image();
    move({20, 100});
    release({30, 100});
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(screenIs(before));
}

// The rubber band goes as the pointer moves and at the release, also when the release is not
// where the last move was.
TEST_P(PenStrokes, ARectangleLeavesOnlyItsFinalFigure) {
    clickToolboxButton(3);
    ASSERT_EQ(surface().activeTool(), 2);
    QSignalSpy ended(&surface(), &PenSurface::strokeEnded);
    press({20, 20});
    move({120, 100});
    const QPoint bandCorner(119, 99);
    EXPECT_NE(screenPixel(bandCorner), desktopPixel(bandCorner)) << "the band shows";
    move({90, 70});
    EXPECT_EQ(screenPixel(bandCorner), desktopPixel(bandCorner)) << "the first band is gone";
    release({60, 40});
    EXPECT_EQ(ended.count(), 1);
    const QPoint lastBandEdge(89, 60);
    EXPECT_EQ(screenPixel(lastBandEdge), desktopPixel(lastBandEdge)) << "no band is left";
    EXPECT_EQ(screenPixel({20, 30}), qRgb(255, 0, 0));
    EXPECT_EQ(screenPixel({40, 30}), SystemColors::Highlight.rgb());
    EXPECT_TRUE(screenIs(desktopWith([](ScreenCanvas& c) { c.rectangle({20, 20}, {60, 40}); })));
}

INSTANTIATE_TEST_SUITE_P(PenWindows, PenStrokes, ::testing::ValuesIn(Inputs),
                         [](const auto& info) { return std::string(info.param.name); });

// The screen's scale factor, whole or not, reaches the figures as it is: the toolbox's width of
// 5 becomes 5 times the factor in screen pixels, rounded.
TEST_F(PenWindows, StrokesAreTheWidthTimesTheScreensFactorRounded) {
    const struct {
        double factor;
        int rows;
    } cases[] = {{1, 5}, {1.25, 6}, {1.5, 8}, {2, 10}};
    platform.penScreen.setInput(PenScreen::Input::Surface);
    for (const auto& c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        platform.penScreen.setScale(c.factor);
        openPen();
        platform.penScreen.press({10, 60});
        platform.penScreen.move({150, 60});
        platform.penScreen.release({150, 60});
        int rows = 0;
        for (int y = 0; y < desktop.height(); ++y)
            rows += screenPixel({80, y}) == qRgb(255, 0, 0);
        EXPECT_EQ(rows, c.rows);
        surface().closeWindow();
        surface().clearScreen();
    }
}

// ---- Tools ----

TEST_F(PenWindows, TheSurfacesHiddenButtonsSelectTheTools) {
    openPen();
    const std::pair<const char*, int> buttons[] = {{"ToolButton3", 2},
                                                   {"ToolButton5", 4},
                                                   {"ToolButton2", 1},
                                                   {"ToolButton4", 3},
                                                   {"ToolButton1", 0}};
    for (const auto& [name, tool] : buttons) {
        clickSurfaceButton(name);
        EXPECT_EQ(surface().activeTool(), tool) << name;
    }
    EXPECT_EQ(platform.penScreen.repaints(), 0) << "selecting a tool clears nothing";
}

struct ToolButtonCase {
    int number;
    /// The tool in force afterwards; the erase button keeps the one before.
    int tool;
    int repaints;
};

const ToolButtonCase ToolButtons[] = {
    {1, 0, 0}, {2, 1, 0}, {3, 2, 0}, {4, 3, 0}, {5, 4, 0}, {6, 3, 1},
};

void PrintTo(const ToolButtonCase& c, std::ostream* os) {
    *os << "ToolButton" << c.number;
}

class ToolboxToolButtons : public PenWindows,
                           public ::testing::WithParamInterface<ToolButtonCase> {};

TEST_P(ToolboxToolButtons, SelectOrClearAndResumeDrawing) {
    const ToolButtonCase& c = GetParam();
    openPen();
    // Another tool first, and drawing stopped, so that both changes show.
    surface().selectTool(c.number == 4 ? 1 : 3);
    clickOnToolbox("Panel2");
    ASSERT_FALSE(toolbox().drawingEnabled());
    const int repaints = platform.penScreen.repaints();

    clickToolboxButton(c.number);
    EXPECT_EQ(surface().activeTool(), c.tool);
    EXPECT_EQ(platform.penScreen.repaints(), repaints + c.repaints);
    EXPECT_TRUE(toolbox().drawingEnabled());
    EXPECT_EQ(stopStartCaption(), Stop);
}

INSTANTIATE_TEST_SUITE_P(PenWindows, ToolboxToolButtons, ::testing::ValuesIn(ToolButtons),
                         [](const auto& info) {
                             return "ToolButton" + std::to_string(info.param.number);
                         });

// ---- Clearing ----

TEST_F(PenWindows, ClearingRepaintsAndBringsBackTheStoredColoursButKeepsTheTool) {
    openPen();
    surface().setStoredPenColour(QColor(0, 128, 0));
    surface().setStoredBrushColour(QColor(200, 100, 0));
    canvas().setPenColour(qRgb(1, 2, 3));
    canvas().setBrushStyle(BrushStyle::Hollow);
    surface().selectTool(4);
    mouseOnSurface(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::NoModifier);
    mouseOnSurface(QEvent::MouseMove, {50, 50}, Qt::LeftButton, Qt::NoModifier);
    mouseOnSurface(QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::NoModifier);
    ASSERT_FALSE(screenIs(desktop));

    clickSurfaceButton("SpeedButtonErase");
    EXPECT_EQ(platform.penScreen.repaints(), 1);
    EXPECT_TRUE(screenIs(desktop)) << "every stroke is gone";
    EXPECT_EQ(canvas().penColour(), qRgb(0, 128, 0));
    EXPECT_EQ(canvas().brushColour(), qRgb(200, 100, 0));
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Solid) << "a hollow brush becomes solid";
    EXPECT_EQ(surface().activeTool(), 4);
    EXPECT_EQ(canvas().penWidth(), 5);
}

TEST_F(PenWindows, TheDesktopRepaintAloneKeepsTheCanvasAsItIs) {
    canvas().setPenColour(qRgb(1, 2, 3));
    canvas().setBrushStyle(BrushStyle::Hollow);
    surface().repaintDesktop();
    EXPECT_EQ(platform.penScreen.repaints(), 1);
    EXPECT_EQ(canvas().penColour(), qRgb(1, 2, 3));
    EXPECT_EQ(canvas().brushColour(), White);
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Hollow);
}

// ---- The toolbox's handlers ----

TEST_F(PenWindows, TheStopAndStartPanelTogglesDrawingAndClearsWhenItStops) {
    openPen();
    const struct {
        QString captionAfter;
        bool drawingAfter;
        int repaintsAfter;
    } clicks[] = {{Start, false, 1}, {Stop, true, 1}, {Start, false, 2}};
    for (const auto& c : clicks) {
        clickOnToolbox("Panel2");
        EXPECT_EQ(stopStartCaption(), c.captionAfter);
        EXPECT_EQ(toolbox().drawingEnabled(), c.drawingAfter);
        EXPECT_EQ(platform.penScreen.repaints(), c.repaintsAfter);
    }
}

struct SwatchCase {
    const char* name;
    const char* swatch;
    const char* storedSwatch;
    bool brush;
};

const SwatchCase Swatches[] = {
    {"PenColour", "PenColor", "SpeedButtonPenColor", false},
    {"BrushColour", "BrushColor", "SpeedButtonBrushColor", true},
};

void PrintTo(const SwatchCase& c, std::ostream* os) {
    *os << c.swatch;
}

class ColourSwatches : public PenWindows, public ::testing::WithParamInterface<SwatchCase> {
protected:
    QRgb colourInForce() {
        return GetParam().brush ? canvas().brushColour() : canvas().penColour();
    }
};

TEST_P(ColourSwatches, StopDrawingClearAndTakeTheChosenColour) {
    const SwatchCase& c = GetParam();
    openPen();
    canvas().setBrushStyle(BrushStyle::Hollow);
    const QRgb before = colourInForce();
    const QColor swatchBefore = toolboxSwatch(c.swatch);
    const QColor storedBefore = surfaceSwatch(c.storedSwatch);
    const QColor green(0, 160, 0);
    const QColor yellow(250, 240, 0);
    answerColourDialogs({std::nullopt, green, yellow});

    // Cancelled: cleared and stopped all the same, no colour changed.
    clickOnToolbox(c.swatch);
    EXPECT_EQ(platform.penScreen.repaints(), 1);
    EXPECT_FALSE(toolbox().drawingEnabled());
    EXPECT_EQ(stopStartCaption(), Start);
    EXPECT_EQ(colourInForce(), before);
    EXPECT_EQ(toolboxSwatch(c.swatch), swatchBefore);
    EXPECT_EQ(surfaceSwatch(c.storedSwatch), storedBefore);
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Hollow);

    clickOnToolbox("Panel2");
    ASSERT_TRUE(toolbox().drawingEnabled());
    clickOnToolbox(c.swatch);
    EXPECT_EQ(platform.penScreen.repaints(), 2);
    EXPECT_FALSE(toolbox().drawingEnabled());
    EXPECT_EQ(stopStartCaption(), Start);
    EXPECT_EQ(colourInForce(), green.rgb());
    EXPECT_EQ(toolboxSwatch(c.swatch), green);
    EXPECT_EQ(surfaceSwatch(c.storedSwatch), green);
    EXPECT_EQ(canvas().brushStyle(), c.brush ? BrushStyle::Solid : BrushStyle::Hollow);

    // Clicked while stopped: stays stopped.
    clickOnToolbox(c.swatch);
    EXPECT_EQ(platform.penScreen.repaints(), 3);
    EXPECT_EQ(stopStartCaption(), Start);
    EXPECT_EQ(colourInForce(), yellow.rgb());

    // The dialog opens at the colour last chosen in it; black before any.
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0], QColor(Qt::black));
    EXPECT_EQ(presets[1], QColor(Qt::black));
    EXPECT_EQ(presets[2], green);
}

INSTANTIATE_TEST_SUITE_P(PenWindows, ColourSwatches, ::testing::ValuesIn(Swatches),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PenWindows, BothSwatchesShareTheDialogsLastColour) {
    openPen();
    const QColor green(0, 160, 0);
    answerColourDialogs({green, std::nullopt, QColor(9, 9, 9)});
    clickOnToolbox("PenColor");
    clickOnToolbox("BrushColor");
    clickOnToolbox("PenColor");
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[1], green);
    EXPECT_EQ(presets[2], green) << "a cancelled dialog keeps the last colour";
    // The brush keeps the colour clearing brings back.
    EXPECT_EQ(canvas().brushColour(), SystemColors::Highlight.rgb());
}

// The previous width is 9, so that keeping it differs from going back to the field's first 5.
TEST_F(PenWindows, TheWidthFieldSetsThePenWidthWhenItHoldsAWidth) {
    const std::pair<const char*, int> texts[] = {
        {"12", 12}, {"40", 40}, {"1", 1}, {"0", 9}, {"41", 9}, {"abc", 9}, {"", 9}, {"-3", 9},
    };
    for (const auto& [text, width] : texts) {
        widthField()->setText(QStringLiteral("9"));
        ASSERT_EQ(canvas().penWidth(), 9);
        widthField()->setText(QString::fromLatin1(text));
        EXPECT_EQ(canvas().penWidth(), width) << '"' << text << '"';
    }
}

TEST_F(PenWindows, TypingIntoTheWidthFieldSetsTheWidthAsTheTextChanges) {
    openPen();
    widthField()->selectAll();
    QTest::keyClicks(widthField(), QStringLiteral("12"));
    EXPECT_EQ(widthField()->text(), "12");
    EXPECT_EQ(canvas().penWidth(), 12);
    QTest::keyClick(widthField(), Qt::Key_Backspace);
    QTest::keyClick(widthField(), Qt::Key_Backspace);
    EXPECT_EQ(canvas().penWidth(), 1) << "the empty field keeps the width of the 1 before it";
    QTest::keyClicks(widthField(), QStringLiteral("x"));
    EXPECT_EQ(canvas().penWidth(), 1);
}

struct WidthStep {
    const char* from;
    bool up;
    int to;
};

const WidthStep WidthSteps[] = {
    {"5", true, 6},
    {"5", false, 4},
    {"40", true, 1},
    {"1", false, 40},
    {"39", true, 40},
    // A text that is no width steps from the width in force.
    {"abc", true, 10},
};

TEST_F(PenWindows, TheUpAndDownKeysAndArrowsStepTheWidthWithWrap) {
    for (const bool arrows : {false, true}) {
        for (const WidthStep& s : WidthSteps) {
            SCOPED_TRACE(std::string(arrows ? "arrow " : "key ") + (s.up ? "up" : "down") +
                         " from " + s.from);
            widthField()->setText(QStringLiteral("9"));
            widthField()->setText(QString::fromLatin1(s.from));
            if (arrows)
                widthArrow(s.up)->click();
            else
                QTest::keyClick(widthField(), s.up ? Qt::Key_Up : Qt::Key_Down);
            EXPECT_EQ(canvas().penWidth(), s.to);
            EXPECT_EQ(widthField()->text(), QString::number(s.to));
        }
    }
}

struct StyleItem {
    const char* list;
    int index;
    const char* text;
    std::optional<PenStyle> pen;
    std::optional<BrushStyle> brush;
};

const StyleItem StyleItems[] = {
    {"ComboBoxPenStyle", 0, "实线", PenStyle::Solid, {}},
    {"ComboBoxPenStyle", 1, "虚线", PenStyle::Dash, {}},
    {"ComboBoxPenStyle", 2, "点线", PenStyle::Dot, {}},
    {"ComboBoxPenStyle", 3, "点划线", PenStyle::DashDot, {}},
    {"ComboBoxPenStyle", 4, "双点线", PenStyle::DashDotDot, {}},
    {"ComboBoxBrushStyle", 0, "填色", {}, BrushStyle::Solid},
    {"ComboBoxBrushStyle", 1, "空心", {}, BrushStyle::Hollow},
    {"ComboBoxBrushStyle", 2, "水平线", {}, BrushStyle::Horizontal},
    {"ComboBoxBrushStyle", 3, "垂直线", {}, BrushStyle::Vertical},
    {"ComboBoxBrushStyle", 4, "反斜线", {}, BrushStyle::ForwardDiagonal},
    {"ComboBoxBrushStyle", 5, "十字线", {}, BrushStyle::BackwardDiagonal},
    {"ComboBoxBrushStyle", 6, "交叉线", {}, BrushStyle::Cross},
};

void PrintTo(const StyleItem& c, std::ostream* os) {
    *os << c.list << ' ' << c.index;
}

class StyleLists : public PenWindows, public ::testing::WithParamInterface<StyleItem> {
protected:
    void expectStyle(const StyleItem& c) {
        if (c.pen) {
            EXPECT_EQ(canvas().penStyle(), *c.pen);
        } else {
            EXPECT_EQ(canvas().brushStyle(), *c.brush);
        }
    }
};

TEST_P(StyleLists, TheChosenItemIsTheStyleInForce) {
    const StyleItem& c = GetParam();
    auto* list = toolboxChild<QComboBox>(c.list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->itemText(c.index), QString::fromUtf8(c.text));
    // Another item first, so that choosing this one is a change.
    list->setCurrentIndex(c.index == 2 ? 3 : 2);
    list->setCurrentIndex(c.index);
    expectStyle(c);
    // Text that names no item leaves the style.
    list->setEditText(QStringLiteral("abc"));
    expectStyle(c);
}

INSTANTIATE_TEST_SUITE_P(PenWindows, StyleLists, ::testing::ValuesIn(StyleItems),
                         [](const auto& info) {
                             return caseName(std::string(info.param.list) + " " +
                                             std::to_string(info.param.index));
                         });

TEST_F(PenWindows, TheHollowBrushTurnsWhiteAndStaysWhiteWhenMadeSolidAgain) {
    auto* list = toolboxChild<QComboBox>("ComboBoxBrushStyle");
    ASSERT_NE(canvas().brushColour(), White);
    list->setCurrentIndex(1);
    EXPECT_EQ(canvas().brushColour(), White);
    list->setCurrentIndex(0);
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Solid);
    EXPECT_EQ(canvas().brushColour(), White);
}

// ---- Closing ----

TEST_F(PenWindows, TheClosePictureEndsThePenAndKeepsTheStopOrStartState) {
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped" : "drawing");
        openPen();
        if (stopped)
            clickOnToolbox("Panel2");
        const int repaints = platform.penScreen.repaints();
        const int stops = platform.penScreen.stops();
        clickOnToolbox("Image1");
        EXPECT_EQ(platform.penScreen.repaints(), repaints + 1);
        EXPECT_EQ(platform.penScreen.stops(), stops + 1);
        EXPECT_FALSE(surface().isVisible());
        EXPECT_FALSE(toolbox().isVisible());
        EXPECT_TRUE(windows->followImage().isVisible());
        EXPECT_EQ(toolbox().drawingEnabled(), !stopped);
        EXPECT_EQ(stopStartCaption(), stopped ? Start : Stop);

        openPen();
        EXPECT_TRUE(surface().isVisible());
        EXPECT_EQ(stopStartCaption(), stopped ? Start : Stop) << "the pen opens as it was closed";
        clickOnToolbox("Image1");
    }
}

TEST_F(PenWindows, ToolColoursWidthAndStylesSurviveClosingThePen) {
    openPen();
    answerColourDialogs({QColor(0, 160, 0), QColor(250, 240, 0)});
    clickToolboxButton(4);
    clickOnToolbox("PenColor");
    clickOnToolbox("BrushColor");
    widthField()->setText(QStringLiteral("17"));
    toolboxChild<QComboBox>("ComboBoxPenStyle")->setCurrentIndex(2);
    toolboxChild<QComboBox>("ComboBoxBrushStyle")->setCurrentIndex(6);

    clickOnToolbox("Image1");
    ASSERT_FALSE(surface().isVisible());
    openPen();
    ASSERT_TRUE(surface().isVisible());
    EXPECT_EQ(surface().activeTool(), 3);
    EXPECT_EQ(canvas().penColour(), qRgb(0, 160, 0));
    EXPECT_EQ(canvas().brushColour(), qRgb(250, 240, 0));
    EXPECT_EQ(canvas().penWidth(), 17);
    EXPECT_EQ(canvas().penStyle(), PenStyle::Dot);
    EXPECT_EQ(canvas().brushStyle(), BrushStyle::Cross);
    EXPECT_EQ(widthField()->text(), "17");
}

// ---- The pointer watch ----

enum class Step { Inside, LeftOf, RightOf, Above, Below, StopOrStart, ClosePen, OpenPen };

struct WatchStep {
    Step step;
    bool surfaceVisibleAfter;
};

struct WatchCase {
    const char* name;
    std::vector<WatchStep> steps;
};

const WatchCase WatchCases[] = {
    {"InsideHidesAndSidewaysShows",
     {{Step::Inside, false}, {Step::LeftOf, true}, {Step::Inside, false}, {Step::RightOf, true}}},
    {"UpOrDownInTheColumnKeepsItHidden",
     {{Step::Inside, false},
      {Step::Below, false},
      {Step::Above, false},
      {Step::Inside, false},
      {Step::RightOf, true}}},
    {"StoppedItStaysHiddenSideways",
     {{Step::Inside, false},
      {Step::StopOrStart, false},
      {Step::LeftOf, false},
      {Step::Inside, false},
      {Step::StopOrStart, false},
      {Step::LeftOf, true}}},
    // Opened while stopped, the surface lies in front of the toolbox; resting on the toolbox
    // still makes way for it, so it can be reached.
    {"StoppedAndReopenedItMakesWayForTheToolbox",
     {{Step::Inside, false},
      {Step::StopOrStart, false},
      {Step::ClosePen, false},
      {Step::LeftOf, false},
      {Step::OpenPen, true},
      {Step::RightOf, true},
      {Step::Inside, false},
      {Step::LeftOf, false}}},
    {"OffItStaysHidden",
     {{Step::ClosePen, false},
      {Step::LeftOf, false},
      {Step::Inside, false},
      {Step::RightOf, false}}},
    {"OpenedOverTheToolboxItMakesWayAtOnce",
     {{Step::ClosePen, false},
      {Step::Inside, false},
      {Step::OpenPen, false},
      {Step::LeftOf, true}}},
};

void PrintTo(const WatchCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolboxPointerWatch : public PenWindows, public ::testing::WithParamInterface<WatchCase> {
protected:
    /// A point where the step puts the pointer, from the toolbox's frame as it is now.
    QPoint pointerFor(Step step) {
        const QRect box = toolbox().frameGeometry();
        const QPoint centre = box.center();
        switch (step) {
        case Step::Inside:
            return centre;
        case Step::LeftOf:
            return {box.left(), centre.y()};
        case Step::RightOf:
            return {box.left() + box.width(), centre.y()};
        case Step::Above:
            return {centre.x(), box.top()};
        case Step::Below:
            return {centre.x(), box.top() + box.height() + 40};
        default:
            return {};
        }
    }

    void take(Step step) {
        switch (step) {
        case Step::StopOrStart:
            clickOnToolbox("Panel2");
            break;
        case Step::ClosePen:
            clickOnToolbox("Image1");
            break;
        case Step::OpenPen:
            openPen();
            break;
        default:
            platform.movePointer(pointerFor(step));
            QCoreApplication::processEvents();
            break;
        }
    }
};

const char* const StepNames[] = {"inside", "left of",    "right of", "above",
                                 "below",  "stop/start", "close",    "open"};

TEST_P(ToolboxPointerWatch, HidesAndShowsTheSurfaceForThePointer) {
    openPen();
    ASSERT_TRUE(surface().isVisible());
    ASSERT_LT(toolbox().frameGeometry().right(), 800) << "the toolbox stands on the screen";
    int i = 0;
    for (const WatchStep& s : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(++i) + ": " + StepNames[int(s.step)]);
        take(s.step);
        EXPECT_EQ(surface().isVisible(), s.surfaceVisibleAfter);
        // The pen's screen is on exactly while the surface is visible.
        EXPECT_EQ(platform.penScreen.starts() - platform.penScreen.stops(),
                  surface().isVisible() ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(PenWindows, ToolboxPointerWatch, ::testing::ValuesIn(WatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Hiding the surface under a held button would lose the release; the watch looks again after it.
TEST_F(PenWindows, AStrokeInProgressKeepsTheSurfaceUntilItsRelease) {
    openPen();
    const QPoint onToolbox = toolbox().frameGeometry().center();
    const QPoint outside = toolbox().frameGeometry().topLeft() - QPoint(30, 0) + QPoint(0, 50);
    QSignalSpy ended(&surface(), &PenSurface::strokeEnded);
    mouseOnSurface(QEvent::MouseButtonPress, outside, Qt::LeftButton, Qt::NoModifier);
    platform.movePointer(onToolbox);
    mouseOnSurface(QEvent::MouseMove, onToolbox, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(surface().isVisible());
    EXPECT_TRUE(surface().strokeActive());

    mouseOnSurface(QEvent::MouseButtonRelease, onToolbox, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(surface().strokeActive());
    EXPECT_FALSE(surface().isVisible()) << "the release lets the watch hide the surface";
    EXPECT_EQ(platform.penScreen.stops(), 1);
}

} // namespace
} // namespace kerulo
