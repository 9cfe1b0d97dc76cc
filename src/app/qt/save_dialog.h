#pragma once

#include <QFileDialog>
#include <QPointer>
#include <optional>

namespace app::qt {

// The file dialog that the save dialog shows: Qt's own (not the desktop's, so that it can be placed),
// placed by logic::saveDialogPosition() on the monitor of the program's active window, else of the
// main window, when it is shown.
class PlacedFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    PlacedFileDialog(QWidget* parent, QWidget* mainWindow);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
};

// The save dialog (SaveDialogXML in the main window): title "Guardar Archivo XML", one filter "*.xml",
// default suffix "xml" added to a name typed without one, no question when an existing file is
// chosen, no initial folder. Modal to the whole program. The name it offers is the export run's
// remembered one, which the caller passes.
class XmlSaveDialog
{
public:
    // Shows the dialog offering offeredName (nothing when empty); answers the confirmed file's full
    // path, or nothing when it was cancelled. parent owns the dialog window (may be null); mainWindow
    // decides the monitor when no window of the program is active.
    std::optional<QString> execute(QWidget* parent, QWidget* mainWindow, const QString& offeredName);
};

} // namespace app::qt
