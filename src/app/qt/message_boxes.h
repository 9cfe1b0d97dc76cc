#pragma once

#include "app/logic/message_box.h"

#include <QDialog>
#include <string>

class QPushButton;

namespace app::qt {

// The plain message box: the application title as caption, no icon, the message word-wrapped at half
// the screen's width, and one "Aceptar" button that is both the default and the cancel button.
// Laid out by logic::layoutMessageBox() and centred on the primary screen by its outer size. Ctrl+C beeps and copies
// the box as text.
class PlainMessageBox : public QDialog
{
    Q_OBJECT

public:
    explicit PlainMessageBox(const QString& message, QWidget* parent = nullptr);

    const logic::MessageBoxLayout& boxLayout() const { return m_layout; }
    QPushButton* button() const { return m_button; }
    const QString& message() const { return m_message; }

    // The text that Ctrl+C puts on the clipboard.
    QString clipboardText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Centres the box on the primary screen by its outer size (logic::centredByOuterSize).
    void placeOnScreen();

    QString m_message;
    logic::MessageBoxLayout m_layout;
    QPushButton* m_button = nullptr;
};

// Shows a plain message, modal to the whole program, and returns when it has been closed.
void showPlainMessage(const QString& message);

// The error box: the platform's message box with the error icon, one OK button and the application
// title, showing the text as it stands (logic::errorBoxTextOf() has given it its final period).
// Modal to the whole program; afterwards the window that was active, and its focus, are active again.
void showErrorBox(const std::string& text);

} // namespace app::qt
