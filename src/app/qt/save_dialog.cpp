#include "app/qt/save_dialog.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"

#include <QApplication>
#include <QScreen>

namespace app::qt {

PlacedFileDialog::PlacedFileDialog(QWidget* parent, QWidget* mainWindow)
    : QFileDialog(parent, QString::fromUtf8(logic::texts::SaveDialogTitle))
    , m_mainWindow(mainWindow)
{
}

void PlacedFileDialog::showEvent(QShowEvent* event)
{
    QScreen* monitor = nullptr;
    if (QWidget* active = QApplication::activeWindow(); active && active != this)
        monitor = active->screen();
    else if (m_mainWindow)
        monitor = m_mainWindow->screen();
    if (!monitor)
        monitor = QGuiApplication::primaryScreen();
    if (monitor) {
        const QRect area = monitor->geometry();
        const QSize dialog = frameGeometry().size();
        const logic::Position position = logic::saveDialogPosition(
            {area.left(), area.top(), area.width(), area.height()}, {dialog.width(), dialog.height()});
        move(position.left, position.top);
    }
    QFileDialog::showEvent(event);
}

std::optional<QString> XmlSaveDialog::execute(QWidget* parent, QWidget* mainWindow, const QString& offeredName)
{
    PlacedFileDialog dialog(parent, mainWindow);
    dialog.setObjectName(QStringLiteral("SaveDialogXML"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(logic::texts::SaveDialogFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(logic::texts::SaveDialogSuffix));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!offeredName.isEmpty())
        dialog.selectFile(offeredName);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace app::qt
