#include "platform/x11/x11globalkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace kerulo {

namespace {

// Num Lock sits on Mod2 on every common keyboard layout.
constexpr uint16_t LockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK,
                                     XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr uint8_t BadAccess = 10;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// The modifiers of a combination as the server's modifier bits: Alt on Mod1, Meta (the logo key)
// on Mod4, as on every common keyboard layout.
uint16_t modifierBits(Qt::KeyboardModifiers modifiers) {
    uint16_t bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        bits |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        bits |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        bits |= XCB_MOD_MASK_4;
    return bits;
}
constexpr uint16_t CombinationBits =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

} // namespace

X11GlobalKeys::X11GlobalKeys(QObject* parent) : GlobalKeys(parent) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11GlobalKeys::~X11GlobalKeys() {
    while (!m_grabs.empty())
        release(m_grabs.back().combination);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

quint32 X11GlobalKeys::atom(const QByteArray& name) {
    xcb_connection_t* c = qtConnection();
    if (!c) {
        // Without the server there is no atom table; the names are numbered here, and no key
        // can be grabbed anyway.
        auto found = m_localAtoms.constFind(name);
        if (found == m_localAtoms.constEnd())
            found = m_localAtoms.insert(name, quint32(m_localAtoms.size() + 1));
        return *found;
    }
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()),
                              nullptr),
        &free);
    if (!reply)
        throw std::runtime_error("the X server did not give the atom " + name.toStdString());
    return reply->atom;
}

quint32 X11GlobalKeys::keysymOf(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + (key - Qt::Key_F1); // XK_F1 on
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key; // the same codes as Latin-1
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key - Qt::Key_A + 0x61; // the lower-case letter, which the key gives alone
    switch (key) {
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Escape:
        return 0xff1b;
    case Qt::Key_Tab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Return:
        return 0xff0d;
    case Qt::Key_Pause:
        return 0xff13;
    case Qt::Key_Print:
        return 0xff61;
    case Qt::Key_Insert:
        return 0xff63;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_End:
        return 0xff57;
    default:
        return 0;
    }
}

// The keys that give the symbol when pressed alone: the first column of the server's keyboard
// mapping.
std::vector<quint8> X11GlobalKeys::keycodesOf(quint32 keysym) const {
    std::vector<quint8> codes;
    xcb_connection_t* c = qtConnection();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr),
        &free);
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return codes;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    for (int i = 0; i < count; ++i)
        if (keysyms[i * mapping->keysyms_per_keycode] == keysym)
            codes.push_back(quint8(setup->min_keycode + i));
    return codes;
}

bool X11GlobalKeys::grab(const KeyCombination& combination, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (std::any_of(m_grabs.begin(), m_grabs.end(),
                    [&](const Grab& g) { return g.combination == combination; }))
        return true;
    if (combination.modifiers & ~GlobalKeyModifiers)
        return fail(QStringLiteral("it has a modifier that cannot be taken"));
    const quint32 keysym = keysymOf(combination.key);
    if (keysym == 0)
        return fail(QStringLiteral("the key cannot be taken"));
    xcb_connection_t* c = qtConnection();
    if (!c)
        return fail(QStringLiteral("no connection to the X server"));
    const std::vector<quint8> codes = keycodesOf(keysym);
    if (codes.empty())
        return fail(QStringLiteral("no key of the keyboard gives it"));
    const uint16_t bits = modifierBits(combination.modifiers);

    // Events go to the root even when one of this program's own windows has the focus, so the
    // key never reaches the program's own dialogs either.
    const xcb_window_t root = rootOf(c);
    struct Variant {
        quint8 keycode;
        uint16_t modifiers;
        xcb_void_cookie_t cookie;
    };
    std::vector<Variant> variants;
    for (quint8 code : codes)
        for (uint16_t lock : LockVariants)
            variants.push_back({code, uint16_t(bits | lock),
                                xcb_grab_key_checked(c, 0, root, uint16_t(bits | lock), code,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
    uint8_t refusal = 0;
    std::vector<const Variant*> taken;
    for (const Variant& v : variants) {
        Reply<xcb_generic_error_t> e(xcb_request_check(c, v.cookie), &free);
        if (e && !refusal)
            refusal = e->error_code;
        if (!e)
            taken.push_back(&v);
    }
    if (refusal) {
        // Half a key would work with Num Lock off and not with it on: give back what was taken.
        for (const Variant* v : taken)
            xcb_ungrab_key(c, v->keycode, root, v->modifiers);
        xcb_flush(c);
        return fail(refusal == BadAccess
                        ? QStringLiteral("another program holds it")
                        : QStringLiteral("the X server refused it (error %1)").arg(refusal));
    }
    m_grabs.push_back({combination, bits, codes});
    return true;
}

void X11GlobalKeys::release(const KeyCombination& combination) {
    const auto held = std::find_if(m_grabs.begin(), m_grabs.end(),
                                   [&](const Grab& g) { return g.combination == combination; });
    if (held == m_grabs.end())
        return;
    if (xcb_connection_t* c = qtConnection()) {
        const xcb_window_t root = rootOf(c);
        for (quint8 code : held->keycodes)
            for (uint16_t lock : LockVariants)
                xcb_ungrab_key(c, code, root, uint16_t(held->modifiers | lock));
        xcb_flush(c);
    }
    m_grabs.erase(held);
}

// F8 and Ctrl+F8 share a key code: the modifiers held tell them apart.
const X11GlobalKeys::Grab* X11GlobalKeys::grabOf(quint8 keycode, quint16 state) const {
    for (const Grab& g : m_grabs)
        if ((state & CombinationBits) == g.modifiers &&
            std::find(g.keycodes.begin(), g.keycodes.end(), keycode) != g.keycodes.end())
            return &g;
    return nullptr;
}

// Presses of a held key, auto-repeats included, are the key's; its releases are swallowed so
// that nothing else in the program takes them for its own.
bool X11GlobalKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    auto* keyEvent = static_cast<xcb_key_press_event_t*>(message);
    const Grab* held = grabOf(keyEvent->detail, keyEvent->state);
    if (!held || keyEvent->event != rootOf(qtConnection()))
        return false;
    if (type == XCB_KEY_PRESS) {
        const KeyCombination combination = held->combination;
        QMetaObject::invokeMethod(
            this, [this, combination] { announce(combination); }, Qt::QueuedConnection);
    }
    return true;
}

} // namespace kerulo
