#pragma once

#include <QFileDialog>
#include <QPointer>
#include <optional>

namespace app::qt {

// Where the save dialog goes on a monitor: centred across it, its top at one third of the monitor's
// free height ((monitor height - dialog height) / 3, rounded down).
QPoint saveDialogPosition(const QRect& monitor, const QSize& dialog);

// The file dialog that the save dialog shows: Qt's own (not the desktop's, so that it can be placed),
// placed by saveDialogPosition() on the monitor of the program's active window, else of the main
// window, when it is shown.
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

// The save dialog (SaveDialogXML in the main window): title "Guardar Archivo XML", one filter "*.xml", default suffix
// "xml" added to a name typed without one, no question when an existing file is chosen, the name last
// confirmed offered again, no initial folder. Modal to the whole program.
class XmlSaveDialog
{
public:
    // Shows the dialog; answers the confirmed file's full path, or nothing when it was cancelled.
    // parent owns the dialog window (may be null); mainWindow decides the monitor when no window of
    // the program is active.
    std::optional<QString> execute(QWidget* parent, QWidget* mainWindow);

    // The name last confirmed (empty before the first confirmation).
    const QString& fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

} // namespace app::qt
