#pragma once

#include "platform/throttledpointerwatch.h"
#include "platform/win32/win32messagewindow.h"

namespace kerulo {

/// Reports pointer motion from raw mouse input (WM_INPUT), which a message window registered
/// with RIDEV_INPUTSINK receives over every window, whichever program has the focus.
class Win32PointerWatch : public ThrottledPointerWatch {
    Q_OBJECT
public:
    explicit Win32PointerWatch(QObject* parent = nullptr);
    ~Win32PointerWatch() override;

    bool usesRawMotion() const { return m_rawInput; }

private:
    Win32MessageWindow m_window;
    bool m_rawInput = false;
};

} // namespace kerulo
