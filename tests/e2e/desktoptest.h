#pragma once

#include "e2esession.h"
#include "keruloprobe.h"

#include <gtest/gtest.h>

namespace kerulo::e2e {

/// A test suite on a virtual desktop of its own, with a client connection to drive and watch
/// it; with a compositor when asked.
template <bool Compositor = false> class DesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_desktop = new VirtualDesktop(Compositor ? QStringList{"--compositor"} : QStringList{});
        s_x = new XDisplay(s_desktop->display());
    }
    static void TearDownTestSuite() {
        delete s_x;
        delete s_desktop;
        s_x = nullptr;
        s_desktop = nullptr;
    }

    static XDisplay& x() { return *s_x; }
    static KeruloProbe probe() { return KeruloProbe(*s_x); }
    static const std::string& display() { return s_desktop->display(); }

private:
    static inline VirtualDesktop* s_desktop = nullptr;
    static inline XDisplay* s_x = nullptr;
};

} // namespace kerulo::e2e
