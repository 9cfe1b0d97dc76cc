#pragma once

#include <QObject>

namespace app::qt::testing {

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    void everyPanelRowMatchesTheGradient();
    void pictureButtonDrawsThePictureLeftOfTheCaption();
    void saveDialogSettingsAndOfferedName();
};

} // namespace app::qt::testing
