#include "app/qt/save_dialog.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"

#include <QApplication>
#include <QScreen>

namespace app::qt {

namespace {

logic::Rect toRect(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.width(), rect.height()};
}

std::optional<logic::Rect> monitorOf(const QWidget* window)
{
    if (const QScreen* screen = window ? window->screen() : nullptr)
        return toRect(screen->geometry());
    return std::nullopt;
}

} // namespace

PlacedFileDialog::PlacedFileDialog(QWidget* parent, QWidget* mainWindow)
    : QFileDialog(parent, QString::fromUtf8(logic::texts::SaveDialogTitle))
    , m_mainWindow(mainWindow)
{
}

void PlacedFileDialog::showEvent(QShowEvent* event)
{
    QWidget* active = QApplication::activeWindow();
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        const logic::Rect monitor = logic::saveDialogMonitor(
            monitorOf(active != this ? active : nullptr), monitorOf(m_mainWindow), toRect(primary->geometry()));
        const QSize dialog = frameGeometry().size();
        const logic::Position position = logic::saveDialogPosition(monitor, {dialog.width(), dialog.height()});
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
