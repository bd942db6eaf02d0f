// Drives an X11InkLayer from standard input, one command a line, for tests that look at the
// screen from outside: "paint ..." (see rastertext.h), "clear", "show", "hide", "strokes",
// "quit". Prints "ready" and the screen's device pixel ratio once the layer exists, and one
// line per command once the command's pixels have been sent to the server.
#include "platform/x11/x11inklayer.h"
#include "rastertext.h"

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <iostream>
#include <memory>

#include <unistd.h>

namespace {

void reply(const QString& text) {
    std::cout << text.toStdString() << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kerulo"));

    std::unique_ptr<kerulo::X11InkLayer> layer;
    try {
        layer = std::make_unique<kerulo::X11InkLayer>();
    } catch (const std::exception& e) {
        reply(QStringLiteral("error ") + QString::fromUtf8(e.what()));
        return 1;
    }

    const auto run = [&](const QString& line) {
        QString done;
        if (line.startsWith(QLatin1String("paint "))) {
            const auto command = kerulo::test::parsePaint(line);
            if (!command)
                return reply(QStringLiteral("error unreadable: ") + line);
            layer->paint(command->figure, command->pen, command->brush, command->mode);
            done = QStringLiteral("painted");
        } else if (line == QLatin1String("clear")) {
            layer->clear();
            done = QStringLiteral("cleared");
        } else if (line == QLatin1String("show")) {
            layer->showLayer();
            done = QStringLiteral("shown");
        } else if (line == QLatin1String("hide")) {
            layer->hideLayer();
            done = QStringLiteral("hidden");
        } else if (line == QLatin1String("strokes")) {
            done =
                layer->hasStrokes() ? QStringLiteral("strokes yes") : QStringLiteral("strokes no");
        } else if (line == QLatin1String("quit")) {
            QApplication::quit();
            return;
        } else {
            return reply(QStringLiteral("error unknown command: ") + line);
        }
        // The layer sends its pixels from the event loop; this reply is queued behind them.
        QMetaObject::invokeMethod(
            &app, [done] { reply(done); }, Qt::QueuedConnection);
    };

    // Lines may arrive in pieces or several at once.
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[65536];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            QApplication::quit();
            return;
        }
        pending.append(chunk, int(n));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            try {
                run(line);
            } catch (const std::exception& e) {
                reply(QStringLiteral("error ") + QString::fromUtf8(e.what()));
            }
        }
    });
    // Tests on a scaled display check that the scaling is in force.
    reply(QStringLiteral("ready ") +
          QString::number(QGuiApplication::primaryScreen()->devicePixelRatio()));
    return app.exec();
}
