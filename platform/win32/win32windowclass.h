#pragma once

#include <windows.h>

namespace kerulo {

/// Registers a window class of the program's own with the given procedure, once per name and
/// process. Throws std::runtime_error naming `what` when Windows refuses it.
void registerWindowClass(const wchar_t* name, WNDPROC procedure, const char* what);

} // namespace kerulo
