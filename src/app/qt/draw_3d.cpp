#include "app/qt/draw_3d.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

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
    const int width = this->width();
    const int height = this->height();
    m_image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    if (width <= 0 || height <= 0)
        return m_image;

    const auto rows = logic::gradientRows(height, m_colours);
    for (int y = 0; y < height; ++y) {
        const logic::Rgb& colour = rows[std::size_t(y)];
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        std::fill(line, line + width, qRgb(colour.red, colour.green, colour.blue));
    }

    const QRgb highlight = palette().color(QPalette::Light).rgb();
    const QRgb shadow = palette().color(QPalette::Dark).rgb();
    auto* top = reinterpret_cast<QRgb*>(m_image.scanLine(0));
    std::fill(top, top + width, highlight);
    for (int y = 0; y < height; ++y)
        m_image.setPixel(0, y, highlight);
    auto* bottom = reinterpret_cast<QRgb*>(m_image.scanLine(height - 1));
    std::fill(bottom, bottom + width, shadow);
    for (int y = 0; y < height; ++y)
        m_image.setPixel(width - 1, y, shadow);
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
