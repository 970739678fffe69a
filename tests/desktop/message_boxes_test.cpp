#include "desktop/message_boxes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

#include "tests/support/qt_environment.h"

namespace {

using desktop::QtMessageBoxes;

struct SeenBox {
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text;
  std::vector<QString> buttons;
  QString defaultButton;
};

// Looks at the box once it is up, then presses the button named `press`
// (or closes it with Esc when `press` is empty).
void Answer(SeenBox& seen, const QString& press) {
  QTimer::singleShot(0, [&seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.caption = box->windowTitle();
    seen.icon = box->icon();
    seen.text = box->text();
    seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
    for (QAbstractButton* button : box->buttons()) {
      seen.buttons.push_back(button->text());
      if (button->text() == press) button->click();
    }
    if (press.isEmpty()) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(box, &escape);
    }
  });
}

TEST(QtMessageBoxes, KindSetsCaptionIconAndButtons) {
  QtMessageBoxes boxes;
  struct Case {
    const char* name;
    std::function<void()> show;
    QString caption;
    QMessageBox::Icon icon;
    std::vector<QString> buttons;
    QString defaultButton = QStringLiteral("OK");
  } cases[] = {
      {"error", [&] { boxes.Error(nullptr, QStringLiteral("текст")); }, QStringLiteral("Ошибка"),
       QMessageBox::Critical, {QStringLiteral("OK")}},
      {"information", [&] { boxes.Information(nullptr, QStringLiteral("текст")); }, QStringLiteral("Информация"),
       QMessageBox::Information, {QStringLiteral("OK")}},
      {"confirmation", [&] { boxes.Confirm(nullptr, QStringLiteral("текст")); }, QStringLiteral("Подтверждение"),
       QMessageBox::Question, {QStringLiteral("OK"), QStringLiteral("Отмена")}},
      {"warning", [&] { boxes.Warn(nullptr, QStringLiteral("текст")); }, QStringLiteral("Предупреждение"),
       QMessageBox::Warning, {QStringLiteral("OK"), QStringLiteral("Отмена")}, QStringLiteral("Отмена")},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    Answer(seen, QStringLiteral("OK"));
    c.show();
    EXPECT_EQ(seen.caption, c.caption) << c.name;
    EXPECT_EQ(seen.icon, c.icon) << c.name;
    EXPECT_EQ(seen.text, QStringLiteral("текст")) << c.name;
    EXPECT_EQ(seen.buttons, c.buttons) << c.name;
    EXPECT_EQ(seen.defaultButton, c.defaultButton) << c.name;
  }
}

TEST(QtMessageBoxes, ConfirmationGoesOnOnlyWithOk) {
  QtMessageBoxes boxes;
  struct Case {
    const char* name;
    QString press;
    bool result;
  } cases[] = {
      {"OK", QStringLiteral("OK"), true},
      {"Отмена", QStringLiteral("Отмена"), false},
      {"Esc", QString(), false},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    Answer(seen, c.press);
    EXPECT_EQ(boxes.Confirm(nullptr, QStringLiteral("Удалить?")), c.result) << c.name;
    Answer(seen, c.press);
    EXPECT_EQ(boxes.Warn(nullptr, QStringLiteral("Открыть?")), c.result) << c.name << " (warning)";
  }
}

TEST(QtMessageBoxes, EveryLineBreakShowsAsOne) {
  QtMessageBoxes boxes;
  SeenBox seen;
  Answer(seen, QStringLiteral("OK"));
  boxes.Information(nullptr, QStringLiteral("первая: Ok!\rвторая\r\nтретья\nчетвёртая <b>"));
  EXPECT_EQ(seen.text, QStringLiteral("первая: Ok!\nвторая\nтретья\nчетвёртая <b>"));
}

}  // namespace
