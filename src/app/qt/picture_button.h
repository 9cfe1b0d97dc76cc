#pragma once

#include "app/logic/layout.h"

#include <QPixmap>
#include <QPushButton>

namespace app::qt {

// A push button with a picture: the 18 by 18 picture (the enabled or the disabled half of the button
// picture) left of the caption, placed by logic::layoutPictureButton() on the styled button face.
class PictureButton : public QPushButton
{
    Q_OBJECT

public:
    PictureButton(const QString& caption, logic::Picture picture, QWidget* parent = nullptr);

    // Where the picture and the caption go on a button of the current size.
    QRect pictureRect() const;
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    logic::PictureButtonLayout buttonLayout() const;

    QPixmap m_enabledPicture;
    QPixmap m_disabledPicture;
};

} // namespace app::qt
