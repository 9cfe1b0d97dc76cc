#include "app/qt/application.h"
#include "drawing_test.h"
#include "main_form_test.h"
#include "message_boxes_test.h"
#include "modal_script.h"
#include "startup_test.h"

#include <QTest>

// One executable for the window layer: every test class runs under the program's own application
// object, whose event boundary shows failures in the error box.
int main(int argc, char** argv)
{
    app::qt::Application application(argc, argv);
    app::qt::testing::UnexpectedModalGuard unexpectedModals;
    int failures = 0;
    {
        app::qt::testing::TestMainForm test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        app::qt::testing::TestStartup test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        app::qt::testing::TestMessageBoxes test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        app::qt::testing::TestDrawing test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
