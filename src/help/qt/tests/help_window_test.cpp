#include "help/help_requests.h"
#include "help/help_unit.h"
#include "help/qt/chm_file.h"
#include "help/qt/chm_help_engine.h"
#include "help/qt/help_window.h"
#include "platform/paths.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>
#include <memory>

namespace {

QList<QWidget*> visibleTopLevels()
{
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            shown.append(w);
    }
    return shown;
}

// The position of a text inside the page view's viewport.
QPoint pointOfText(QTextBrowser* view, const QString& text)
{
    const QTextCursor found = view->document()->find(text);
    if (found.isNull())
        return {-1, -1};
    QTextCursor middle(view->document());
    middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
    view->setTextCursor(middle);
    view->ensureCursorVisible();
    return view->cursorRect(middle).center();
}

} // namespace

class HelpWindowTest : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<help::qt::ChmHelpEngine> startWithOwnEngine()
    {
        auto engine = std::make_shared<help::qt::ChmHelpEngine>();
        help::startApplicationHelp(engine);
        help::setApplicationHelpFile("EDUCA.chm");
        return engine;
    }

private slots:
    void init() { platform::setProgramDirectoryOverride(""); }

    void cleanup()
    {
        // Drops the engine and its window while the application is still there.
        help::startApplicationHelp(nullptr);
        platform::setProgramDirectoryOverride("");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(visibleTopLevels().isEmpty());
    }

    void contextRequestOpensTheMappedPage()
    {
        auto engine = startWithOwnEngine();
        QVERIFY(help::contextRequest(1));

        help::qt::HelpWindow* window = engine->window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentPage(), std::string("/exportar.html"));
        QCOMPARE(window->windowTitle(), QString("Ayuda de TransSelvarEDUCA"));
        QVERIFY(window->pageView()->toPlainText().contains("Paso a paso"));
        QVERIFY(window->contentsTree()->currentItem());
        QCOMPARE(window->contentsTree()->currentItem()->text(0), QString("Exportar los datos a EDUCA"));
        // The style sheet came out of the file too: headings are coloured.
        QVERIFY(window->pageView()->document()->toHtml().contains("#1f4e79"));
    }

    void contentsRequestListsEveryPageWithTheDefaultPage()
    {
        auto engine = startWithOwnEngine();
        help::commandRequest(help::HelpContents, 0);

        help::qt::HelpWindow* window = engine->window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentPage(), std::string("/index.html"));

        QSet<QString> listed;
        for (QTreeWidgetItemIterator it(window->contentsTree()); *it; ++it)
            listed.insert((*it)->data(0, Qt::UserRole + 1).toString());
        QSet<QString> pages;
        for (const std::string& f : window->helpFile()->files()) {
            if (f.ends_with(".html"))
                pages.insert(QString::fromStdString(f));
        }
        QVERIFY(pages.size() >= 8);
        QCOMPARE(listed, pages);
        // Accents of the sitemap's references show as letters.
        QVERIFY(
            !window->contentsTree()
                 ->findItems(QString::fromUtf8("Dónde deben estar las tablas"), Qt::MatchExactly | Qt::MatchRecursive)
                 .isEmpty());
    }

    void clickedLinkLeadsToItsPage()
    {
        auto engine = startWithOwnEngine();
        help::contextRequest(1);
        help::qt::HelpWindow* window = engine->window();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QTextBrowser* view = window->pageView();
        const QPoint at = pointOfText(view, QString::fromUtf8("Dónde deben estar las tablas"));
        QVERIFY(at.x() >= 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(window->currentPage(), std::string("/tablas.html"));
        QVERIFY(view->toPlainText().contains("EDUCA_DRIVE_C"));
        QCOMPARE(window->contentsTree()->currentItem()->text(0), QString::fromUtf8("Dónde deben estar las tablas"));

        // Back returns to the page the link was on.
        QTest::mouseClick(window->findChild<QWidget*>("back"), Qt::LeftButton);
        QCOMPARE(window->currentPage(), std::string("/exportar.html"));
    }

    void contentsItemShowsItsPage()
    {
        auto engine = startWithOwnEngine();
        help::commandRequest(help::HelpContents, 0);
        help::qt::HelpWindow* window = engine->window();
        QVERIFY(window);
        const auto items
            = window->contentsTree()->findItems("Mensajes de error", Qt::MatchStartsWith | Qt::MatchRecursive);
        QCOMPARE(items.size(), 1);
        window->contentsTree()->setCurrentItem(items.first());
        QCOMPARE(window->currentPage(), std::string("/mensajes.html"));
    }

    void oneWindowIsReusedAndDoesNotBlock()
    {
        auto engine = startWithOwnEngine();
        help::contextRequest(1);
        help::qt::HelpWindow* first = engine->window();
        QVERIFY(first);
        first->close();
        QVERIFY(!first->isVisible());

        help::commandRequest(help::HelpContents, 0);
        QCOMPARE(engine->window(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->currentPage(), std::string("/index.html"));
        QVERIFY(!first->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!first->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(visibleTopLevels().size(), 1);
    }

    void noEngineShowsNothing()
    {
        help::startApplicationHelp(nullptr);
        help::setApplicationHelpFile("EDUCA.chm");
        QVERIFY(help::contextRequest(1));
        help::commandRequest(help::HelpContents, 0);
        QVERIFY(visibleTopLevels().isEmpty());
    }

    void missingFileShowsNothing()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        platform::setProgramDirectoryOverride(empty.path().toStdString());
        auto engine = startWithOwnEngine();
        QVERIFY(help::contextRequest(1));
        help::commandRequest(help::HelpContents, 0);
        QCOMPARE(engine->window(), nullptr);
        QVERIFY(visibleTopLevels().isEmpty());
    }

    void damagedFileShowsNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile damaged(dir.filePath("EDUCA.chm"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("ITSF but not really a compiled help file");
        damaged.close();
        platform::setProgramDirectoryOverride(dir.path().toStdString());
        auto engine = startWithOwnEngine();
        help::contextRequest(1);
        help::commandRequest(help::HelpContents, 0);
        QCOMPARE(engine->window(), nullptr);
    }

    void unmappedContextShowsNothing()
    {
        auto engine = startWithOwnEngine();
        help::contextRequest(2);
        QCOMPARE(engine->window(), nullptr);
    }

    void upperCaseNameFindsTheFile()
    {
        auto engine = startWithOwnEngine();
        help::setApplicationHelpFile("EDUCA.CHM");
        help::contextRequest(1);
        QVERIFY(engine->window());
        QCOMPARE(engine->window()->currentPage(), std::string("/exportar.html"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
