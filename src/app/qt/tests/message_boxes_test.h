#pragma once

#include <QObject>

namespace app::qt::testing {

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void shortMessageGivesABoxJustWideEnoughForTheButton();
    void longMessageWrapsAtHalfTheScreenWidth();
    void enterAndEscapeBothEndTheBox_data();
    void enterAndEscapeBothEndTheBox();
    void ctrlCCopiesTheBoxAsText();
    void errorBoxShowsTheFailureWithItsPeriod_data();
    void errorBoxShowsTheFailureWithItsPeriod();
    void failureLeavingAnEventHandlerIsShownAndTheProgramGoesOn();
    void silentAbortIsNotShown();
};

} // namespace app::qt::testing
