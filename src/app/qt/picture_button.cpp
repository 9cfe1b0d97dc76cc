#include "app/qt/picture_button.h"

#include "app/logic/pictures.h"
#include "app/qt/pictures.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace app::qt {

PictureButton::PictureButton(const QString& caption, logic::Picture picture, QWidget* parent)
    : QPushButton(caption, parent)
{
    const logic::IndexedBitmap bitmap = logic::buttonPicture(picture);
    m_enabledPicture = QPixmap::fromImage(toQImage(logic::pictureHalf(bitmap, true)));
    m_disabledPicture = QPixmap::fromImage(toQImage(logic::pictureHalf(bitmap, false)));
}

logic::PictureButtonLayout PictureButton::buttonLayout() const
{
    const int captionWidth = fontMetrics().size(Qt::TextShowMnemonic, text()).width();
    return logic::layoutPictureButton(
        {width(), height()}, {m_enabledPicture.width(), m_enabledPicture.height()}, captionWidth);
}

QRect PictureButton::pictureRect() const
{
    const logic::Rect picture = buttonLayout().picture;
    return {picture.left, picture.top, picture.width, picture.height};
}

QRect PictureButton::captionRect() const
{
    const logic::Rect caption = buttonLayout().caption;
    return {caption.left, caption.top, caption.width, caption.height};
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    int shiftX = 0;
    int shiftY = 0;
    if (isDown() || isChecked()) {
        shiftX = style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this);
        shiftY = style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this);
    }
    painter.drawPixmap(
        pictureRect().topLeft() + QPoint(shiftX, shiftY), isEnabled() ? m_enabledPicture : m_disabledPicture);

    int flags = Qt::AlignLeft | Qt::AlignVCenter;
    flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic
                                                                             : Qt::TextHideMnemonic;
    style()->drawItemText(&painter, captionRect().translated(shiftX, shiftY), flags, palette(), isEnabled(), text(),
        QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        focus.backgroundColor = palette().color(QPalette::Button);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace app::qt
