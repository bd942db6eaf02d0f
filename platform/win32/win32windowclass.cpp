#include "platform/win32/win32windowclass.h"

#include <mutex>
#include <set>
#include <stdexcept>
#include <string>

namespace kerulo {

void registerWindowClass(const wchar_t* name, WNDPROC procedure, const char* what) {
    static std::mutex guard;
    static std::set<std::wstring> registered;
    const std::lock_guard<std::mutex> lock(guard);
    if (registered.count(name))
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0)
        throw std::runtime_error(std::string("Windows did not register the class of ") + what +
                                 ".");
    registered.insert(name);
}

} // namespace kerulo
