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

xcb_keysym_t keysymOf(GlobalKeys::Key key) {
    switch (key) {
    case GlobalKeys::Key::F8:
        return 0xffc5; // XK_F8
    case GlobalKeys::Key::F7:
        return 0xffc4; // XK_F7
    case GlobalKeys::Key::Escape:
        return 0xff1b; // XK_Escape
    }
    return 0;
}

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

} // namespace

X11GlobalKeys::X11GlobalKeys(QObject* parent) : GlobalKeys(parent) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11GlobalKeys::~X11GlobalKeys() {
    while (!m_grabs.empty())
        release(m_grabs.back().key);
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

// The keys that give the key's symbol when pressed alone: the first column of the server's
// keyboard mapping.
std::vector<quint8> X11GlobalKeys::keycodesOf(Key key) const {
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
        if (keysyms[i * mapping->keysyms_per_keycode] == keysymOf(key))
            codes.push_back(quint8(setup->min_keycode + i));
    return codes;
}

bool X11GlobalKeys::grab(Key key, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (std::any_of(m_grabs.begin(), m_grabs.end(), [key](const Grab& g) { return g.key == key; }))
        return true;
    xcb_connection_t* c = qtConnection();
    if (!c)
        return fail(QStringLiteral("no connection to the X server"));
    const std::vector<quint8> codes = keycodesOf(key);
    if (codes.empty())
        return fail(QStringLiteral("no key of the keyboard gives it"));

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
        for (uint16_t modifiers : LockVariants)
            variants.push_back({code, modifiers,
                                xcb_grab_key_checked(c, 0, root, modifiers, code,
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
    m_grabs.push_back({key, codes});
    return true;
}

void X11GlobalKeys::release(Key key) {
    const auto held =
        std::find_if(m_grabs.begin(), m_grabs.end(), [key](const Grab& g) { return g.key == key; });
    if (held == m_grabs.end())
        return;
    if (xcb_connection_t* c = qtConnection()) {
        const xcb_window_t root = rootOf(c);
        for (quint8 code : held->keycodes)
            for (uint16_t modifiers : LockVariants)
                xcb_ungrab_key(c, code, root, modifiers);
        xcb_flush(c);
    }
    m_grabs.erase(held);
}

const X11GlobalKeys::Grab* X11GlobalKeys::grabOfKeycode(quint8 keycode) const {
    for (const Grab& g : m_grabs)
        if (std::find(g.keycodes.begin(), g.keycodes.end(), keycode) != g.keycodes.end())
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
    const Grab* held = grabOfKeycode(keyEvent->detail);
    if (!held || keyEvent->event != rootOf(qtConnection()))
        return false;
    if (type == XCB_KEY_PRESS) {
        const Key key = held->key;
        QMetaObject::invokeMethod(
            this, [this, key] { emit pressed(key); }, Qt::QueuedConnection);
    }
    return true;
}

} // namespace kerulo
