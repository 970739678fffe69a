#include "app/notice/notice_status_bar.h"

#include <QFontMetrics>

namespace app {

namespace {

QLabel* MakePanel(const QString& text, QWidget* parent) {
  auto* panel = new QLabel(text, parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setIndent(2);
  return panel;
}

}  // namespace

NoticeStatusBar::NoticeStatusBar(const QString& label, int labelWidth, QWidget* parent)
    : QWidget(parent), labelWidth_(labelWidth), label_(MakePanel(label, this)), value_(MakePanel({}, this)) {}

void NoticeStatusBar::SetValue(const QString& value) { value_->setText(value); }

bool NoticeStatusBar::LabelFits(const QFont& font) const {
  const int room = labelWidth_ - 2 * label_->frameWidth() - label_->indent();
  return QFontMetrics(font).horizontalAdvance(label_->text()) < room;
}

void NoticeStatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  label_->setGeometry(0, 0, labelWidth_, height());
  value_->setGeometry(labelWidth_, 0, width() - labelWidth_, height());
}

}  // namespace app
