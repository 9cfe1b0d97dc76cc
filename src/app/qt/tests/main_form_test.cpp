#include "main_form_test.h"

#include "app/logic/start_request.h"
#include "app/qt/draw_3d.h"
#include "app/qt/main_form.h"
#include "app/qt/picture_button.h"
#include "app/qt/startup.h"
#include "fake_help_engine.h"
#include "fixture_database.h"
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "modal_script.h"
#include "platform/paths.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace app::qt::testing {

namespace {

const QString NoFileName
    = QStringLiteral("app::qt::PlainMessageBox|TransSelvarEDUCA|Debe indicar un Nombre de Archivo");
const QString Finished = QStringLiteral("app::qt::PlainMessageBox|TransSelvarEDUCA|Proceso finalizado");

std::unique_ptr<TMForm> shownStandAloneForm()
{
    auto form = createMainWindow({});
    form->showAtStartup();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the window did not become active");
    return form;
}

// The window as a host with the handle 0 starts it: host mode without a host window.
std::unique_ptr<TMForm> hostModeForm(const std::string& commandWord)
{
    return createMainWindow({commandWord, "0"});
}

QString textOf(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

} // namespace

void TestMainForm::init()
{
    m_help = std::make_shared<FakeHelpEngine>();
    help::startApplicationHelp(m_help);
    // As at start-up.
    help::setApplicationHelpFile("EDUCA.chm");
}

void TestMainForm::cleanup()
{
    help::startApplicationHelp(nullptr);
    m_help.reset();
}

void TestMainForm::layoutFollowsTheDesignAtTheDesignTextHeight()
{
    TMForm form(logic::makeStartRequest({}));
    // The window font (DejaVu Sans at 11 pixels standing in for MS Sans Serif 8) gives the design's
    // text height, so nothing is scaled.
    QCOMPARE(form.measuredTextHeight(), 13);
    QCOMPARE(form.size(), QSize(620, 266));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.windowTitle(), QStringLiteral("Exportar datos horarios a EDUCA (Navarra)"));
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::FramelessWindowHint));

    struct Expected
    {
        QWidget* widget;
        QWidget* parent;
        QRect geometry;
        QString text;
    };
    const Expected expected[] = {
        {form.Draw3D3, &form, {18, 0, 601, 169}, {}},
        {form.Label4, form.Draw3D3, {67, 24, 473, 33},
            QStringLiteral("Transformar datos y horario desde Morvanta hacia EDUCA")},
        {form.BImportar, form.Draw3D3, {240, 120, 89, 25}, QStringLiteral("Aceptar")},
        {form.Draw3D1, &form, {0, 168, 633, 97}, {}},
        {form.BClose, form.Draw3D1, {256, 32, 89, 25}, QStringLiteral("&Salir")},
        {form.Button1, form.Draw3D1, {265, 67, 75, 18}, QStringLiteral("F1 AYUDA")},
    };
    for (const auto& item : expected) {
        QCOMPARE(item.widget->parentWidget(), item.parent);
        QCOMPARE(item.widget->geometry(), item.geometry);
        QCOMPARE(textOf(item.widget), item.text);
    }
    QCOMPARE(form.Label1->text(), QStringLiteral("TransMorvantaEDUCA para QT47 V-1.0"));
    QCOMPARE(form.Label1->pos(), QPoint(8, 72));
    QCOMPARE(form.Label1->size(), form.Label1->sizeHint());
    QVERIFY(form.Label1->font().bold());
    QCOMPARE(form.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(form.Label4->font().bold());
    QCOMPARE(form.Label4->font().pixelSize(), 16);
    QVERIFY(form.Label4->wordWrap());
    QVERIFY(!form.Label4->autoFillBackground());
    QVERIFY(!form.Label1->autoFillBackground());
    QCOMPARE(form.BClose->font().pixelSize(), 11);

    // The top panel lies in front of the bottom one where they overlap.
    QVERIFY(form.children().indexOf(form.Draw3D3) > form.children().indexOf(form.Draw3D1));
    QVERIFY(form.BImportar->isDefault());

    for (QWidget* widget : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Draw3D3),
             static_cast<QWidget*>(form.Draw3D1), static_cast<QWidget*>(form.BClose),
             static_cast<QWidget*>(form.Button1), static_cast<QWidget*>(form.BImportar)})
        QCOMPARE(widget->property("helpContext").toInt(), 1);
    QCOMPARE(form.Label4->focusPolicy(), Qt::NoFocus);
    QCOMPARE(form.Label1->focusPolicy(), Qt::NoFocus);
}

