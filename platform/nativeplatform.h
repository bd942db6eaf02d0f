#pragma once

#include "platform/platform.h"
#include "platform/programstart.h"

#include <memory>

namespace kerulo {

/// The platform services of the window system the program was built for (the build chooses
/// which). Needs the application object to exist.
class NativePlatform {
public:
    NativePlatform();
    ~NativePlatform();
    NativePlatform(const NativePlatform&) = delete;
    NativePlatform& operator=(const NativePlatform&) = delete;

    /// Settles, before the application object exists, what the toolkit reads once in its
    /// constructor (which of its window-system plugins to load), and says what the user should
    /// know about the session on standard error.
    static void prepareToolkit();

    ProgramStart& start();
    Platform services();

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};

} // namespace kerulo
