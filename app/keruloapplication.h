#pragma once

#include <QApplication>

namespace kerulo {

/// The application object. Handlers catch their own errors through the error reporter; an
/// exception that still reaches the event dispatch is reported here, the last net.
class KeruloApplication : public QApplication {
    Q_OBJECT
public:
    KeruloApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kerulo
