#pragma once

// The main function of a test whose own process connects the toolkit to the X server: the
// toolkit connects once, in the application's constructor, so the virtual desktop comes first.

#include "e2e/e2esession.h"

#include <gtest/gtest.h>

namespace kerulo::e2e {

/// Starts a virtual desktop, points `desktop` at it for the tests, makes the application
/// (QGuiApplication or QApplication) on it and runs every test.
template <typename Application> int runTestsOnVirtualDesktop(int argc, char** argv,
                                                              VirtualDesktop*& desktop) {
    VirtualDesktop own;
    desktop = &own;
    qputenv("DISPLAY", QByteArray::fromStdString(own.display()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace kerulo::e2e
