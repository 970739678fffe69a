#include "app/notice/new_mes_win.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <functional>
#include <ostream>
#include <limits>
#include <memory>

#include "app/window/embedded_resources.h"
#include "app/notice/new_mail_notice.h"
#include "tests/support/qt_environment.h"

namespace {

using app::NewMailNotice;
using app::NoticeStatusBar;
using app::TNewMesWin;

// Runs the deletions that closed windows asked for.
void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class NewMailNoticeTest : public ::testing::Test {
 protected:
  void TearDown() override { DeleteClosedWindows(); }

  QWidget mainWindow_;
  NewMailNotice notice_{&mainWindow_};
};

struct PassesCase {
  const char* name;
  bool closedBetween;
  int shownNew;
};

void PrintTo(const PassesCase& c, std::ostream* out) { *out << c.name; }

const PassesCase kPasses[] = {
    {"KeptOpenAddsUp", false, 5},
    {"ClosedBetweenStartsAgain", true, 3},
};

class TwoPasses : public NewMailNoticeTest, public ::testing::WithParamInterface<PassesCase> {};

TEST_P(TwoPasses, SecondPassShowsTheNewCountAndItsOwnTotal) {
  const PassesCase& c = GetParam();
  notice_.Notify(2, 7);
  if (c.closedBetween) notice_.NewMesWin()->Button1()->click();
  notice_.Notify(3, 12);
  DeleteClosedWindows();  // the old window going must not take the new one along

  TNewMesWin* window = notice_.NewMesWin();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->NewCount(), c.shownNew);
  EXPECT_EQ(window->TotalCount(), 12);
  EXPECT_EQ(window->StatusBarNew()->Value()->text(), QString::number(c.shownNew));
  EXPECT_EQ(window->StatusBarAll()->Value()->text(), QStringLiteral("12"));
}

INSTANTIATE_TEST_SUITE_P(NewMailNotice, TwoPasses, ::testing::ValuesIn(kPasses),
                         [](const auto& info) { return std::string(info.param.name); });

struct ClosingCase {
  const char* name;
  std::function<void(NewMailNotice&)> close;
};

void PrintTo(const ClosingCase& c, std::ostream* out) { *out << c.name; }

void PressEscape(TNewMesWin* window) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &press);
}

const ClosingCase kClosings[] = {
    {"OkButton", [](NewMailNotice& n) { n.NewMesWin()->Button1()->click(); }},
    {"CloseBox", [](NewMailNotice& n) { n.NewMesWin()->close(); }},
    {"EscapeKey", [](NewMailNotice& n) { PressEscape(n.NewMesWin()); }},
    {"MainWindowHides", [](NewMailNotice& n) { n.CloseNotice(); }},
};

class Closing : public NewMailNoticeTest, public ::testing::WithParamInterface<ClosingCase> {};

TEST_P(Closing, ForgetsTheNoticeAtOnceAndDestroysIt) {
  notice_.Notify(4, 9);
  QPointer<TNewMesWin> window = notice_.NewMesWin();
  ASSERT_NE(window, nullptr);

  GetParam().close(notice_);

  EXPECT_EQ(notice_.NewMesWin(), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->isVisible());
  DeleteClosedWindows();
  EXPECT_EQ(window, nullptr);
}

