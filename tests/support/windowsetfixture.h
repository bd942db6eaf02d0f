#pragma once

#include "app/windowset.h"
#include "platform/fake/fakeplatform.h"
#include "support/runfolder.h"
#include "ui/errorreporter.h"

#include <QCoreApplication>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

namespace kerulo::test {

/// The seven windows on the fake platform, in a private run folder, with errors collected
/// instead of shown.
class WindowSetFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorReporter::setSink([this](const QString& text) { errors << text; });
    }
    void TearDown() override {
        windows.reset();
        ErrorReporter::setSink({});
    }

    /// Creates the windows and lets the event loop make its first moves.
    void start(bool showMainWindow = true) {
        windows = std::make_unique<WindowSet>(platform.services());
        if (showMainWindow)
            windows->showMainWindow();
        QCoreApplication::processEvents();
    }

    RunFolder runFolder;
    FakePlatform platform;
    QStringList errors;
    std::unique_ptr<WindowSet> windows;
};

} // namespace kerulo::test
