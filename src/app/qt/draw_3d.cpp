#include "app/qt/draw_3d.h"

#include "app/qt/pictures.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace app::qt {

TDraw3D::TDraw3D(const logic::GradientColours& colours, QWidget* parent)
    : QWidget(parent)
    , m_colours(colours)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& TDraw3D::image()
{
    if (!m_image.isNull() && m_image.size() == size())
        return m_image;
    const logic::ArgbImage pixels = logic::panelImage({width(), height()}, m_colours,
        toRgb(palette().color(QPalette::Light)), toRgb(palette().color(QPalette::Dark)));
    m_image = toQImage(pixels, QImage::Format_RGB32);
    if (m_image.isNull()) {
        // Nothing to paint on a panel without area; an image of one pixel keeps image() valid.
        m_image = QImage(1, 1, QImage::Format_RGB32);
        m_image.fill(palette().color(QPalette::Button));
    }
    return m_image;
}

void TDraw3D::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), image(), event->rect());
}

void TDraw3D::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        m_image = QImage();
    QWidget::changeEvent(event);
}

void TDraw3D::resizeEvent(QResizeEvent* event)
{
    m_image = QImage();
    QWidget::resizeEvent(event);
}

} // namespace app::qt
