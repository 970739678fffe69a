#include "config/hover_controls.h"

#include <QMouseEvent>

namespace config {

namespace {

void Highlight(QWidget& control) {
  QFont underlined;
  underlined.setUnderline(true);
  control.setFont(underlined);
  QPalette highlighted;
  highlighted.setColor(control.foregroundRole(), control.palette().color(QPalette::Highlight));
  control.setPalette(highlighted);
}

// A font and a palette that override nothing hand the control back to its parent's.
void Unhighlight(QWidget& control) {
  control.setFont(QFont());
  control.setPalette(QPalette());
}

}  // namespace

THoverLabel::THoverLabel(const QString& text, QWidget* buddy, QWidget* parent) : QLabel(text, parent) {
  setBuddy(buddy);
}

void THoverLabel::enterEvent(QEnterEvent* event) {
  Highlight(*this);
  QLabel::enterEvent(event);
}

void THoverLabel::leaveEvent(QEvent* event) {
  Unhighlight(*this);
  QLabel::leaveEvent(event);
}

void THoverLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && buddy()) buddy()->setFocus(Qt::MouseFocusReason);
  QLabel::mousePressEvent(event);
}

THoverCheckBox::THoverCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void THoverCheckBox::enterEvent(QEnterEvent* event) {
  Highlight(*this);
  QCheckBox::enterEvent(event);
}

void THoverCheckBox::leaveEvent(QEvent* event) {
  Unhighlight(*this);
  QCheckBox::leaveEvent(event);
}

}  // namespace config
