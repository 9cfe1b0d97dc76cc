#include "message_boxes_test.h"

#include "app/logic/message_box.h"
#include "app/qt/application.h"
#include "app/qt/message_boxes.h"
#include "modal_script.h"
#include "platform/user_error.h"

#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace app::qt::testing {

namespace {

QRect toQRect(const logic::Rect& rect)
{
    return {rect.left, rect.top, rect.width, rect.height};
}

// An object whose handler of the user event fails, as a handler of the program may.
class FailingObject : public QObject
{
public:
    int handled = 0;

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        throw platform::UserError("No se puede leer la tabla");
    }
};

} // namespace

void TestMessageBoxes::shortMessageGivesABoxJustWideEnoughForTheButton()
{
    PlainMessageBox box(QStringLiteral("Hola"));
    const logic::MessageBoxLayout& layout = box.boxLayout();
    const QFontMetrics metrics(box.font());
    const int average
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    const int margin = 2 * average;

    QCOMPARE(box.windowTitle(), QStringLiteral("TransSelvarEDUCA"));
    QCOMPARE(box.size(), QSize(layout.client.width, layout.client.height));
    QCOMPARE(box.button()->text(), QStringLiteral("Aceptar"));
    QCOMPARE(box.button()->geometry(), toQRect(layout.button));
    // The button, 12.5 average widths wide, decides the width; it sits centred below the text.
    QCOMPARE(box.width(), box.button()->width() + 2 * margin);
    QVERIFY(box.button()->width() >= metrics.horizontalAdvance(QStringLiteral("Aceptar")) + 8);
    QCOMPARE(box.button()->x(), (box.width() - box.button()->width()) / 2);
    QCOMPARE(layout.text.left, margin);
    QCOMPARE(layout.text.top, metrics.height());
    QCOMPARE(box.height() - box.button()->geometry().bottom() - 1, metrics.height());
    QVERIFY(box.button()->isDefault());

    // Centred on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(box.pos(), QPoint((screen.width() - box.width()) / 2, (screen.height() - box.height()) / 2));
}

void TestMessageBoxes::longMessageWrapsAtHalfTheScreenWidth()
{
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    const QString longMessage = QStringLiteral("palabra ").repeated(60).trimmed();
    PlainMessageBox shortBox(QStringLiteral("palabra"));
    PlainMessageBox longBox(longMessage);
    const logic::Rect text = longBox.boxLayout().text;
    QVERIFY2(text.width <= screenWidth / 2, qPrintable(QString::number(text.width)));
    QVERIFY(text.width > screenWidth / 2 - QFontMetrics(longBox.font()).horizontalAdvance(QStringLiteral("palabra ")));
    QVERIFY(text.height >= 3 * QFontMetrics(longBox.font()).height());
    QCOMPARE(longBox.height() - shortBox.height(), text.height - shortBox.boxLayout().text.height);
}

void TestMessageBoxes::enterAndEscapeBothEndTheBox_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestMessageBoxes::enterAndEscapeBothEndTheBox()
{
    QFETCH(int, key);
    ModalScript script;
    script.then(
        [key](QWidget* modal) { QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key(key)); });
    showPlainMessage(QStringLiteral("Proceso finalizado"));
    QCOMPARE(
        script.seen(), QStringList({QStringLiteral("app::qt::PlainMessageBox|TransSelvarEDUCA|Proceso finalizado")}));
    QCOMPARE(script.unexpected(), 0);
}

void TestMessageBoxes::ctrlCCopiesTheBoxAsText()
{
    QGuiApplication::clipboard()->clear();
    ModalScript script;
    script.then([](QWidget* modal) {
        QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_C, Qt::ControlModifier);
        // The box stays open after copying.
        QVERIFY(modal->isVisible());
        clickDefaultButton()(modal);
    });
    showPlainMessage(QStringLiteral("Proceso finalizado"));
    QCOMPARE(QGuiApplication::clipboard()->text(),
        QStringLiteral("---------------------------\r\n"
                       "TransSelvarEDUCA\r\n"
                       "---------------------------\r\n"
                       "Proceso finalizado\r\n"
                       "---------------------------\r\n"
                       "Aceptar   \r\n"
                       "---------------------------\r\n"));
}

void TestMessageBoxes::errorBoxShowsTheFailureWithItsPeriod_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "No se encuentra"
                            << "No se encuentra.";
    QTest::newRow("digit") << "Error BDE $2C04"
                           << "Error BDE $2C04.";
    QTest::newRow("question mark") << "¿Seguro?"
                                   << "¿Seguro?.";
    QTest::newRow("colon") << "Ruta:"
                           << "Ruta:.";
    QTest::newRow("accented letter") << "Año de creación"
                                     << "Año de creación.";
    QTest::newRow("period") << "Hecho."
                            << "Hecho.";
    QTest::newRow("exclamation") << "¡Cuidado!"
                                 << "¡Cuidado!";
    QTest::newRow("parenthesis") << "(vacío)"
                                 << "(vacío)";
    QTest::newRow("quote") << "'$12G4'"
                           << "'$12G4'";
    QTest::newRow("blank") << "fin "
                           << "fin ";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("looks like markup") << "<b>x</b>"
                                       << "<b>x</b>.";
}

void TestMessageBoxes::errorBoxShowsTheFailureWithItsPeriod()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    ModalScript script;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QString buttonText;
    Qt::TextFormat format = Qt::AutoText;
    script.then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        icon = box->icon();
        buttons = int(box->buttons().size());
        buttonText = buttons == 1 ? box->buttons().front()->text() : QString();
        format = box->textFormat();
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        clickDefaultButton()(modal);
    });
    QVERIFY(!runHandler([&] { throw platform::UserError(message.toStdString()); }));
    QCOMPARE(script.seen(), QStringList({QStringLiteral("QMessageBox|TransSelvarEDUCA|") + shown}));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, 1);
    QCOMPARE(buttonText, QStringLiteral("Aceptar")); // Qt's own texts are Spanish too
    QCOMPARE(format, Qt::PlainText);
}

void TestMessageBoxes::failureLeavingAnEventHandlerIsShownAndTheProgramGoesOn()
{
    QVERIFY(qobject_cast<Application*>(QCoreApplication::instance()));
    FailingObject object;
    ModalScript script;
    script.then(clickDefaultButton());
    script.then(clickDefaultButton());
    // One event straight from the event loop, one sent directly: both reach the boundary.
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QTRY_COMPARE(object.handled, 1);
    QEvent event(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&object, &event));
    QCOMPARE(object.handled, 2);
    QCOMPARE(script.seen(),
        QStringList({QStringLiteral("QMessageBox|TransSelvarEDUCA|No se puede leer la tabla."),
            QStringLiteral("QMessageBox|TransSelvarEDUCA|No se puede leer la tabla.")}));
}

void TestMessageBoxes::silentAbortIsNotShown()
{
    ModalScript script;
    QVERIFY(!runHandler([] { throw platform::SilentAbort(); }));
    QTest::qWait(50);
    QCOMPARE(script.seen(), QStringList());
}

} // namespace app::qt::testing
