#pragma once

#include <QString>
#include <QStringList>

namespace kerulo::test {

/// What a finished command left: its exit code (-1 when it did not end normally in time) and
/// its two output streams.
struct CommandResult {
    int exitCode = -1;
    QString out;
    QString err;
};

/// Runs a command to its end, with the test's environment, and gives what it left.
CommandResult runCommand(const QString& program, const QStringList& arguments,
                         int timeoutMs = 60000);

} // namespace kerulo::test
