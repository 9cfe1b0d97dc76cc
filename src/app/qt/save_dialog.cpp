#include "app/qt/save_dialog.h"

#include "app/window_texts.h"

#include <QApplication>
#include <QScreen>

namespace app::qt {

namespace {

int floorDivide(int value, int divisor)
{
    const int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

QPoint saveDialogPosition(const QRect& monitor, const QSize& dialog)
{
    return {monitor.left() + floorDivide(monitor.width() - dialog.width(), 2),
        monitor.top() + floorDivide(monitor.height() - dialog.height(), 3)};
}

PlacedFileDialog::PlacedFileDialog(QWidget* parent, QWidget* mainWindow)
    : QFileDialog(parent, QString::fromUtf8(texts::SaveDialogTitle))
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
    if (monitor)
        move(saveDialogPosition(monitor->geometry(), frameGeometry().size()));
    QFileDialog::showEvent(event);
}

std::optional<QString> XmlSaveDialog::execute(QWidget* parent, QWidget* mainWindow)
{
    PlacedFileDialog dialog(parent, mainWindow);
    dialog.setObjectName(QStringLiteral("SaveDialogXML"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(texts::SaveDialogFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(texts::SaveDialogSuffix));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!m_fileName.isEmpty())
        dialog.selectFile(m_fileName);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    m_fileName = chosen.first();
    return m_fileName;
}

} // namespace app::qt
