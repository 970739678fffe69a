// The program's message boxes, behind an interface so that a test can answer
// them. The kind sets the caption and the icon: error "Ошибка", confirmation
// "Подтверждение", warning "Предупреждение", information "Информация"; the
// buttons are "OK" and "Отмена".
// Texts may break their lines with CR LF or with a lone CR; each shows as a
// line break.
#pragma once

#include <QString>

class QWidget;

namespace desktop {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // "OK" and "Отмена"; true only when the user chose "OK".
  virtual bool Confirm(QWidget* parent, const QString& text) = 0;
  // "OK" and "Отмена", "Отмена" the default: true only when the user chose "OK".
  virtual bool Warn(QWidget* parent, const QString& text) = 0;
  // One "OK" button each.
  virtual void Error(QWidget* parent, const QString& text) = 0;
  virtual void Information(QWidget* parent, const QString& text) = 0;
};

// Modal QMessageBox windows.
class QtMessageBoxes : public MessageBoxes {
 public:
  bool Confirm(QWidget* parent, const QString& text) override;
  bool Warn(QWidget* parent, const QString& text) override;
  void Error(QWidget* parent, const QString& text) override;
  void Information(QWidget* parent, const QString& text) override;
};

}  // namespace desktop
