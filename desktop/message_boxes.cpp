#include "desktop/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace desktop {

namespace {

// Qt breaks plain text only at LF.
QString WithLineFeeds(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

enum class Buttons { kOk, kOkCancel, kOkCancelByDefault };

// Shows the box modally; true when "OK" closed it.
bool Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text, Buttons buttons) {
  QMessageBox box(icon, caption, WithLineFeeds(text), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  QPushButton* cancel =
      buttons == Buttons::kOk ? ok : box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(buttons == Buttons::kOkCancelByDefault ? cancel : ok);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == ok;
}

}  // namespace

bool QtMessageBoxes::Confirm(QWidget* parent, const QString& text) {
  return Show(parent, QMessageBox::Question, QStringLiteral("Подтверждение"), text, Buttons::kOkCancel);
}

bool QtMessageBoxes::Warn(QWidget* parent, const QString& text) {
  return Show(parent, QMessageBox::Warning, QStringLiteral("Предупреждение"), text, Buttons::kOkCancelByDefault);
}

void QtMessageBoxes::Error(QWidget* parent, const QString& text) {
  Show(parent, QMessageBox::Critical, QStringLiteral("Ошибка"), text, Buttons::kOk);
}

void QtMessageBoxes::Information(QWidget* parent, const QString& text) {
  Show(parent, QMessageBox::Information, QStringLiteral("Информация"), text, Buttons::kOk);
}

}  // namespace desktop
