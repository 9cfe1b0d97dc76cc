#include "startup_test.h"

#include "app/qt/main_form.h"
#include "app/qt/startup.h"
#include "fixture_database.h"
#include "modal_script.h"
#include "platform/regional.h"

#include <QCoreApplication>
#include <QTest>

namespace app::qt::testing {

namespace {

enum class Outcome
{
    Embedded, // readable handle of 0: host mode, top-level without frame
    NoWindow, // readable handle that names a window: the offscreen platform has none
    Unreadable, // error box, then stand-alone look
};

} // namespace

void TestStartup::handleRuleThroughFormCreate_data()
{
    QTest::addColumn<QString>("handle");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("errorText");

    const QString noWindow = QStringLiteral("Este sistema de ventanas no permite crear la ventana del programa dentro "
                                            "de la ventana %1 del programa anfitrión.");
    QTest::newRow("zero") << "0" << int(Outcome::Embedded) << QString();
    QTest::newRow("eight zeros") << "00000000" << int(Outcome::Embedded) << QString();
    QTest::newRow("1A2B") << "1A2B" << int(Outcome::NoWindow) << noWindow.arg(QStringLiteral("1A2B"));
    QTest::newRow("leading zeros, lower case") << "0001a2b" << int(Outcome::NoWindow) << noWindow.arg("1A2B");
    QTest::newRow("top bit set") << "FFFFFFFF" << int(Outcome::NoWindow) << noWindow.arg("FFFFFFFF");
    QTest::newRow("nine digits") << "123456789" << int(Outcome::Unreadable)
                                 << QStringLiteral("'$123456789' no es un valor entero válido.");
    QTest::newRow("not a digit") << "12G4" << int(Outcome::Unreadable)
                                 << QStringLiteral("'$12G4' no es un valor entero válido.");
    QTest::newRow("sign") << "-1A" << int(Outcome::Unreadable)
                          << QStringLiteral("'$-1A' no es un valor entero válido.");
    QTest::newRow("dollar") << "$1A" << int(Outcome::Unreadable)
                            << QStringLiteral("'$$1A' no es un valor entero válido.");
    QTest::newRow("0x") << "0x1A" << int(Outcome::Unreadable)
                        << QStringLiteral("'$0x1A' no es un valor entero válido.");
}

void TestStartup::handleRuleThroughFormCreate()
{
    QFETCH(QString, handle);
    QFETCH(int, outcome);
    QFETCH(QString, errorText);

    ModalScript script;
    if (!errorText.isEmpty())
        script.then(clickDefaultButton());
    const auto form = createMainWindow({"otra", handle.toStdString()});

    if (errorText.isEmpty())
        QCOMPARE(script.seen(), QStringList());
    else
        QCOMPARE(script.seen(), QStringList({QStringLiteral("QMessageBox|TransSelvarEDUCA|") + errorText}));

    switch (Outcome(outcome)) {
    case Outcome::Embedded:
        QVERIFY(form);
        QCOMPARE(form->appState().savedArgumentCount, 2);
        QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!form->hostWindow());
        break;
    case Outcome::NoWindow:
        QVERIFY(!form);
        break;
    case Outcome::Unreadable:
        QVERIFY(form);
        QCOMPARE(form->appState().savedArgumentCount, 0);
        QCOMPARE(form->appState().outcomeFlag, 0);
        QVERIFY(!(form->windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(!form->hostWindow());
        break;
    }
}

void TestStartup::unreadableHandleStillStartsTheExport()
{
    FixtureDatabase database;
    ModalScript script;
    script.then(clickDefaultButton());
    script.then(rejectDialog());
    script.then(clickDefaultButton());
    const auto form = createMainWindow({"ImPoRtAr", "12G4"});
    form->showAtStartup();
    QCOMPARE(script.seen(),
        QStringList({QStringLiteral("QMessageBox|TransSelvarEDUCA|'$12G4' no es un valor entero válido."),
            QStringLiteral("app::qt::PlacedFileDialog|Guardar Archivo XML"),
            QStringLiteral("app::qt::PlainMessageBox|TransSelvarEDUCA|Debe indicar un Nombre de Archivo")}));
    // Not host mode: the window stays, framed, and closing it writes nothing.
    QVERIFY(form->isVisible());
    QVERIFY(form->requestClose());
    QVERIFY(!QFile::exists(database.iniPath()));
}

void TestStartup::announcedLocaleChangeReadsTheSettingsAgain()
{
    platform::RegionalSettings odd;
    odd.decimalSeparator = "#";
    platform::setRegionalSettings(odd);
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    QCOMPARE(platform::regionalSettings().decimalSeparator, platform::readSystemRegionalSettings().decimalSeparator);
    QVERIFY(platform::regionalSettings().decimalSeparator != std::optional<std::string>("#"));
}

} // namespace app::qt::testing
