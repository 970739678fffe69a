// The configuration dialog's labels and check boxes: while the pointer is
// over one, its caption shows in the highlight colour, underlined. A label
// also moves the focus to its field (its buddy) when clicked.
//
// The highlight overrides only the caption's colour and underline, so the
// control keeps taking everything else from its parent; it is meant for
// controls that have no font or palette of their own.
#pragma once

#include <QCheckBox>
#include <QLabel>

namespace config {

class THoverLabel : public QLabel {
  Q_OBJECT

 public:
  THoverLabel(const QString& text, QWidget* buddy, QWidget* parent = nullptr);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

class THoverCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit THoverCheckBox(const QString& text, QWidget* parent = nullptr);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace config
