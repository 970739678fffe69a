// One panel of the status bar (TQorStatusPanel) and its gauge settings
// (TQorGaugeAttrs). Every setter ignores the value already held and otherwise
// has the bar repaint this panel alone (a new width moves the panels after it).
#pragma once

#include <QColor>
#include <QString>

namespace desktop {

class TQorStatusBar;
class TQorStatusPanel;

enum TQorStatusPanelType { sptNormal, sptGauge };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
using TPercent = int;

class TQorGaugeAttrs {
 public:
  explicit TQorGaugeAttrs(TQorStatusPanel& panel);
  TQorGaugeAttrs(const TQorGaugeAttrs&) = delete;
  TQorGaugeAttrs& operator=(const TQorGaugeAttrs&) = delete;

  TPercent Position() const { return position_; }
  // Held to 0..100: download percentages handed on unchecked may run past 100.
  void SetPosition(int value);
  const QColor& Color() const { return color_; }
  void SetColor(const QColor& value);
  const QColor& TextColor() const { return textColor_; }
  void SetTextColor(const QColor& value);

 private:
  TQorStatusPanel& panel_;
  TPercent position_ = 0;
  QColor color_;
  QColor textColor_;
};

class TQorStatusPanel {
 public:
  TQorStatusPanel(TQorStatusBar& bar, int index);
  TQorStatusPanel(const TQorStatusPanel&) = delete;
  TQorStatusPanel& operator=(const TQorStatusPanel&) = delete;

  int Index() const { return index_; }
  TQorStatusPanelType PanelType() const { return panelType_; }
  void SetPanelType(TQorStatusPanelType value);
  // A gauge shows its Text, when not empty, instead of the percentage.
  const QString& Text() const { return text_; }
  void SetText(const QString& value);
  // The last panel reaches the bar's right edge whatever its width says.
  int Width() const { return width_; }
  void SetWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // A disabled panel shows only its background.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Inner margin around the content, in pixels.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  TQorGaugeAttrs& GaugeAttrs() { return gaugeAttrs_; }
  const TQorGaugeAttrs& GaugeAttrs() const { return gaugeAttrs_; }

 private:
  friend class TQorGaugeAttrs;
  void Changed();

  TQorStatusBar& bar_;
  int index_;
  TQorStatusPanelType panelType_ = sptNormal;
  QString text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  bool enabled_ = true;
  int borderWidth_ = 0;
  TQorGaugeAttrs gaugeAttrs_;
};

}  // namespace desktop
