#include "help/helpwindow.h"

#include "help/helptext.h"
#include "ui/layoutfonts.h"
#include "ui/systemcolors.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTextEdit>

namespace kerulo {

namespace {

// The layout's outer size includes the frame of the desktop it was drawn on: a sizing border
// of 8 pixels on each side and a 22-pixel title bar. Qt places the frame but sizes only the
// client area, and the frame a window manager adds is known only after the window is mapped,
// so the client is given the outer size minus that frame once, at creation; under a similar
// frame the outer size comes out as stored, and a resize by the user is kept from then on.
constexpr int OuterWidth = 624;
constexpr int OuterHeight = 480;
constexpr int FrameWidth = 2 * 8;
constexpr int FrameHeight = 22 + 2 * 8;

} // namespace

HelpWindow::HelpWindow(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("光标特效"));
    setFaceColor(SystemColors::BtnFace);
    setFont(LayoutFonts::msSansSerif(11));
    resize(OuterWidth - FrameWidth, OuterHeight - FrameHeight);
    // On a top-level window move() places the frame, which is what Left and Top mean.
    move(230, 189);

    // Neither control is in a layout: they keep their place and size when the window is
    // resized.
    m_title = new QLabel(QStringLiteral("Kerulo软件"), this);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setFont(LayoutFonts::songTi(29, true));
    m_title->move(224, 32);

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichEdit1"));
    m_text->setFont(LayoutFonts::songTi(19));
    m_text->setGeometry(56, 112, 529, 329);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setLineWrapMode(QTextEdit::WidgetWidth);
    m_text->setPlainText(helpTextLines().join(QLatin1Char('\n')));
    m_text->installEventFilter(this);
    // The window's focus widget from the start, so the text box has the focus whenever the
    // window is shown.
    m_text->setFocus();
}

// The title is sized to its text when the window is first shown rather than here: measuring
// text loads the fonts, and at start-up that would delay the toolbar, which comes later.
void HelpWindow::showEvent(QShowEvent* event) {
    m_title->adjustSize();
    KeruloWindow::showEvent(event);
}

// The text box does not take Enter: a key meant for the dialog must not break the text, and
// the window has no default button, so the key does nothing at all.
bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return KeruloWindow::eventFilter(watched, event);
}

} // namespace kerulo
