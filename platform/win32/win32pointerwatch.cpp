#include "platform/win32/win32pointerwatch.h"

namespace kerulo {

namespace {
constexpr USHORT GenericDesktopPage = 0x01;
constexpr USHORT MouseUsage = 0x02;
} // namespace

// The input's data is not read: every message means the pointer may have moved, and the
// report looks the position up once. Windows needs DefWindowProc to see WM_INPUT as well.
Win32PointerWatch::Win32PointerWatch(QObject* parent)
    : ThrottledPointerWatch(parent), m_window([this](UINT message, WPARAM, LPARAM, LRESULT*) {
          if (message == WM_INPUT)
              motionSeen(SeenFrom::NativeEventHandling);
          return false;
      }) {
    RAWINPUTDEVICE mouse{GenericDesktopPage, MouseUsage, RIDEV_INPUTSINK, m_window.handle()};
    m_rawInput = RegisterRawInputDevices(&mouse, 1, sizeof mouse);
    startChecking(m_rawInput);
}

Win32PointerWatch::~Win32PointerWatch() {
    if (!m_rawInput)
        return;
    RAWINPUTDEVICE mouse{GenericDesktopPage, MouseUsage, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&mouse, 1, sizeof mouse);
}

} // namespace kerulo
