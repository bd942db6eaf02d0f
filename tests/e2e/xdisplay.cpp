#include "xdisplay.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kerulo::e2e {

namespace {
constexpr int MotionPause = 8; // ms between motions, so that none are merged

int s_lastError = 0;

// Windows come and go while the tree is walked; a vanished window is not an error here. The
// last error is kept for the requests that need to know whether they were refused.
int ignoreErrors(Display*, XErrorEvent* error) {
    s_lastError = error->error_code;
    return 0;
}
} // namespace

bool waitUntil(int timeoutMs, const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

XDisplay::XDisplay(const std::string& name) {
    XSetErrorHandler(ignoreErrors);
    m_display = XOpenDisplay(name.c_str());
    if (!m_display)
        throw std::runtime_error("cannot open display " + name);
}

XDisplay::~XDisplay() {
    if (m_display)
        XCloseDisplay(m_display);
}

QSize XDisplay::screenSize() const {
    return {DisplayWidth(m_display, DefaultScreen(m_display)),
            DisplayHeight(m_display, DefaultScreen(m_display))};
}

void XDisplay::movePointer(int x, int y) {
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    XSync(m_display, False);
    QThread::msleep(MotionPause);
}

void XDisplay::movePointerWithoutPause(int x, int y) {
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    XFlush(m_display);
}

void XDisplay::warpPointer(int x, int y) {
    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, x, y);
    XSync(m_display, False);
}

QPoint XDisplay::pointer() const {
    Window root, child;
    int rx = 0, ry = 0, wx, wy;
    unsigned int mask;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rx, &ry, &wx, &wy,
                  &mask);
    return {rx, ry};
}

void XDisplay::pressButton(int button) {
    XTestFakeButtonEvent(m_display, unsigned(button), True, CurrentTime);
    XSync(m_display, False);
}

void XDisplay::releaseButton(int button) {
    XTestFakeButtonEvent(m_display, unsigned(button), False, CurrentTime);
    XSync(m_display, False);
}

// Core XTest events take the pointer's position; the XTest pointer device's own button events
// carry its two absolute valuators, and the server moves the pointer with the event itself.
void XDisplay::releaseButtonAt(int button, QPoint p) {
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(m_display, &count);
    XID id = 0;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(devices[i].name, "Virtual core XTEST pointer") == 0)
            id = devices[i].id;
    if (devices)
        XFreeDeviceList(devices);
    XDevice* device = id ? XOpenDevice(m_display, id) : nullptr;
    if (!device)
        throw std::runtime_error("the display has no XTest pointer device");
    int axes[2] = {p.x(), p.y()};
    XTestFakeDeviceButtonEvent(m_display, device, unsigned(button), False, axes, 2, CurrentTime);
    XCloseDevice(m_display, device);
    XSync(m_display, False);
}

void XDisplay::click(int button) {
    pressButton(button);
    QThread::msleep(30);
    releaseButton(button);
}

void XDisplay::key(const char* keysym, bool press) {
    const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(keysym));
    XTestFakeKeyEvent(m_display, code, press ? True : False, CurrentTime);
    XSync(m_display, False);
}

void XDisplay::tapKey(const char* keysym) {
    key(keysym, true);
    QThread::msleep(20);
    key(keysym, false);
}

unsigned long XDisplay::atom(const char* name) const {
    return XInternAtom(m_display, name, False);
}

QString XDisplay::textProperty(unsigned long id, const char* property) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(m_display, id, atom(property), 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        if (format == 8)
            text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        XFree(data);
    }
    return text;
}

QString XDisplay::wmName(unsigned long id) const {
    XTextProperty property{};
    QString name;
    if (XGetWMName(m_display, id, &property) && property.value) {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(m_display, &property, &list, &count) >= Success &&
            count > 0)
            name = QString::fromUtf8(list[0]);
        if (list)
            XFreeStringList(list);
        XFree(property.value);
    }
    return name;
}

std::optional<XWindowInfo> XDisplay::info(unsigned long id) const {
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, id, &a))
        return std::nullopt;
    XWindowInfo w;
    w.id = id;
    w.name = textProperty(id, "_NET_WM_NAME");
    if (w.name.isEmpty())
        w.name = textProperty(id, "WM_NAME");
    const QString wmClass = textProperty(id, "WM_CLASS");
    w.className = wmClass.section(QChar('\0'), 1, 1);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(m_display, id, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    w.geometry = QRect(x, y, a.width, a.height);
    w.mapped = a.map_state == IsViewable;
    w.overrideRedirect = a.override_redirect;
    w.inputOnly = a.c_class == InputOnly;
    return w;
}

