#include "platform/win32/win32messagewindow.h"

#include "platform/win32/win32windowclass.h"

#include <stdexcept>
#include <string>

namespace kerulo {

namespace {
const wchar_t ClassName[] = L"KeruloMessageWindow";
} // namespace

Win32MessageWindow::Win32MessageWindow(Handler handler) : m_handler(std::move(handler)) {
    registerWindowClass(ClassName, &Win32MessageWindow::procedure, "the message window");
    m_window = CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), this);
    if (!m_window)
        throw std::runtime_error("Windows did not make a message window (error " +
                                 std::to_string(GetLastError()) + ")");
}

Win32MessageWindow::~Win32MessageWindow() {
    SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    DestroyWindow(m_window);
}

LRESULT CALLBACK Win32MessageWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->m_handler && self->m_handler(message, wParam, lParam, &result))
        return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kerulo