void TestMainForm::closeButtonHasTheFocusAndTabWalksTheButtons()
{
    const auto form = shownStandAloneForm();
    QCOMPARE(QApplication::focusWidget(), form->BClose);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->Button1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->BImportar);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->BClose);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), form->BImportar);
}

void TestMainForm::keysThatPressTheCloseButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
    QTest::newRow("S") << int(Qt::Key_S) << int(Qt::NoModifier);
    QTest::newRow("Alt+S") << int(Qt::Key_S) << int(Qt::AltModifier);
}

void TestMainForm::keysThatPressTheCloseButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const auto form = shownStandAloneForm();
    QSignalSpy closed(form.get(), &TMForm::closed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(form->hasClosed());
    QVERIFY(!form->isVisible());
}

void TestMainForm::escapeDoesNothing()
{
    const auto form = shownStandAloneForm();
    QSignalSpy closed(form.get(), &TMForm::closed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::qWait(150);
    QCOMPARE(closed.count(), 0);
    QVERIFY(form->isVisible());
    QCOMPARE(QApplication::focusWidget(), form->BClose);
}

void TestMainForm::enterPressesTheFocusedButtonNotTheDefaultOne()
{
    const auto form = shownStandAloneForm();
    form->Button1->setFocus();
    QTest::keyClick(form->Button1, Qt::Key_Return);
    QCOMPARE(m_help->calls->size(), std::size_t(1));
    QCOMPARE(m_help->calls->at(0).command, help::DisplayTableOfContents);
    QCOMPARE(help::applicationHelpFile(), std::string("EDUCA.chm"));
    QVERIFY(!form->hasClosed());
}

void TestMainForm::f1AsksForContextOneWhereverTheFocusIs()
{
    const auto form = shownStandAloneForm();
    for (QWidget* focus : {static_cast<QWidget*>(form->BClose), static_cast<QWidget*>(form->Button1),
             static_cast<QWidget*>(form->BImportar)}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
    }
    QCOMPARE(m_help->calls->size(), std::size_t(3));
    for (const auto& call : *m_help->calls) {
        QCOMPARE(call.command, help::HelpByContext);
        QCOMPARE(call.data, std::uintptr_t(1));
    }
}

void TestMainForm::cancelledExportShowsTheMessageAndKeepsTheWindow()
{
    FixtureDatabase database;
    const auto form = shownStandAloneForm();
    ModalScript script;
    script.then(rejectDialog());
    script.then(clickDefaultButton());
    form->BImportar->setFocus();
    QTest::keyClick(form->BImportar, Qt::Key_Space);
    QCOMPARE(script.seen(), QStringList({QStringLiteral("app::qt::PlacedFileDialog|Guardar Archivo XML"), NoFileName}));
    QCOMPARE(script.unexpected(), 0);
    QVERIFY(form->BImportar->isVisible());
    QVERIFY(!form->hasClosed());
    QCOMPARE(form->appState().outcomeFlag, 0);
}

void TestMainForm::completedExportHidesTheExportButtonAndKeepsTheWindow()
{
    FixtureDatabase database;
    const auto form = shownStandAloneForm();
    ModalScript script;
    script.then(chooseFile(database.directory() + QStringLiteral("salida")));
    script.then(clickDefaultButton());
    QTest::mouseClick(form->BImportar, Qt::LeftButton);
    QCOMPARE(script.seen().value(1), Finished);
    QCOMPARE(script.unexpected(), 0);

    QVERIFY(form->BImportar->isHidden());
    QVERIFY(form->BClose->isVisible());
    QVERIFY(!form->hasClosed());
    QCOMPARE(form->appState().outcomeFlag, 1);
    QCOMPARE(form->appState().rememberedFileName, (database.directory() + QStringLiteral("salida.xml")).toStdString());
    QFile document(database.directory() + QStringLiteral("salida.xml"));
    QVERIFY(document.open(QIODevice::ReadOnly));
    const QByteArray xml = document.readAll();
    QVERIFY(xml.contains("<SERVICIO"));
    // Two teachers and two rooms; the rows whose ABREV is "*" are left out.
    QCOMPARE(xml.count("<PROFF "), 2);
    QCOMPARE(xml.count("<AULAF "), 2);
    QCOMPARE(xml.count("<SOLUCF "), 2);
    // Stand-alone: nothing is written to the host's ini file.
    QVERIFY(!QFile::exists(database.iniPath()));

    // The other buttons keep working.
    QSignalSpy closed(form.get(), &TMForm::closed);
    QTest::mouseClick(form->BClose, Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
}

void TestMainForm::hostModeExportsByItselfClosesAndWritesOne()
{
    FixtureDatabase database;
    const auto form = hostModeForm("IMPORTAR");
    QVERIFY(form);
    QCOMPARE(form->appState().savedArgumentCount, 2);
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QSignalSpy closed(form.get(), &TMForm::closed);
    ModalScript script;
    script.then(chooseFile(database.directory() + QStringLiteral("horario.xml")));
    script.then(clickDefaultButton());
    form->showAtStartup();
    QCOMPARE(script.seen().value(1), Finished);
    QCOMPARE(closed.count(), 1);
    // Closed inside the show step: the window never appeared.
    QVERIFY(!form->isVisible());
    QVERIFY(QFile::exists(database.directory() + QStringLiteral("horario.xml")));
    QCOMPARE(database.iniText(), QStringLiteral("[Transformadores]\r\nTransformado=1\r\n"));
}

void TestMainForm::hostModeWithoutFileNameClosesAndWritesZero()
{
    FixtureDatabase database;
    const auto form = hostModeForm("importar");
    QSignalSpy closed(form.get(), &TMForm::closed);
    ModalScript script;
    script.then(rejectDialog());
    script.then(clickDefaultButton());
    form->showAtStartup();
    QCOMPARE(script.seen().value(1), NoFileName);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(database.iniText(), QStringLiteral("[Transformadores]\r\nTransformado=0\r\n"));
}

void TestMainForm::hostModeWithOtherWordWaitsForTheUser()
{
    FixtureDatabase database;
    const auto form = hostModeForm("Importar ");
    ModalScript script;
    form->showAtStartup();
    QVERIFY(form->isVisible());
    QCOMPARE(script.seen(), QStringList());
    QVERIFY(!QFile::exists(database.iniPath()));

    // A completed run from the button closes the window and writes 1.
    QSignalSpy closed(form.get(), &TMForm::closed);
    script.then(chooseFile(database.directory() + QStringLiteral("a.xml")));
    script.then(clickDefaultButton());
    QTest::mouseClick(form->BImportar, Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(database.iniText(), QStringLiteral("[Transformadores]\r\nTransformado=1\r\n"));
}

void TestMainForm::unwritableIniKeepsTheWindowOpen()
{
    FixtureDatabase database;
    const auto form = hostModeForm("otra");
    form->showAtStartup();
    useUnwritableProgramDirectory();
    QSignalSpy closed(form.get(), &TMForm::closed);
    ModalScript script;
    script.then(clickDefaultButton());
    QTest::mouseClick(form->BClose, Qt::LeftButton);
    QCOMPARE(script.seen(),
        QStringList({QStringLiteral(
            "QMessageBox|TransSelvarEDUCA|Unable to write to /nonexistent-educa-test-dir/Morvanta.ini.")}));
    QCOMPARE(closed.count(), 0);
    QVERIFY(form->isVisible());
    QVERIFY(!form->hasClosed());

    // A later close tries again; a close request from outside goes the same way.
    platform::setProgramDirectoryOverride(database.directory().toStdString());
    QVERIFY(form->close());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(database.iniText(), QStringLiteral("[Transformadores]\r\nTransformado=0\r\n"));
}

void TestMainForm::failedExportShowsTheErrorAndKeepsEverything()
{
    FixtureDatabase database;
    QFile::remove(database.directory() + QStringLiteral("PROF.DBF"));
    const auto form = hostModeForm("importar");
    QSignalSpy closed(form.get(), &TMForm::closed);
    ModalScript script;
    script.then(chooseFile(database.directory() + QStringLiteral("b.xml")));
    script.then(clickDefaultButton());
    form->showAtStartup();
    QCOMPARE(script.seen().size(), 2);
    QVERIFY2(script.seen().at(1).startsWith(QStringLiteral("QMessageBox|TransSelvarEDUCA|")),
        qPrintable(script.seen().at(1)));
    QVERIFY2(script.seen().at(1).contains(QStringLiteral("PROF.DBF")), qPrintable(script.seen().at(1)));
    // The window is shown after all and stays, with its export button.
    QCOMPARE(closed.count(), 0);
    QVERIFY(form->isVisible());
    QVERIFY(form->BImportar->isVisible());
    QVERIFY(!QFile::exists(database.directory() + QStringLiteral("b.xml")));
    QCOMPARE(form->appState().outcomeFlag, 0);
}

} // namespace app::qt::testing
