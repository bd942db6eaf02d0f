#pragma once

#include <windows.h>

#include <functional>

namespace kerulo {

/// A message-only window of the program's own: a target for hot keys and raw input that is
/// never shown. Its messages come through the toolkit's event loop, which dispatches every
/// message of the thread.
class Win32MessageWindow {
public:
    /// Sees each message first; answers true, with *result set, for a message it handled.
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT* result)>;

    /// Throws std::runtime_error when Windows does not make the window.
    explicit Win32MessageWindow(Handler handler);
    ~Win32MessageWindow();
    Win32MessageWindow(const Win32MessageWindow&) = delete;
    Win32MessageWindow& operator=(const Win32MessageWindow&) = delete;

    HWND handle() const { return m_window; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler m_handler;
    HWND m_window = nullptr;
};

} // namespace kerulo
