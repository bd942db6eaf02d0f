#pragma once

#include <QMessageBox>

#include <functional>

namespace kerulo {

/// The program's message box: the text and an OK button. Ctrl+C copies the box as plain text
/// (title, text and buttons between dashed lines), so that a teacher can paste an error into a
/// message to whoever helps them.
class MessageBox : public QMessageBox {
    Q_OBJECT
public:
    explicit MessageBox(const QString& text, QWidget* parent = nullptr);

    /// The text Ctrl+C puts on the clipboard.
    QString copyText() const;

    /// Shows the box modally and returns when it is closed.
    static void showError(const QString& text);
    static void showMessage(const QString& text);

    /// What every box goes through before it is shown, so that it is labelled and listed (or
    /// not) like the program's other windows; empty for none.
    using Preparer = std::function<void(QWidget&)>;
    static void setPreparer(Preparer prepare);
    /// Runs the preparer on another of the program's dialogs (a file or colour dialog).
    static void prepare(QWidget& dialog);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace kerulo
