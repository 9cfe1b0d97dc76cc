#pragma once

#include <QObject>

namespace app::qt::testing {

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void handleRuleThroughFormCreate_data();
    void handleRuleThroughFormCreate();
    void unreadableHandleStillStartsTheExport();
    void announcedLocaleChangeReadsTheSettingsAgain();
};

} // namespace app::qt::testing
