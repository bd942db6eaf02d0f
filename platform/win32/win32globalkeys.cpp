#include "platform/win32/win32globalkeys.h"

#include <algorithm>
#include <stdexcept>

namespace kerulo {

namespace {
UINT modifierFlags(Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (modifiers & Qt::AltModifier)
        flags |= MOD_ALT;
    if (modifiers & Qt::ControlModifier)
        flags |= MOD_CONTROL;
    if (modifiers & Qt::ShiftModifier)
        flags |= MOD_SHIFT;
    if (modifiers & Qt::MetaModifier)
        flags |= MOD_WIN;
    return flags;
}
} // namespace

Win32GlobalKeys::Win32GlobalKeys(QObject* parent)
    : GlobalKeys(parent),
      m_window([this](UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
          *result = 0;
          return handle(message, wParam);
      }) {}

Win32GlobalKeys::~Win32GlobalKeys() {
    for (const HotKey& hotKey : m_hotKeys)
        UnregisterHotKey(m_window.handle(), hotKey.id);
    for (ATOM atom : m_atoms)
        GlobalDeleteAtom(atom);
}

// Each call adds a reference to the global atom, given back when the keys go.
quint32 Win32GlobalKeys::atom(const QByteArray& name) {
    const std::wstring wide = QString::fromUtf8(name).toStdWString();
    const ATOM atom = GlobalAddAtomW(wide.c_str());
    if (atom == 0)
        throw std::runtime_error("Windows did not give the atom " + name.toStdString());
    m_atoms.push_back(atom);
    return atom;
}

UINT Win32GlobalKeys::virtualKeyOf(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key; // the virtual keys of digits and letters are their upper-case codes
    switch (key) {
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Return:
        return VK_RETURN;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    default:
        return 0;
    }
}

// Without MOD_NOREPEAT the keyboard's auto-repeats arrive too, as every press must.
bool Win32GlobalKeys::grab(const KeyCombination& combination, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (std::any_of(m_hotKeys.begin(), m_hotKeys.end(),
                    [&](const HotKey& h) { return h.combination == combination; }))
        return true;
    if (combination.modifiers & ~GlobalKeyModifiers)
        return fail(QStringLiteral("it has a modifier that cannot be taken"));
    const UINT key = virtualKeyOf(combination.key);
    if (key == 0)
        return fail(QStringLiteral("the key cannot be taken"));
    const int id = m_nextId++;
    if (!RegisterHotKey(m_window.handle(), id, modifierFlags(combination.modifiers), key)) {
        const DWORD code = GetLastError();
        return fail(code == ERROR_HOTKEY_ALREADY_REGISTERED
                        ? QStringLiteral("another program holds it")
                        : QStringLiteral("Windows refused it (error %1)").arg(code));
    }
    m_hotKeys.push_back({combination, id});
    return true;
}

void Win32GlobalKeys::release(const KeyCombination& combination) {
    const auto held = std::find_if(m_hotKeys.begin(), m_hotKeys.end(), [&](const HotKey& h) {
        return h.combination == combination;
    });
    if (held == m_hotKeys.end())
        return;
    UnregisterHotKey(m_window.handle(), held->id);
    m_hotKeys.erase(held);
}

bool Win32GlobalKeys::handle(UINT message, WPARAM wParam) {
    if (message != WM_HOTKEY)
        return false;
    const auto held = std::find_if(m_hotKeys.begin(), m_hotKeys.end(),
                                   [wParam](const HotKey& h) { return WPARAM(h.id) == wParam; });
    if (held != m_hotKeys.end()) {
        const KeyCombination combination = held->combination;
        QMetaObject::invokeMethod(
            this, [this, combination] { announce(combination); }, Qt::QueuedConnection);
    }
    return true;
}

} // namespace kerulo
