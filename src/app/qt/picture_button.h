#pragma once

#include <QImage>
#include <QPixmap>
#include <QPushButton>

namespace app::qt {

// A push button with a picture: the 18 by 18 picture (the enabled or the disabled half of a 36 by 18
// button bitmap) left of the caption, 4 pixels apart, picture and caption centred together on the
// styled button face.
class PictureButton : public QPushButton
{
    Q_OBJECT

public:
    PictureButton(const QString& caption, const QImage& bitmap, QWidget* parent = nullptr);

    // Where the picture and the caption go on a button of the current size.
    QRect pictureRect() const;
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_enabledPicture;
    QPixmap m_disabledPicture;
};

} // namespace app::qt
