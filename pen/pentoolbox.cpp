#include "pen/pentoolbox.h"

#include "effects/followimagewindow.h"
#include "effects/hotkeyswitch.h"
#include "pen/jpegdecoder.h"
#include "pen/penstylelists.h"
#include "pen/pensurface.h"
#include "pen/penwidthcontrol.h"
#include "pen/screencanvas.h"
#include "pen/toolboxwatch.h"
#include "ui/clickpanel.h"
#include "ui/colourdialog.h"
#include "ui/errorreporter.h"
#include "ui/layoutfonts.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QToolButton>
#include <QWindow>

namespace kerulo {

namespace {

const QString Stop = QStringLiteral("停止");
const QString Start = QStringLiteral("开启");

QLabel* colourSwatch(const char* name, const QColor& colour, const QRect& place, QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setObjectName(QString::fromLatin1(name));
    swatch->setGeometry(place);
    swatch->setAutoFillBackground(true);
    swatch->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, colour);
    swatch->setPalette(p);
    swatch->installEventFilter(parent->window());
    return swatch;
}

void paintSwatch(QLabel& swatch, const QColor& colour) {
    QPalette p = swatch.palette();
    p.setColor(QPalette::Window, colour);
    swatch.setPalette(p);
}

QComboBox* styleList(const char* name, const QStringList& items, const QRect& place,
                     QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setCurrentIndex(0);
    list->setGeometry(place);
    return list;
}

QPixmap closePicture() {
    QFile file(QStringLiteral(":/pen/close.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QPixmap::fromImage(JpegDecoder::decode(file.readAll(), file.fileName()));
}

} // namespace

PenToolbox::PenToolbox(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Form9"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFaceColor(Colors::Purple);
    setFixedSize(112, 255);
    buildLayout();
}

PenToolbox::~PenToolbox() = default;

void PenToolbox::buildLayout() {
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(8, 8, 97, 240);
    m_panel->setAutoFillBackground(true);
    QPalette p = m_panel->palette();
    p.setColor(QPalette::Window, SystemColors::BtnShadow);
    m_panel->setPalette(p);
    m_panel->setFont(LayoutFonts::songTi(13));

    addLabel("Label1", QStringLiteral("电子笔"), {7, 11}, true);
    auto* close = new QLabel(m_panel);
    close->setObjectName(QStringLiteral("Image1"));
    close->setGeometry(64, 8, 22, 17);
    close->setPixmap(closePicture());
    close->installEventFilter(this);

    addToolBar();

    addLabel("Label2", QStringLiteral("笔色"), {10, 96});
    m_penColour = colourSwatch("PenColor", Colors::Red, {38, 96, 50, 15}, m_panel);
    addLabel("Label3", QStringLiteral("线形"), {8, 120});
    m_penStyles =
        styleList("ComboBoxPenStyle", PenStyleLists::penStyleItems(), {32, 115, 57, 21}, m_panel);
    addLabel("Label4", QStringLiteral("线粗"), {8, 144});
    m_width = new PenWidthControl(m_panel);
    connect(m_width, &PenWidthControl::widthChanged, this, [this](int width) {
        ErrorReporter::guard([&] { windows().penSurface().canvas().setPenWidth(width); });
    });
    addLabel("Label5", QStringLiteral("刷色"), {8, 168});
    m_brushColour = colourSwatch("BrushColor", Colors::Blue, {38, 168, 50, 15}, m_panel);
    addLabel("Label6", QStringLiteral("刷形"), {8, 192});
    m_brushStyles = styleList("ComboBoxBrushStyle", PenStyleLists::brushStyleItems(),
                              {32, 187, 57, 21}, m_panel);

    m_stopStart = new ClickPanel(QStringLiteral("Panel2"), Stop, Colors::Fuchsia, m_panel);
    m_stopStart->setGeometry(32, 216, 30, 20);

    // Two 13-pixel characters from x = 8 run two pixels into the lists and the width field at
    // x = 32: the labels lie above them, so that no character is cut.
    const QRegularExpression labels(QStringLiteral("^Label\\d$"));
    for (QLabel* label : m_panel->findChildren<QLabel*>(labels, Qt::FindDirectChildrenOnly))
        label->raise();

    const auto guarded = [this](auto handler) {
        return [this, handler](auto&&...) { ErrorReporter::guard([&] { (this->*handler)(); }); };
    };
    connect(m_stopStart, &ClickPanel::clicked, this, guarded(&PenToolbox::stopOrStart));
    // Picking an item puts its text in the list's field, so the text alone decides; typed text
    // that names no item leaves the style as it is.
    connect(m_penStyles, &QComboBox::editTextChanged, this, [this](const QString& text) {
        ErrorReporter::guard([&] {
            ScreenCanvas& canvas = windows().penSurface().canvas();
            const PenStyle style = PenStyleLists::penStyleForText(text, canvas.penStyle());
            if (style != canvas.penStyle())
                canvas.setPenStyle(style);
        });
    });
    connect(m_brushStyles, &QComboBox::editTextChanged, this, [this](const QString& text) {
        ErrorReporter::guard([&] {
            ScreenCanvas& canvas = windows().penSurface().canvas();
            const BrushStyle style = PenStyleLists::brushStyleForText(text, canvas.brushStyle());
            if (style != canvas.brushStyle())
                canvas.setBrushStyle(style);
        });
    });
}

void PenToolbox::addLabel(const char* name, const QString& text, QPoint at, bool bold) {
    auto* label = new QLabel(text, m_panel);
    label->setObjectName(QString::fromLatin1(name));
    if (bold)
        label->setFont(LayoutFonts::songTi(13, true));
    label->move(at);
    label->adjustSize();
}

// Two rows of three image buttons, 23 pixels wide: five tools and the erase button.
void PenToolbox::addToolBar() {
    auto* toolBar = new QWidget(m_panel);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setGeometry(10, 41, 72, 49);
    for (int number = 1; number <= 6; ++number) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(number));
        button->setIcon(QIcon(QStringLiteral(":/pen/tool%1.png").arg(number)));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setGeometry((number - 1) % 3 * 23, (number - 1) / 3 * 24, 23, 22);
        connect(button, &QToolButton::clicked, this,
                [this, number] { ErrorReporter::guard([&] { useToolButton(number); }); });
    }
}