std::vector<unsigned long> XDisplay::children(unsigned long id) const {
    Window root, parent;
    Window* list = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> out;
    if (XQueryTree(m_display, id, &root, &parent, &list, &count)) {
        out.assign(list, list + count);
        if (list)
            XFree(list);
    }
    return out;
}

void XDisplay::collect(unsigned long id, std::vector<XWindowInfo>& out) const {
    for (unsigned long child : children(id)) {
        if (auto w = info(child))
            out.push_back(*w);
        collect(child, out);
    }
}

std::vector<XWindowInfo> XDisplay::allWindows() const {
    std::vector<XWindowInfo> out;
    collect(DefaultRootWindow(m_display), out);
    return out;
}

std::vector<XWindowInfo> XDisplay::mappedWindowsOfClass(const QString& className) const {
    std::vector<XWindowInfo> out;
    for (const XWindowInfo& w : allWindows())
        if (w.mapped && w.className == className)
            out.push_back(w);
    return out;
}

std::optional<XWindowInfo> XDisplay::findByName(const QString& name) const {
    for (const XWindowInfo& w : allWindows())
        if (w.name == name)
            return w;
    return std::nullopt;
}

std::vector<unsigned long> XDisplay::clientList() const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(m_display, DefaultRootWindow(m_display), atom("_NET_CLIENT_LIST"), 0,
                           4096, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        auto* ids = reinterpret_cast<unsigned long*>(data);
        out.assign(ids, ids + count);
        XFree(data);
    }
    return out;
}

std::vector<std::string> XDisplay::atomNames(unsigned long id, const char* property) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<std::string> out;
    if (XGetWindowProperty(m_display, id, atom(property), 0, 64, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        auto* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* n = XGetAtomName(m_display, atoms[i]);
            out.emplace_back(n ? n : "");
            if (n)
                XFree(n);
        }
        XFree(data);
    }
    return out;
}

std::vector<std::string> XDisplay::netWmState(unsigned long id) const {
    return atomNames(id, "_NET_WM_STATE");
}

std::vector<std::string> XDisplay::windowType(unsigned long id) const {
    return atomNames(id, "_NET_WM_WINDOW_TYPE");
}

std::vector<XWindowInfo> XDisplay::mappedTopLevelsOfType(const char* type) const {
    std::vector<XWindowInfo> out;
    for (unsigned long id : children(DefaultRootWindow(m_display))) {
        const std::vector<std::string> types = windowType(id);
        if (std::find(types.begin(), types.end(), type) == types.end())
            continue;
        if (const std::optional<XWindowInfo> w = info(id); w && w->mapped)
            out.push_back(*w);
    }
    return out;
}

unsigned long XDisplay::selectionOwner(const char* selection) const {
    return XGetSelectionOwner(m_display, atom(selection));
}

QImage XDisplay::grab(const QRect& area) const {
    XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), area.x(), area.y(),
                              unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage out(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            out.setPixel(x, y, QRgb(XGetPixel(image, x, y)) | 0xff000000u);
    XDestroyImage(image);
    return out;
}

QRgb XDisplay::pixel(int x, int y) const {
    return grab(QRect(x, y, 1, 1)).pixel(0, 0);
}

QImage XDisplay::cursorImage() const {
    XFixesCursorImage* cursor = XFixesGetCursorImage(m_display);
    if (!cursor)
        return {};
    QImage image(cursor->width, cursor->height, QImage::Format_ARGB32);
    for (int y = 0; y < cursor->height; ++y)
        for (int x = 0; x < cursor->width; ++x)
            image.setPixel(x, y, QRgb(cursor->pixels[y * cursor->width + x]));
    image.setOffset(QPoint(cursor->xhot, cursor->yhot));
    XFree(cursor);
    return image;
}

void XDisplay::setFontCursor(unsigned long window, unsigned int glyph) {
    XDefineCursor(m_display, window, XCreateFontCursor(m_display, glyph));
    XSync(m_display, False);
}

void XDisplay::sync() const {
    XSync(m_display, False);
}

unsigned long XDisplay::createTestWindow(const QRect& geometry, QRgb colour) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = colour & 0xffffff;
    a.event_mask = ButtonPressMask;
    const Window w = XCreateWindow(
        m_display, DefaultRootWindow(m_display), geometry.x(), geometry.y(),
        unsigned(geometry.width()), unsigned(geometry.height()), 0, CopyFromParent, InputOutput,
        CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &a);
    XMapRaised(m_display, w);
    XSync(m_display, False);
    return w;
}

