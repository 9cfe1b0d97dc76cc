#pragma once

#include <QObject>
#include <memory>

namespace app::qt::testing {

class FakeHelpEngine;

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutFollowsTheDesignAtTheDesignTextHeight();
    void closeButtonHasTheFocusAndTabWalksTheButtons();
    void keysThatPressTheCloseButton_data();
    void keysThatPressTheCloseButton();
    void escapeDoesNothing();
    void enterPressesTheFocusedButtonNotTheDefaultOne();
    void f1AsksForContextOneWhereverTheFocusIs();
    void cancelledExportShowsTheMessageAndKeepsTheWindow();
    void completedExportHidesTheExportButtonAndKeepsTheWindow();
    void hostModeExportsByItselfClosesAndWritesOne();
    void hostModeWithoutFileNameClosesAndWritesZero();
    void hostModeWithOtherWordWaitsForTheUser();
    void unwritableIniKeepsTheWindowOpen();
    void failedExportShowsTheErrorAndKeepsEverything();

private:
    std::shared_ptr<FakeHelpEngine> m_help;
};

} // namespace app::qt::testing
