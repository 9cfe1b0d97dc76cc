// Shows the program's help as F1 does (context 1), or its table of contents with "--contenido", and
// keeps running until the help window is closed.
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "help/qt/chm_help_engine.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    help::startApplicationHelp(std::make_shared<help::qt::ChmHelpEngine>());
    help::setApplicationHelpFile("EDUCA.chm");
    if (argc > 1 && std::strcmp(argv[1], "--contenido") == 0)
        help::commandRequest(help::HelpContents, 0);
    else
        help::contextRequest(1);

    // The help window does not keep a program running by itself: end when it is no longer shown.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&app] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                return;
        }
        app.quit();
    });
    poll.start(500);
    return app.exec();
}
