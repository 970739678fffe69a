// Drawing of one status bar panel: its background, and a text or a percent gauge.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>

#include "desktop/qor_status_panel.h"

namespace desktop {

// The bar's own colours and font, which every panel draws with.
struct StatusBarLook {
  QColor background;
  QColor fontColor;
  QFont font;
};

// Width in pixels of the filled part of a gauge `contentWidth` wide, rounded to the nearest pixel.
int GaugeFillWidth(int contentWidth, TPercent position);

// Paints `panel` over `area` of `painter`; the painter's state is left as it was found.
void PaintStatusPanel(QPainter& painter, const QRect& area, const TQorStatusPanel& panel,
                      const StatusBarLook& look);

// The panel drawn into an image of `size` logical pixels at `devicePixelRatio`.
QImage RenderStatusPanel(const TQorStatusPanel& panel, const QSize& size, const StatusBarLook& look,
                         qreal devicePixelRatio = 1.0);

}  // namespace desktop
