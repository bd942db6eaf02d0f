#include "pen/pensurface.h"

#include "pen/penstroke.h"
#include "pen/pentoolbox.h"
#include "pen/screencanvas.h"
#include "platform/penscreen.h"
#include "ui/errorreporter.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>

namespace kerulo {

namespace {

constexpr int VeilAlpha = 10;

void paintSwatch(QLabel& swatch, const QColor& colour) {
    QPalette p = swatch.palette();
    p.setColor(QPalette::Window, colour);
    swatch.setPalette(p);
}

QLabel* colourSwatch(const char* name, const QColor& colour, QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setObjectName(QString::fromLatin1(name));
    swatch->setAutoFillBackground(true);
    paintSwatch(*swatch, colour);
    return swatch;
}

} // namespace

PenSurface::PenSurface(Windows& windows)
    : KeruloWindow(windows), m_screen(windows.platform().penScreen) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Form8"));
    // Bypassing the window manager lets the veil cover the whole screen, panels included, and
    // be blended by the compositor as it is.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    setFaceColor(Colors::White);
    setWindowOpacity(VeilAlpha / 255.0);
    buildToolPanel();
}

PenSurface::~PenSurface() = default;

// The tool panel is never shown: its buttons are how the toolbox works the surface.
void PenSurface::buildToolPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->hide();
    auto* toolBar = new QWidget(panel);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    for (int code = 0; code < 5; ++code) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(code + 1));
        connect(button, &QToolButton::clicked, this,
                [this, code] { ErrorReporter::guard([&] { selectTool(code); }); });
    }
    auto* erase = new QToolButton(toolBar);
    erase->setObjectName(QStringLiteral("SpeedButtonErase"));
    connect(erase, &QToolButton::clicked, this,
            [this] { ErrorReporter::guard([this] { clearScreen(); }); });
    m_penColourSwatch = colourSwatch("SpeedButtonPenColor", Colors::Red, panel);
    m_brushColourSwatch = colourSwatch("SpeedButtonBrushColor", SystemColors::Highlight, panel);
}

void PenSurface::setUp() {
    m_canvas = std::make_unique<ScreenCanvas>(m_screen);
    m_stroke = std::make_unique<PenStroke>(*m_canvas);
    setCursor(Qt::CrossCursor);
    m_canvas->setPenColour(storedPenColour().rgb());
    m_canvas->setBrushColour(storedBrushColour().rgb());
    m_stroke->setTool(PenStroke::Freehand);

    connect(&m_screen, &PenScreen::pressed, this,
            [this](QPoint p) { ErrorReporter::guard([&] { beginStroke(p); }); });
    connect(&m_screen, &PenScreen::moved, this,
            [this](QPoint p) { ErrorReporter::guard([&] { continueStroke(p); }); });
    connect(&m_screen, &PenScreen::released, this,
            [this](QPoint p) { ErrorReporter::guard([&] { endStroke(p); }); });
    connect(&m_screen, &PenScreen::wayChanged, this,
            [this] { ErrorReporter::guard([this] { takeUpNewWay(); }); });
}

// The way the pen paints and takes the mouse is chosen anew at every showing, since a
// compositor may have started or stopped since the last one.
void PenSurface::setVisible(bool visible) {
    if (visible != isVisible()) {
        if (visible) {
            const PenScreen::Input input = m_screen.start();
            setAttribute(Qt::WA_DontShowOnScreen, input == PenScreen::Input::Surface);
            m_canvas->setScale(m_screen.scale());
            if (const QScreen* screen = QGuiApplication::primaryScreen())
                setGeometry(screen->geometry());
        } else {
            m_screen.stop();
        }
    }
    KeruloWindow::setVisible(visible);
}

// A compositor that starts or stops while the pen is on breaks the way chosen at the showing:
// the veil turns opaque white without one, and the figures' layer black. The pen
// starts again as at a new showing; the strokes drawn so far go, as the compositor's coming or
// going repaints the screen anyway.
void PenSurface::takeUpNewWay() {
    if (!isVisible())
        return;
    setVisible(false);
    setVisible(true);
}

void PenSurface::whenShown() {
    windows().penToolbox().showInFront();
    emit shown();
}

int PenSurface::activeTool() const {
    return m_stroke->tool();
}

void PenSurface::selectTool(int code) {
    m_stroke->setTool(code);
}

bool PenSurface::strokeActive() const {
    return m_stroke->active();
}

void PenSurface::repaintDesktop() {
    m_screen.repaintDesktop();
}

void PenSurface::clearScreen() {
    repaintDesktop();
    m_canvas->setPenColour(storedPenColour().rgb());
    m_canvas->setBrushColour(storedBrushColour().rgb());
}

QColor PenSurface::storedPenColour() const {
    return m_penColourSwatch->palette().color(QPalette::Window);
}

QColor PenSurface::storedBrushColour() const {
    return m_brushColourSwatch->palette().color(QPalette::Window);
}

void PenSurface::setStoredPenColour(const QColor& colour) {
    paintSwatch(*m_penColourSwatch, colour);
}

void PenSurface::setStoredBrushColour(const QColor& colour) {
    paintSwatch(*m_brushColourSwatch, colour);
}

void PenSurface::beginStroke(QPoint screenPos) {
    m_stroke->press(screenPos);
}

void PenSurface::continueStroke(QPoint screenPos) {
    m_stroke->move(screenPos);
}

void PenSurface::endStroke(QPoint screenPos) {
    if (!m_stroke->active())
        return;
    m_stroke->release(screenPos);
    emit strokeEnded();
}

// Qt gives positions in the display's logical pixels; figures are painted in the screen's own.
QPoint PenSurface::screenPoint(const QMouseEvent& event) const {
    return (event.globalPosition() * devicePixelRatio()).toPoint();
}

// Every button draws, with or without modifier keys.
void PenSurface::mousePressEvent(QMouseEvent* event) {
    ErrorReporter::guard([&] { beginStroke(screenPoint(*event)); });
}

void PenSurface::mouseMoveEvent(QMouseEvent* event) {
    ErrorReporter::guard([&] { continueStroke(screenPoint(*event)); });
}

void PenSurface::mouseReleaseEvent(QMouseEvent* event) {
    ErrorReporter::guard([&] { endStroke(screenPoint(*event)); });
}

} // namespace kerulo
