#include "modal_script.h"

#include "app/qt/message_boxes.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace app::qt::testing {

namespace {

constexpr qint64 stuckAfterMs = 10000;

} // namespace

ModalScript::ModalScript()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start(10);
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (modal == m_current) {
        // A step that did not end its window must not hang the test.
        if (m_shownFor.elapsed() > stuckAfterMs) {
            ++m_unexpected;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        return;
    }
    m_current = modal;
    m_shownFor.start();

    QString description = QString::fromLatin1(modal->metaObject()->className()) + u'|' + modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        description += u'|' + box->text();
    else if (auto* plain = qobject_cast<PlainMessageBox*>(modal))
        description += u'|' + plain->message();
    m_seen.append(description);

    if (m_steps.empty()) {
        ++m_unexpected;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step(modal);
}

ModalScript::Step clickDefaultButton()
{
    return [](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->defaultButton() ? box->defaultButton()->click() : box->button(QMessageBox::Ok)->click();
        } else if (auto* plain = qobject_cast<PlainMessageBox*>(modal)) {
            plain->button()->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            static_cast<QDialog*>(dialog)->accept();
        }
    };
}

ModalScript::Step rejectDialog()
{
    return [](QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    };
}

ModalScript::Step chooseFile(const QString& path)
{
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        // Typed into the name field as a user would; selectFile() leaves a focused field alone.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        name->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    };
}

} // namespace app::qt::testing