INSTANTIATE_TEST_SUITE_P(NewMailNotice, Closing, ::testing::ValuesIn(kClosings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewMailNoticeTest, PassWithoutNewMailOpensNothing) {
  notice_.Notify(0, 6);
  EXPECT_EQ(notice_.NewMesWin(), nullptr);
}

TEST_F(NewMailNoticeTest, PassWithoutNewMailLeavesAnOpenNoticeAlone) {
  notice_.Notify(2, 5);
  notice_.Notify(0, 8);
  ASSERT_NE(notice_.NewMesWin(), nullptr);
  EXPECT_EQ(notice_.NewMesWin()->NewCount(), 2);
  EXPECT_EQ(notice_.NewMesWin()->TotalCount(), 5);
}

TEST_F(NewMailNoticeTest, CloseNoticeWithoutANoticeDoesNothing) {
  notice_.CloseNotice();
  EXPECT_EQ(notice_.NewMesWin(), nullptr);
}

TEST_F(NewMailNoticeTest, IsShownWithoutModalityAndBelongsToTheMainWindow) {
  notice_.Notify(1, 1);
  TNewMesWin* window = notice_.NewMesWin();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(window->parentWidget(), &mainWindow_);
  EXPECT_TRUE(window->isWindow());
}

// Kept as a picture beside the end-to-end screenshots, for a person to look at.
TEST_F(NewMailNoticeTest, RendersItsTextsForAPersonToSee) {
  notice_.Notify(2, 5);
  ASSERT_NE(notice_.NewMesWin(), nullptr);
  const QImage picture = notice_.NewMesWin()->grab().toImage();
  EXPECT_EQ(picture.size(), QSize(304, 71));
  QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
  EXPECT_TRUE(picture.save(QStringLiteral(SCREENSHOT_DIR "/notice_window.png")));
}

TEST_F(NewMailNoticeTest, NewCountStopsAtItsLargestValue) {
  notice_.Notify(std::numeric_limits<int>::max() - 1, 1);
  notice_.Notify(5, 2);
  ASSERT_NE(notice_.NewMesWin(), nullptr);
  EXPECT_EQ(notice_.NewMesWin()->NewCount(), std::numeric_limits<int>::max());
}

TEST(NewMailNotice, GoesWithItsKeeper) {
  QWidget mainWindow;
  QPointer<TNewMesWin> window;
  {
    NewMailNotice notice(&mainWindow);
    notice.Notify(1, 1);
    window = notice.NewMesWin();
    ASSERT_NE(window, nullptr);
  }
  EXPECT_EQ(window, nullptr);
}

TEST(TNewMesWin, StartsAtZeroAndShowsTheCountsInDecimal) {
  TNewMesWin window;
  EXPECT_EQ(window.NewCount(), 0);
  EXPECT_EQ(window.TotalCount(), 0);
  EXPECT_EQ(window.StatusBarNew()->Value()->text(), QStringLiteral("0"));
  window.SetNewCount(-17);
  window.SetTotalCount(1234567);
  EXPECT_EQ(window.NewCount(), -17);
  EXPECT_EQ(window.StatusBarNew()->Value()->text(), QStringLiteral("-17"));
  EXPECT_EQ(window.StatusBarAll()->Value()->text(), QStringLiteral("1234567"));
}

TEST(TNewMesWin, HasItsCaptionTextsAndFixedSize) {
  TNewMesWin window;
  window.show();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Информация"));
  EXPECT_EQ(window.size(), QSize(304, 71));
  EXPECT_EQ(window.minimumSize(), QSize(304, 71));
  EXPECT_EQ(window.maximumSize(), QSize(304, 71));
  EXPECT_EQ(window.StatusBarNew()->Label()->text(), QStringLiteral("Получено новых писем"));
  EXPECT_EQ(window.StatusBarAll()->Label()->text(), QStringLiteral("Всего писем в почтовом ящике"));
  EXPECT_EQ(window.StatusBarNew()->Label()->width(), 175);
  EXPECT_EQ(window.StatusBarAll()->Label()->width(), 175);
  EXPECT_EQ(window.Button1()->text(), QStringLiteral("OK"));
}

TEST(TNewMesWin, PanelsAndButtonLieInsideTheWindow) {
  TNewMesWin window;
  window.show();
  const QRect client = window.rect();
  for (QWidget* part : {static_cast<QWidget*>(window.Image1()), static_cast<QWidget*>(window.StatusBarNew()),
                        static_cast<QWidget*>(window.StatusBarAll()), static_cast<QWidget*>(window.Button1())})
    EXPECT_TRUE(client.contains(part->geometry())) << part->metaObject()->className();
  EXPECT_TRUE(window.StatusBarNew()->rect().contains(window.StatusBarNew()->Value()->geometry()));
  EXPECT_GT(window.StatusBarNew()->Value()->width(), 0);
}

// Whether a panel shows its whole text.
bool ShowsInFull(const QLabel& panel) {
  return panel.fontMetrics().horizontalAdvance(panel.text()) <= panel.contentsRect().width() - panel.indent();
}

TEST(TNewMesWin, ShowsLabelsAndTheLargestCountsInFull) {
  TNewMesWin window;
  window.SetNewCount(std::numeric_limits<int>::max());
  window.SetTotalCount(std::numeric_limits<int>::min());
  window.show();
  for (NoticeStatusBar* bar : {window.StatusBarNew(), window.StatusBarAll()}) {
    EXPECT_TRUE(ShowsInFull(*bar->Label())) << bar->Label()->text().toStdString();
    EXPECT_TRUE(ShowsInFull(*bar->Value())) << bar->Value()->text().toStdString();
  }
}

TEST(TNewMesWin, StaysOnTopOfOtherWindows) {
  TNewMesWin window;
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(TNewMesWin, IsCentredOnTheScreen) {
  TNewMesWin window;
  window.show();
  const QPoint offset = window.frameGeometry().center() - window.screen()->availableGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2);
}

TEST(TNewMesWin, ShowsItsOwnIconAtTheTopLeft) {
  TNewMesWin window;
  QLabel* image = window.Image1();
  EXPECT_EQ(image->size(), QSize(32, 32));
  EXPECT_LT(image->x(), window.width() / 4);
  EXPECT_LT(image->y(), window.height() / 4);
  EXPECT_EQ(image->pixmap().toImage(), app::NoticeIcon().toImage());
}

TEST(TNewMesWin, OkHasTheFocusWhenItOpens) {
  TNewMesWin window;
  window.show();
  window.activateWindow();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.focusWidget(), window.Button1());
  EXPECT_EQ(QApplication::focusWidget(), window.Button1());
  EXPECT_TRUE(window.Button1()->isDefault());
}

TEST(TNewMesWin, ReleasesItsReferenceOnceWhenClosedAndDestroyed) {
  int released = 0;
  auto* window = new TNewMesWin;
  QPointer<TNewMesWin> watch = window;
  window->OnRelease = [&](TNewMesWin* sender) {
    EXPECT_EQ(sender, window);
    ++released;
  };
  window->show();
  window->Button1Click();
  EXPECT_EQ(released, 1);
  DeleteClosedWindows();
  EXPECT_EQ(watch, nullptr);
  EXPECT_EQ(released, 1);
}

TEST(TNewMesWin, ReleasesItsReferenceWhenDestroyedWithoutClosing) {
  int released = 0;
  {
    TNewMesWin window;
    window.OnRelease = [&](TNewMesWin*) { ++released; };
  }
  EXPECT_EQ(released, 1);
}

}  // namespace
