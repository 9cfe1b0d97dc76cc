#include "app/qt/picture_button.h"

#include "app/qt/pictures.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace app::qt {

namespace {

constexpr int pictureGap = 4;

} // namespace

PictureButton::PictureButton(const QString& caption, const QImage& bitmap, QWidget* parent)
    : QPushButton(caption, parent)
    , m_enabledPicture(pictureHalf(bitmap, true))
    , m_disabledPicture(pictureHalf(bitmap, false))
{
}

QRect PictureButton::pictureRect() const
{
    const QSize picture = m_enabledPicture.size();
    const int captionWidth = fontMetrics().size(Qt::TextShowMnemonic, text()).width();
    const int left = (width() - (picture.width() + pictureGap + captionWidth)) / 2;
    return {left, (height() - picture.height()) / 2, picture.width(), picture.height()};
}

QRect PictureButton::captionRect() const
{
    const QRect picture = pictureRect();
    const int captionWidth = fontMetrics().size(Qt::TextShowMnemonic, text()).width();
    return {picture.right() + 1 + pictureGap, 0, captionWidth, height()};
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