void PenToolbox::setUp() {
    setDrawingEnabled(true);
    move(windows().platform().pointer.primaryScreenSize().width() - 130, 10);
    // The width field shows 5 from the start; the pen draws with what the field shows.
    windows().penSurface().canvas().setPenWidth(m_width->width());
    registerHotKey(GlobalKeys::Key::Escape);

    connect(&windows().platform().pointerWatch, &PointerWatch::moved, this,
            [this](QPoint p) { ErrorReporter::guard([&] { watchPointer(p); }); });
    // The look waits until the showing or the stroke is over: it may hide the surface.
    for (auto signal : {&PenSurface::shown, &PenSurface::strokeEnded})
        connect(
            &windows().penSurface(), signal, this,
            [this] { ErrorReporter::guard([this] { lookAtPointer(); }); }, Qt::QueuedConnection);
}

void PenToolbox::setDrawingEnabled(bool enabled) {
    m_drawingEnabled = enabled;
    m_stopStart->setText(enabled ? Stop : Start);
}

void PenToolbox::useToolButton(int number) {
    const QString button = number == 6 ? QStringLiteral("SpeedButtonErase")
                                       : QStringLiteral("ToolButton%1").arg(number);
    if (auto* surfaceButton = windows().penSurface().findChild<QToolButton*>(button))
        surfaceButton->click();
    setDrawingEnabled(true);
    lookAtPointer();
}

// Choosing a colour stops drawing and clears the screen first, whatever the dialog's outcome.
void PenToolbox::choosePenColour() {
    stopDrawingAndClear();
    if (const std::optional<QColor> colour = runColourDialog(m_lastChosenColour)) {
        windows().penSurface().canvas().setPenColour(colour->rgb());
        windows().penSurface().setStoredPenColour(*colour);
        paintSwatch(*m_penColour, *colour);
    }
}

void PenToolbox::chooseBrushColour() {
    stopDrawingAndClear();
    if (const std::optional<QColor> colour = runColourDialog(m_lastChosenColour)) {
        windows().penSurface().canvas().setBrushColour(colour->rgb());
        windows().penSurface().setStoredBrushColour(*colour);
        paintSwatch(*m_brushColour, *colour);
    }
}

void PenToolbox::stopDrawingAndClear() {
    setDrawingEnabled(false);
    windows().penSurface().repaintDesktop();
}

std::optional<QColor> PenToolbox::runColourDialog(const QColor& preset) {
    const std::optional<QColor> chosen =
        m_chooseColour ? m_chooseColour(preset) : kerulo::runColourDialog(preset, this);
    if (chosen)
        m_lastChosenColour = *chosen;
    return chosen;
}

void PenToolbox::stopOrStart() {
    if (!m_drawingEnabled) {
        setDrawingEnabled(true);
        lookAtPointer();
        return;
    }
    windows().penSurface().repaintDesktop();
    setDrawingEnabled(false);
}

void PenToolbox::closePen() {
    windows().penSurface().repaintDesktop();
    windows().penSurface().closeWindow();
    windows().followImage().setVisible(true);
    closeWindow();
}

// Esc starts the pen, or ends it as the close picture does.
void PenToolbox::onHotKey(GlobalKeys::Key key) {
    if (key == GlobalKeys::Key::Escape)
        HotKeySwitch::apply(windows(), key);
}

void PenToolbox::lookAtPointer() {
    if (const std::optional<QPoint> pointer = windows().platform().pointer.position())
        watchPointer(*pointer);
}

void PenToolbox::watchPointer(QPoint pointer) {
    PenSurface& surface = windows().penSurface();
    const ToolboxWatch::Situation situation{frameGeometry(), isVisible(), m_drawingEnabled,
                                            surface.isVisible(), surface.strokeActive()};
    switch (ToolboxWatch::decide(pointer, situation)) {
    case ToolboxWatch::Decision::HideSurface:
        surface.hide();
        break;
    case ToolboxWatch::Decision::ShowSurface:
        surface.setVisible(true);
        break;
    case ToolboxWatch::Decision::Nothing:
    case ToolboxWatch::Decision::Wait:
        break;
    }
}

// A press on the purple margin drags the toolbox; the window manager moves it where there is
// one. A press on the panel or its labels does nothing.
void PenToolbox::mousePressEvent(QMouseEvent* event) {
    if (m_panel->geometry().contains(event->position().toPoint()))
        return;
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

// Dragged with the toolbox, the pointer rests on it after the drag while the last motion was
// judged against where the window manager had the toolbox a moment before: the surface then
// covered the toolbox until the pointer moved again. The place decides anew once it is known.
void PenToolbox::moveEvent(QMoveEvent* event) {
    KeruloWindow::moveEvent(event);
    ErrorReporter::guard([this] { lookAtPointer(); });
}

bool PenToolbox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = watched->objectName();
        if (name == QLatin1String("Image1"))
            ErrorReporter::guard([this] { closePen(); });
        else if (name == QLatin1String("PenColor"))
            ErrorReporter::guard([this] { choosePenColour(); });
        else if (name == QLatin1String("BrushColor"))
            ErrorReporter::guard([this] { chooseBrushColour(); });
    }
    return KeruloWindow::eventFilter(watched, event);
}

} // namespace kerulo
