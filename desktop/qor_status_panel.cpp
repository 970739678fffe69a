#include "desktop/qor_status_panel.h"

#include <QPalette>
#include <algorithm>

#include "desktop/qor_status_bar.h"

namespace desktop {

namespace {

template <typename T>
bool Assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

TQorGaugeAttrs::TQorGaugeAttrs(TQorStatusPanel& panel)
    : panel_(panel),
      color_(panel.bar_.palette().color(QPalette::Highlight)),
      textColor_(panel.bar_.palette().color(QPalette::HighlightedText)) {}

void TQorGaugeAttrs::SetPosition(int value) {
  if (Assign(position_, std::clamp(value, 0, 100))) panel_.Changed();
}

void TQorGaugeAttrs::SetColor(const QColor& value) {
  if (Assign(color_, value)) panel_.Changed();
}

void TQorGaugeAttrs::SetTextColor(const QColor& value) {
  if (Assign(textColor_, value)) panel_.Changed();
}

TQorStatusPanel::TQorStatusPanel(TQorStatusBar& bar, int index) : bar_(bar), index_(index), gaugeAttrs_(*this) {}

void TQorStatusPanel::SetPanelType(TQorStatusPanelType value) {
  if (Assign(panelType_, value)) Changed();
}

void TQorStatusPanel::SetText(const QString& value) {
  if (Assign(text_, value)) Changed();
}

void TQorStatusPanel::SetWidth(int value) {
  if (Assign(width_, value)) bar_.RepaintFromPanel(index_);
}

void TQorStatusPanel::SetAlignment(TAlignment value) {
  if (Assign(alignment_, value)) Changed();
}

void TQorStatusPanel::SetEnabled(bool value) {
  if (Assign(enabled_, value)) Changed();
}

void TQorStatusPanel::SetBorderWidth(int value) {
  if (Assign(borderWidth_, value)) Changed();
}

void TQorStatusPanel::Changed() { bar_.RepaintPanel(index_); }

}  // namespace desktop
