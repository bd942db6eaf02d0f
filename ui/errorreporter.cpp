#include "ui/errorreporter.h"

#include "ui/messagebox.h"

namespace kerulo {

namespace {
ErrorReporter::Sink& sink() {
    static ErrorReporter::Sink s;
    return s;
}
} // namespace

void ErrorReporter::report(const QString& text) {
    if (sink())
        sink()(text);
    else
        MessageBox::showError(text);
}

// Exception texts in this program are UTF-8.
void ErrorReporter::report(const std::exception& error) {
    report(QString::fromUtf8(error.what()));
}

void ErrorReporter::setSink(Sink s) {
    sink() = std::move(s);
}

} // namespace kerulo
