#include "modal_script.h"

#include "app/qt/message_boxes.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace app::qt::testing {

namespace {

constexpr qint64 StuckAfterMs = 10000;
constexpr qint64 UnexpectedAfterMs = 1000;

QString describe(QWidget* modal)
{
    QString description = QString::fromLatin1(modal->metaObject()->className()) + u'|' + modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        description += u'|' + box->text();
    else if (auto* plain = qobject_cast<PlainMessageBox*>(modal))
        description += u'|' + plain->message();
    return description;
}

void dismiss(QWidget* modal)
{
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace

ModalScript::ModalScript()
{
    ++s_alive;
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start(10);
}

ModalScript::~ModalScript()
{
    --s_alive;
}

UnexpectedModalGuard::UnexpectedModalGuard()
{
    connect(&m_timer, &QTimer::timeout, this, &UnexpectedModalGuard::poll);
    m_timer.start(50);
}

void UnexpectedModalGuard::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || ModalScript::anyAlive()) {
        m_current = nullptr;
        return;
    }
    if (modal != m_current) {
        m_current = modal;
        m_shownFor.start();
        return;
    }
    if (m_shownFor.elapsed() < UnexpectedAfterMs)
        return;
    const QByteArray message = "a modal window that the test does not answer: " + describe(modal).toUtf8();
    QTest::qFail(message.constData(), __FILE__, __LINE__);
    m_current = nullptr;
    dismiss(modal);
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (modal == m_current) {
        // A step that did not end its window must not hang the test.
        if (m_shownFor.elapsed() > StuckAfterMs) {
            ++m_unexpected;
            dismiss(modal);
        }
        return;
    }
    m_current = modal;
    m_shownFor.start();
    m_seen.append(describe(modal));

    if (m_steps.empty()) {
        ++m_unexpected;
        dismiss(modal);
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
