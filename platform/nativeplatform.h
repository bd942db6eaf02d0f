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

    ProgramStart& start();
    Platform services();

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};

} // namespace kerulo
