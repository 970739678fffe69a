#include "desktop/status_panel_painter.h"

#include <QMargins>
#include <QString>

namespace desktop {

namespace {

// One line, vertically centred; "&" is drawn as it is, never as a mnemonic.
int TextFlags(TAlignment alignment) {
  const int flags = Qt::TextSingleLine | Qt::AlignVCenter;
  switch (alignment) {
    case taRightJustify:
      return flags | Qt::AlignRight;
    case taCenter:
      return flags | Qt::AlignHCenter;
    case taLeftJustify:
      break;
  }
  return flags | Qt::AlignLeft;
}

void PaintText(QPainter& painter, const QRect& content, const TQorStatusPanel& panel, const StatusBarLook& look) {
  const QRect box = panel.Alignment() == taRightJustify ? content.adjusted(0, 0, -1, 0) : content;
  painter.setPen(look.fontColor);
  painter.drawText(box, TextFlags(panel.Alignment()), panel.Text());
}

// The text is drawn twice, clipped to each side of the fill's edge, so that it
// changes colour exactly where the fill ends.
void PaintGauge(QPainter& painter, const QRect& content, const TQorStatusPanel& panel, const StatusBarLook& look) {
  const TQorGaugeAttrs& gauge = panel.GaugeAttrs();
  const int filled = GaugeFillWidth(content.width(), gauge.Position());
  const QRect fill(content.left(), content.top(), filled, content.height());
  const QRect rest(content.left() + filled, content.top(), content.width() - filled, content.height());
  painter.fillRect(fill, gauge.Color());
  painter.fillRect(rest, look.background);

  const QString text = panel.Text().isEmpty() ? QString::number(gauge.Position()) + u'%' : panel.Text();
  const int flags = TextFlags(panel.Alignment());
  painter.setClipRect(fill);
  painter.setPen(gauge.TextColor());
  painter.drawText(content, flags, text);
  painter.setClipRect(rest);
  painter.setPen(look.fontColor);
  painter.drawText(content, flags, text);
}

}  // namespace

int GaugeFillWidth(int contentWidth, TPercent position) { return (contentWidth * position + 50) / 100; }

void PaintStatusPanel(QPainter& painter, const QRect& area, const TQorStatusPanel& panel,
                      const StatusBarLook& look) {
  painter.fillRect(area, look.background);
  const int border = panel.BorderWidth();
  const QRect content = area.marginsRemoved(QMargins(border, border, border, border));
  if (!panel.Enabled() || content.isEmpty()) return;
  painter.save();
  painter.setFont(look.font);
  switch (panel.PanelType()) {
    case sptNormal:
      PaintText(painter, content, panel, look);
      break;
    case sptGauge:
      PaintGauge(painter, content, panel, look);
      break;
  }
  painter.restore();
}

QImage RenderStatusPanel(const TQorStatusPanel& panel, const QSize& size, const StatusBarLook& look,
                         qreal devicePixelRatio) {
  QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  QPainter painter(&image);
  PaintStatusPanel(painter, QRect(QPoint(0, 0), size), panel, look);
  return image;
}

}  // namespace desktop
