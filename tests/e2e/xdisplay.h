#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace kerulo::e2e {

/// The modifier bits of the lock keys, as the X server counts them.
namespace LockModifier {
constexpr unsigned CapsLock = 1u << 1; // LockMask
constexpr unsigned NumLock = 1u << 4;  // Mod2Mask
} // namespace LockModifier

/// A window as the X server and the window manager see it.
struct XWindowInfo {
    unsigned long id = 0;
    QString name;      // _NET_WM_NAME, or WM_NAME
    QString className; // the class half of WM_CLASS
    QRect geometry;    // in root coordinates
    bool mapped = false;
    bool overrideRedirect = false;
    bool inputOnly = false; // takes input, has no pixels
};

/// A client connection that drives and observes a display from outside the program: real
/// input through XTest, window geometry and properties, root-window pixels.
class XDisplay {
public:
    explicit XDisplay(const std::string& name);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    QSize screenSize() const;

    /// Moves the pointer as a mouse does (XTest motion, not a warp) and waits a little, so
    /// the server does not merge consecutive motions.
    void movePointer(int x, int y);
    /// One motion of a fast mouse: sent at once, with no pause after it.
    void movePointerWithoutPause(int x, int y);
    QPoint pointer() const;
    /// Puts the pointer somewhere at once, as a program may: no motion events, raw or not.
    void warpPointer(int x, int y);
    void pressButton(int button);
    void releaseButton(int button);
    /// Releases a button with the pointer jumping to p in the same event: the release comes at
    /// p with no motion to p before it, as when a tablet's pen is lifted while moving.
    void releaseButtonAt(int button, QPoint p);
    void click(int button);
    void key(const char* keysym, bool press);
    void tapKey(const char* keysym);

    /// Every window in the tree below the root, top-level or not.
    std::vector<XWindowInfo> allWindows() const;
    /// Mapped windows whose WM_CLASS is the given class.
    std::vector<XWindowInfo> mappedWindowsOfClass(const QString& className) const;
    std::optional<XWindowInfo> findByName(const QString& name) const;
    std::optional<XWindowInfo> info(unsigned long id) const;

    /// The window manager's list of managed windows (_NET_CLIENT_LIST).
    std::vector<unsigned long> clientList() const;
    /// The atoms named in a window's _NET_WM_STATE.
    std::vector<std::string> netWmState(unsigned long id) const;
    /// The atoms named in a window's _NET_WM_WINDOW_TYPE.
    std::vector<std::string> windowType(unsigned long id) const;
    /// Mapped top-level windows whose _NET_WM_WINDOW_TYPE names the given type.
    std::vector<XWindowInfo> mappedTopLevelsOfType(const char* type) const;
    /// The owner of a selection such as _NET_SYSTEM_TRAY_S0, or 0.
    unsigned long selectionOwner(const char* selection) const;
    std::vector<unsigned long> children(unsigned long id) const;

    QImage grab(const QRect& area) const;
    QImage grabScreen() const { return grab(QRect(QPoint(0, 0), screenSize())); }
    QRgb pixel(int x, int y) const;

    void sync() const;
    /// A text property of a window (8-bit formats, read as UTF-8).
    QString textProperty(unsigned long id, const char* property) const;
    /// WM_NAME decoded from whichever encoding it was stored in (STRING, COMPOUND_TEXT, UTF-8).
    QString wmName(unsigned long id) const;

    /// The pointer's shape as it is drawn now (XFixes), hot spot included.
    QImage cursorImage() const;
    /// Gives a window a shape of the standard cursor font as its pointer.
    void setFontCursor(unsigned long window, unsigned int glyph);

    /// An override-redirect window of one colour that records the button presses it gets.
    unsigned long createTestWindow(const QRect& geometry, QRgb colour);
    /// A window of one colour that the window manager frames and stacks, asking to stand at
    /// the given place.
    unsigned long createManagedTestWindow(const QRect& geometry, QRgb colour);
    /// Asks for the window to go on top of its siblings (the window manager decides for the
    /// windows it manages).
    void raiseWindow(unsigned long id);
    /// Moves the window, as another client (a window manager, a tool) may.
    void moveWindow(unsigned long id, QPoint topLeft);
    /// Has the server paint the whole window again, as when it is exposed.
    void repaintWindow(unsigned long id);
    /// Asks a compositor to blend the window at this opacity (0 to 1).
    void setOpacity(unsigned long id, double opacity);
    void destroyWindow(unsigned long id);
    /// Asks the window manager to close a window it manages, as its close button does.
    void requestClose(unsigned long id);
    /// Whether a button press reached the window since the last call.
    bool takeButtonPress(unsigned long id);

    /// A test window that also records the keys pressed in it.
    unsigned long createKeyWindow(const QRect& geometry, QRgb colour);
    /// Gives a window the keyboard focus.
    void focus(unsigned long id);
    /// The keysym names ("a", "F8", "Escape") of the key presses that reached the window, or
    /// that reached this connection through its key grabs when the window is the root, since
    /// the last call.
    std::vector<std::string> takeKeyPresses(unsigned long id);
    unsigned long root() const;

    /// Grabs a key on the root window with the given modifiers, as another program would;
    /// false when the server refuses, because another client holds it.
    bool grabKey(const char* keysym, unsigned modifiers);
    void ungrabKey(const char* keysym, unsigned modifiers);
    /// The modifier bits of the lock keys that are on (LockMask, Mod2Mask).
    unsigned lockModifiers() const;
    /// Turns the keyboard's auto-repeat on; gives its delay and interval in milliseconds.
    std::pair<int, int> enableAutoRepeat();

    /// From now on counts the times the window is mapped or unmapped.
    void watchMapping(unsigned long id);
    int takeMapChanges(unsigned long id);

private:
    unsigned long atom(const char* name) const;
    std::vector<std::string> atomNames(unsigned long id, const char* property) const;
    void collect(unsigned long id, std::vector<XWindowInfo>& out) const;

    Display* m_display = nullptr;
};

/// Polls a condition until it holds or the time runs out.
bool waitUntil(int timeoutMs, const std::function<bool()>& condition);

} // namespace kerulo::e2e
