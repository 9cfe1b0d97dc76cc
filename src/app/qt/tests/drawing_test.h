#pragma once

#include <QObject>

namespace app::qt::testing {

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    void everyPanelRowMatchesTheGradient();
    void buttonPicturesHaveTwoHalvesAndOliveAsTransparent_data();
    void buttonPicturesHaveTwoHalvesAndOliveAsTransparent();
    void pictureButtonDrawsThePictureLeftOfTheCaption();
    void programIconIsRedWithGoldAboveAndTransparentBelow();
    void saveDialogPlacement_data();
    void saveDialogPlacement();
    void saveDialogSettingsAndRememberedName();
};

} // namespace app::qt::testing
