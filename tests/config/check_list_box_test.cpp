#include "config/check_list_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <vector>

#include "tests/support/qt_environment.h"

namespace {

using config::TCheckListBox;

// Records the list's reports in the order they came.
class Reports {
 public:
  explicit Reports(TCheckListBox& list) {
    QObject::connect(&list, &TCheckListBox::Click, [this] { Seen.push_back("click"); });
    QObject::connect(&list, &TCheckListBox::ClickCheck, [this] { Seen.push_back("check"); });
  }
  std::vector<std::string> Seen;
};

class CheckListBoxTest : public ::testing::Test {
 protected:
  CheckListBoxTest() {
    list_.AddEntry(QStringLiteral("a.org (a)"), true);
    list_.AddEntry(QStringLiteral("b.org (b)"), false);
    list_.AddEntry(QStringLiteral("c.org (c)"), true);
    list_.setCurrentRow(0);
    list_.resize(200, 120);
    list_.show();
  }

  void Key(Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&list_, &press);
  }

  void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(list_.viewport()->mapToGlobal(at)), Qt::LeftButton, held, modifiers);
    QCoreApplication::sendEvent(list_.viewport(), &event);
  }

  void ClickAt(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, at, modifiers);
    Mouse(QEvent::MouseButtonRelease, at, modifiers);
  }

  QPoint CheckBoxOf(int row) {
    QStyleOptionViewItem option;
    option.initFrom(&list_);
    option.rect = list_.visualItemRect(list_.item(row));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return list_.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list_).center();
  }

  QPoint TextOf(int row) { return list_.visualItemRect(list_.item(row)).center(); }

  TCheckListBox list_;
};

TEST_F(CheckListBoxTest, ChangesMadeByTheProgramReportNothing) {
  Reports reports(list_);
  list_.setCurrentRow(2);
  list_.SetChecked(1, true);
  list_.item(0)->setText(QStringLiteral("x.org (x)"));
  list_.AddEntry(QStringLiteral("d.org (d)"), false);
  EXPECT_TRUE(reports.Seen.empty());
}

TEST_F(CheckListBoxTest, KeysReportAMovedSelectionAndAToggledMark) {
  Reports reports(list_);
  Key(Qt::Key_Down);
  EXPECT_EQ(list_.currentRow(), 1);
  Key(Qt::Key_Space, QStringLiteral(" "));
  EXPECT_TRUE(list_.Checked(1));
  Key(Qt::Key_Up);
  Key(Qt::Key_Up);  // already at the top
  EXPECT_EQ(reports.Seen, (std::vector<std::string>{"click", "check", "click"}));
}

TEST_F(CheckListBoxTest, ClickOnACheckBoxSelectsTheEntryThenTogglesItsMark) {
  Reports reports(list_);
  ClickAt(CheckBoxOf(1));
  EXPECT_EQ(list_.currentRow(), 1);
  EXPECT_TRUE(list_.Checked(1));
  ClickAt(TextOf(2));
  EXPECT_TRUE(list_.Checked(2)) << "a click on the text leaves the mark";
  EXPECT_EQ(reports.Seen, (std::vector<std::string>{"click", "check", "click"}));
}

TEST_F(CheckListBoxTest, TheMarkUnderTheMouseTogglesEvenWhenTheSelectionIsPutBack) {
  QObject::connect(&list_, &TCheckListBox::Click, &list_, [this] { list_.setCurrentRow(0); });
  ClickAt(CheckBoxOf(2));
  EXPECT_EQ(list_.currentRow(), 0);
  EXPECT_FALSE(list_.Checked(2));
}

TEST_F(CheckListBoxTest, CtrlClickKeepsTheSelection) {
  Reports reports(list_);
  ClickAt(TextOf(0), Qt::ControlModifier);
  EXPECT_EQ(list_.currentRow(), 0);
  EXPECT_TRUE(list_.item(0)->isSelected());
  EXPECT_TRUE(reports.Seen.empty());
}

}  // namespace
