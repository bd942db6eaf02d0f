#pragma once

#include "platform/desktopshell.h"

#include <QSet>
#include <QString>

namespace kerulo {

/// Remembers which windows were named and kept off the task bar.
class FakeDesktopShell : public DesktopShell {
public:
    void setWindowClass(QWidget& window, const QString& className) override {
        m_classes.insert(&window, className);
    }
    void keepOffTaskbar(QWidget& window) override { m_offTaskbar.insert(&window); }
    bool standardErrorSeen() const override { return m_standardErrorSeen; }

    /// As on a desktop whose programs start without a terminal or log (Windows).
    void hideStandardError() { m_standardErrorSeen = false; }

    QString windowClass(QWidget* w) const { return m_classes.value(w); }
    bool isOffTaskbar(QWidget* w) const { return m_offTaskbar.contains(w); }

private:
    QHash<QWidget*, QString> m_classes;
    QSet<QWidget*> m_offTaskbar;
    bool m_standardErrorSeen = true;
};

} // namespace kerulo
