// A bar of two sunken panels: a fixed-width label, then a value.
#pragma once

#include <QLabel>
#include <QWidget>

namespace app {

class NoticeStatusBar : public QWidget {
 public:
  NoticeStatusBar(const QString& label, int labelWidth, QWidget* parent);

  void SetValue(const QString& value);
  // Whether the label's text fits its panel when written in `font`.
  bool LabelFits(const QFont& font) const;
  QLabel* Label() const { return label_; }
  QLabel* Value() const { return value_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int labelWidth_;
  QLabel* label_;
  QLabel* value_;
};

}  // namespace app
