#pragma once

#include <QObject>

namespace app::testing {

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

} // namespace app::testing
