#pragma once

#include "platform/globalkeys.h"
#include "platform/win32/win32messagewindow.h"

#include <vector>

namespace kerulo {

/// Global keys as system hot keys (RegisterHotKey), all on one message window with an
/// identifier per combination. Hot keys do not depend on Num Lock or Caps Lock.
class Win32GlobalKeys : public GlobalKeys {
    Q_OBJECT
public:
    explicit Win32GlobalKeys(QObject* parent = nullptr);
    ~Win32GlobalKeys() override;

    using GlobalKeys::grab;
    using GlobalKeys::release;

    quint32 atom(const QByteArray& name) override;
    bool grab(const KeyCombination& combination, QString* error) override;
    void release(const KeyCombination& combination) override;

    /// The virtual-key code of a key; 0 for keys that cannot be taken.
    static UINT virtualKeyOf(Qt::Key key);

private:
    struct HotKey {
        KeyCombination combination;
        int id;
    };

    bool handle(UINT message, WPARAM wParam);

    Win32MessageWindow m_window;
    std::vector<HotKey> m_hotKeys;
    std::vector<ATOM> m_atoms;
    int m_nextId = 1;
};

} // namespace kerulo