unsigned long XDisplay::createManagedTestWindow(const QRect& geometry, QRgb colour) {
    XSetWindowAttributes a{};
    a.background_pixel = colour & 0xffffff;
    const Window w =
        XCreateWindow(m_display, DefaultRootWindow(m_display), geometry.x(), geometry.y(),
                      unsigned(geometry.width()), unsigned(geometry.height()), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel, &a);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = geometry.x();
    hints.y = geometry.y();
    hints.width = geometry.width();
    hints.height = geometry.height();
    XSetWMNormalHints(m_display, w, &hints);
    XMapWindow(m_display, w);
    XSync(m_display, False);
    return w;
}

void XDisplay::moveWindow(unsigned long id, QPoint topLeft) {
    XMoveWindow(m_display, id, topLeft.x(), topLeft.y());
    XSync(m_display, False);
}

void XDisplay::raiseWindow(unsigned long id) {
    XRaiseWindow(m_display, id);
    XSync(m_display, False);
}

void XDisplay::requestClose(unsigned long id) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = id;
    e.xclient.message_type = atom("_NET_CLOSE_WINDOW");
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = 2; // a pager or another tool of the user's, not the program itself
    XSendEvent(m_display, DefaultRootWindow(m_display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(m_display, False);
}

void XDisplay::repaintWindow(unsigned long id) {
    XClearArea(m_display, id, 0, 0, 0, 0, True);
    XSync(m_display, False);
}

void XDisplay::setOpacity(unsigned long id, double opacity) {
    const unsigned long value = (unsigned long)(opacity * 0xffffffffu);
    XChangeProperty(m_display, id, atom("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(m_display, False);
}

void XDisplay::destroyWindow(unsigned long id) {
    XDestroyWindow(m_display, id);
    XSync(m_display, False);
}

bool XDisplay::takeButtonPress(unsigned long id) {
    XSync(m_display, False);
    XEvent e;
    bool pressed = false;
    while (XCheckWindowEvent(m_display, id, ButtonPressMask, &e))
        pressed = true;
    return pressed;
}

unsigned long XDisplay::createKeyWindow(const QRect& geometry, QRgb colour) {
    const unsigned long w = createTestWindow(geometry, colour);
    XSelectInput(m_display, w, ButtonPressMask | KeyPressMask);
    XSync(m_display, False);
    waitUntil(2000, [&] { return info(w) && info(w)->mapped; });
    return w;
}

void XDisplay::focus(unsigned long id) {
    XSetInputFocus(m_display, id, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

std::vector<std::string> XDisplay::takeKeyPresses(unsigned long id) {
    XSync(m_display, False);
    std::vector<std::string> keys;
    XEvent e;
    while (XCheckWindowEvent(m_display, id, KeyPressMask, &e)) {
        const char* name = XKeysymToString(XLookupKeysym(&e.xkey, 0));
        keys.emplace_back(name ? name : "?");
    }
    return keys;
}

unsigned long XDisplay::root() const {
    return DefaultRootWindow(m_display);
}

bool XDisplay::grabKey(const char* keysym, unsigned modifiers) {
    XSync(m_display, False);
    s_lastError = 0;
    XGrabKey(m_display, XKeysymToKeycode(m_display, XStringToKeysym(keysym)), modifiers,
             DefaultRootWindow(m_display), False, GrabModeAsync, GrabModeAsync);
    XSync(m_display, False);
    return s_lastError == 0;
}

void XDisplay::ungrabKey(const char* keysym, unsigned modifiers) {
    XUngrabKey(m_display, XKeysymToKeycode(m_display, XStringToKeysym(keysym)), modifiers,
               DefaultRootWindow(m_display));
    XSync(m_display, False);
}

unsigned XDisplay::lockModifiers() const {
    Window root, child;
    int rx, ry, wx, wy;
    unsigned int mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rx, &ry, &wx, &wy,
                  &mask);
    return mask & (LockModifier::CapsLock | LockModifier::NumLock);
}

std::pair<int, int> XDisplay::enableAutoRepeat() {
    XAutoRepeatOn(m_display);
    XSync(m_display, False);
    unsigned int delay = 0, interval = 0;
    XkbGetAutoRepeatRate(m_display, XkbUseCoreKbd, &delay, &interval);
    return {int(delay), int(interval)};
}

void XDisplay::watchMapping(unsigned long id) {
    XSelectInput(m_display, id, StructureNotifyMask);
    XSync(m_display, False);
}

int XDisplay::takeMapChanges(unsigned long id) {
    XSync(m_display, False);
    int changes = 0;
    XEvent e;
    while (XCheckWindowEvent(m_display, id, StructureNotifyMask, &e))
        changes += e.type == MapNotify || e.type == UnmapNotify;
    return changes;
}

} // namespace kerulo::e2e
