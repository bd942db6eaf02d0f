#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace kerulo {

/// The one place where errors end up: their text is shown in the application's error box and
/// the program goes on. Tests replace the box with a sink of their own.
class ErrorReporter {
public:
    using Sink = std::function<void(const QString&)>;

    static void report(const QString& text);
    static void report(const std::exception& error);

    /// Replaces the error box; an empty sink brings the box back.
    static void setSink(Sink sink);

    /// Runs a handler; an exception that leaves it is reported and goes no further.
    template <typename Handler> static void guard(Handler&& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            report(e);
        } catch (...) {
            report(QStringLiteral("Unknown error"));
        }
    }
};

} // namespace kerulo
