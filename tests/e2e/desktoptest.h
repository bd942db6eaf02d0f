#pragma once

#include "e2esession.h"
#include "keruloprobe.h"

#include <gtest/gtest.h>

namespace kerulo::e2e {

enum class Desktop { Plain, Composited, WithoutTray, Xfce, XfceWithoutPanel };

/// A test suite on a virtual desktop of its own, with a client connection to drive and watch
/// it: openbox and a tray host that embeds icons, a compositor too, or no tray host at all; or
/// the Xfce window manager on a message bus of its own, with or without its panel.
template <Desktop Kind = Desktop::Plain> class DesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QStringList options = Kind == Desktop::Composited    ? QStringList{"--compositor"}
                                    : Kind == Desktop::WithoutTray ? QStringList{"--no-tray"}
                                    : Kind == Desktop::Xfce ? QStringList{"--desktop", "xfce"}
                                    : Kind == Desktop::XfceWithoutPanel
                                        ? QStringList{"--desktop", "xfce", "--no-tray"}
                                        : QStringList{};
        s_desktop = new VirtualDesktop(options);
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
    /// The desktop's session bus, empty when it has none.
    static const std::string& bus() { return s_desktop->bus(); }

private:
    static inline VirtualDesktop* s_desktop = nullptr;
    static inline XDisplay* s_x = nullptr;
};

} // namespace kerulo::e2e
