#include "config/hover_controls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "tests/support/qt_environment.h"

namespace {

using config::THoverCheckBox;
using config::THoverLabel;

void Enter(QWidget& control) {
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), control.mapToGlobal(QPointF(1, 1)));
  QCoreApplication::sendEvent(&control, &enter);
}

void Leave(QWidget& control) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&control, &leave);
}

TEST(HoverControls, CaptionIsHighlightedAndUnderlinedWhileThePointerIsOver) {
  QWidget form;
  QPalette palette = form.palette();
  palette.setColor(QPalette::Highlight, QColor(10, 20, 200));
  palette.setColor(QPalette::WindowText, QColor(30, 30, 30));
  form.setPalette(palette);
  auto* edit = new QLineEdit(&form);
  THoverLabel* label = new THoverLabel(QStringLiteral("Сервер:"), edit, &form);
  THoverCheckBox* box = new THoverCheckBox(QStringLiteral("Удаление письма"), &form);
  for (QWidget* control : {static_cast<QWidget*>(label), static_cast<QWidget*>(box)}) {
    const std::string name = control->metaObject()->className();
    Enter(*control);
    EXPECT_TRUE(control->font().underline()) << name;
    EXPECT_EQ(control->palette().color(control->foregroundRole()), QColor(10, 20, 200)) << name;
    Leave(*control);
    EXPECT_FALSE(control->font().underline()) << name;
    EXPECT_EQ(control->palette().color(control->foregroundRole()), QColor(30, 30, 30)) << name;

    QFont larger = form.font();
    larger.setPointSize(larger.pointSize() + 5);
    form.setFont(larger);
    EXPECT_EQ(control->font().pointSize(), larger.pointSize()) << name << ": the parent's font still reaches it";
  }
}

}  // namespace
