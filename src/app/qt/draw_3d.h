#pragma once

#include "app/logic/gradient.h"

#include <QImage>
#include <QWidget>

namespace app::qt {

// A gradient panel: the pixels of logic::panelImage(), with the palette's button-highlight colour
// (Light) and button-shadow colour (Dark) for its raised edge, painted into an off-screen image that
// goes to the screen in one step.
class TDraw3D : public QWidget
{
    Q_OBJECT

public:
    TDraw3D(const logic::GradientColours& colours, QWidget* parent = nullptr);

    // The image the panel shows, made anew when the size or the palette has changed.
    const QImage& image();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    logic::GradientColours m_colours;
    QImage m_image;
};

} // namespace app::qt
