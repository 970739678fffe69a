#include "desktop/qor_status_bar.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QSizePolicy>
#include <QStyle>
#include <QStyleOption>
#include <cstddef>

#include "desktop/status_panel_layout.h"

namespace desktop {

namespace {

// Space between the bar's left edge and the simple text.
constexpr int kSimpleTextMargin = 4;
// Room above and below a line of text.
constexpr int kVerticalPadding = 6;

}  // namespace

TQorStatusPanel& TQorStatusPanels::Add() {
  items_.push_back(std::make_unique<TQorStatusPanel>(bar_, Count()));
  // The panel before the new one no longer reaches the right edge.
  bar_.RepaintFromPanel(Count() > 1 ? Count() - 2 : 0);
  return *items_.back();
}

TQorStatusBar::TQorStatusBar(QWidget* parent) : QWidget(parent), panels_(*this) {
  // paintEvent covers every pixel it is asked for.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

TQorStatusBar::~TQorStatusBar() = default;

void TQorStatusBar::SetSimplePanel(bool value) {
  if (value == simplePanel_) return;
  simplePanel_ = value;
  update();
}

void TQorStatusBar::SetSimpleText(const QString& value) {
  if (value == simpleText_) return;
  simpleText_ = value;
  if (simplePanel_) update();
}

QRect TQorStatusBar::PanelRect(int index) const { return PanelRect(RightEdges(), index); }

StatusBarLook TQorStatusBar::Look() const {
  return {palette().color(backgroundRole()), palette().color(foregroundRole()), font()};
}

QSize TQorStatusBar::sizeHint() const { return {0, fontMetrics().height() + kVerticalPadding}; }

QSize TQorStatusBar::minimumSizeHint() const { return sizeHint(); }

void TQorStatusBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const StatusBarLook look = Look();
  painter.fillRect(event->rect(), look.background);
  if (simplePanel_)
    PaintSimpleText(painter, look);
  else
    PaintPanels(painter, event->rect(), look);
}

std::vector<int> TQorStatusBar::RightEdges() const {
  std::vector<int> widths(static_cast<std::size_t>(panels_.Count()));
  for (int i = 0; i < panels_.Count(); ++i) widths[static_cast<std::size_t>(i)] = panels_[i].Width();
  return StatusPanelRightEdges(widths, width());
}

QRect TQorStatusBar::PanelRect(const std::vector<int>& edges, int index) const {
  if (index < 0 || index >= static_cast<int>(edges.size())) return {};
  const int left = index == 0 ? 0 : edges[static_cast<std::size_t>(index) - 1];
  return {left, 0, edges[static_cast<std::size_t>(index)] - left, height()};
}

void TQorStatusBar::PaintSimpleText(QPainter& painter, const StatusBarLook& look) {
  painter.setPen(look.fontColor);
  painter.drawText(rect().adjusted(kSimpleTextMargin, 0, 0, 0), Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter,
                   simpleText_);
}

// Each panel is drawn off-screen inside its one-pixel frame and copied in one step.
void TQorStatusBar::PaintPanels(QPainter& painter, const QRect& dirty, const StatusBarLook& look) {
  const std::vector<int> edges = RightEdges();
  QStyleOption frame;
  frame.initFrom(this);
  for (int i = 0; i < static_cast<int>(edges.size()); ++i) {
    const QRect panelRect = PanelRect(edges, i);
    if (panelRect.isEmpty() || !panelRect.intersects(dirty)) continue;
    frame.rect = panelRect;
    style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, this);
    const QRect inner = panelRect.adjusted(1, 1, -1, -1);
    if (inner.isEmpty()) continue;
    painter.drawImage(inner.topLeft(), RenderStatusPanel(panels_[i], inner.size(), look, devicePixelRatioF()));
  }
}

void TQorStatusBar::RepaintPanel(int index) {
  if (simplePanel_) return;
  const QRect panelRect = PanelRect(index);
  if (!panelRect.isEmpty()) update(panelRect);
}

// Moving a panel's right edge moves every panel after it.
void TQorStatusBar::RepaintFromPanel(int index) {
  if (simplePanel_) return;
  const QRect panelRect = PanelRect(index);
  if (panelRect.isNull()) return;
  update(QRect(panelRect.left(), 0, width() - panelRect.left(), height()));
}

}  // namespace desktop
