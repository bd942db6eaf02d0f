#include "platform/nativeplatform.h"
#include "platform/x11/x11platform.h"
#include "platform/x11/x11programstart.h"

namespace kerulo {

struct NativePlatform::Services {
    X11ProgramStart start;
    X11Platform platform;
};

NativePlatform::NativePlatform() : m_services(std::make_unique<Services>()) {}
NativePlatform::~NativePlatform() = default;

ProgramStart& NativePlatform::start() {
    return m_services->start;
}

Platform NativePlatform::services() {
    return m_services->platform.services();
}

} // namespace kerulo
