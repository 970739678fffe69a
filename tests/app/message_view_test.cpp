// The message view: header rows, body, attachment list, the message hint,
// word wrap, the splitter, and the list's mouse rules.
#include "app/view/message_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/notice/notice_status_bar.h"
#include "platform/cp1251.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/support/qt_environment.h"

namespace {

using text::operator""_cp1251;

const QString kMessageHint = QStringLiteral("Сервер: (pop.example.ru)  Пользователь: (иван)");
const char* const kHintedParts[] = {"SBFrom", "SBSubject", "SBDate", "Panel1", "Memo1", "FileSplit", "FileLV"};

// Records the status tips that reach the widget it watches.
class StatusTipRecorder : public QObject {
 public:
  QStringList Tips;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::StatusTip) Tips << static_cast<QStatusTipEvent*>(event)->tip();
    return false;
  }
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPoint global = {}) {
  QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, modifiers);
  QCoreApplication::sendEvent(target, &event);
}

class MessageViewTest : public ::testing::Test {
 protected:
  MessageViewTest() { view_.resize(532, 320); }

  mail::TKelMsg& NewMessage() {
    messages_.push_back(std::make_unique<mail::TKelMsg>(mime_));
    mail::TKelMsg& message = *messages_.back();
    message.From = std::string("Пётр <petr@example.ru>"_cp1251);
    message.Subject = std::string("Отчёт за май"_cp1251);
    message.Date = "Mon, 3 Jun 2024 10:15:00 +0300";
    message.AccountHost = "pop.example.ru";
    message.AccountUserId = std::string("иван"_cp1251);
    message.Text = {std::string("Добрый день!"_cp1251), "", "second line"};
    return message;
  }

  static mail::TAttachedFile& Attach(mail::TKelMsg& message, const std::string& name, const std::string& data) {
    mail::TAttachedFile& file = message.AttachedFiles.Add(name);
    file.Data = data;
    return file;
  }

  mail::TKelMsg& MessageWithFiles() {
    mail::TKelMsg& message = NewMessage();
    Attach(message, std::string("отчёт.doc"_cp1251), "report");
    Attach(message, "data.qqzzunknown", "12345");
    Attach(message, "README", "");
    return message;
  }

  // Shown and laid out, so that the list's items have their places.
  void ShowView() {
    view_.show();
    QCoreApplication::processEvents();
    view_.FileList()->doItemsLayout();
  }

  QString RowValue(const char* name) const { return view_.findChild<app::NoticeStatusBar*>(name)->Value()->text(); }
  QWidget* Part(const char* name) const { return view_.findChild<QWidget*>(name); }
  QPlainTextEdit* Body() const { return view_.findChild<QPlainTextEdit*>("Memo1"); }
  QWidget* Splitter() const { return Part("FileSplit"); }
  QPoint ItemCentre(int row) const { return view_.FileList()->visualItemRect(view_.FileList()->item(row)).center(); }

  testsupport::FakeMimeDatabase mime_;
  std::vector<std::unique_ptr<mail::TKelMsg>> messages_;
  app::MessageView view_;
};

TEST_F(MessageViewTest, NoMessageEmptiesEverythingAMessageHadFilled) {
  view_.ShowMessage(&MessageWithFiles());
  view_.ShowMessage(nullptr);

  for (const char* row : {"SBFrom", "SBSubject", "SBDate"}) EXPECT_EQ(RowValue(row), QString()) << row;
  EXPECT_EQ(Body()->toPlainText(), QString());
  EXPECT_EQ(view_.FileList()->count(), 0);
  EXPECT_EQ(view_.SelectedFile(), nullptr);
  EXPECT_TRUE(view_.FileList()->isHidden());
  EXPECT_TRUE(Splitter()->isHidden());
  for (const char* part : kHintedParts) EXPECT_EQ(Part(part)->statusTip(), QString()) << part;
}

TEST_F(MessageViewTest, HeaderRowsShowTheLabelsBesideTheValues) {
  view_.ShowMessage(&NewMessage());

  EXPECT_EQ(RowValue("SBFrom"), QStringLiteral("Пётр <petr@example.ru>"));
  EXPECT_EQ(RowValue("SBSubject"), QStringLiteral("Отчёт за май"));
  EXPECT_EQ(RowValue("SBDate"), QStringLiteral("Mon, 3 Jun 2024 10:15:00 +0300"));
  const auto* from = view_.findChild<app::NoticeStatusBar*>("SBFrom");
  EXPECT_EQ(from->Label()->text(), QStringLiteral("От"));
  EXPECT_EQ(from->Label()->alignment(), Qt::AlignCenter);
  EXPECT_EQ(view_.findChild<app::NoticeStatusBar*>("SBSubject")->Label()->text(), QStringLiteral("Тема"));
  EXPECT_EQ(view_.findChild<app::NoticeStatusBar*>("SBDate")->Label()->text(), QStringLiteral("Дата"));
}

TEST_F(MessageViewTest, MarkupInAHeaderShowsAsText) {
  mail::TKelMsg& message = NewMessage();
  message.Subject = "<b>bold</b> <img src=\"file:///etc/passwd\">";
  view_.ShowMessage(&message);

  EXPECT_EQ(view_.findChild<app::NoticeStatusBar*>("SBSubject")->Value()->textFormat(), Qt::PlainText);
  EXPECT_EQ(RowValue("SBSubject"), QString::fromStdString(message.Subject));
}

TEST_F(MessageViewTest, BodyHoldsEveryLineAndNoAttachmentsHideListAndSplitter) {
  view_.ShowMessage(&NewMessage());

  EXPECT_EQ(Body()->blockCount(), 3);
  EXPECT_EQ(Body()->toPlainText(), QStringLiteral("Добрый день!\n\nsecond line"));
  EXPECT_TRUE(Body()->isReadOnly());
  EXPECT_TRUE(view_.FileList()->isHidden());
  EXPECT_TRUE(Splitter()->isHidden());
  EXPECT_EQ(view_.SelectedFile(), nullptr);
}

TEST_F(MessageViewTest, AttachmentsAreListedWithIconsAndTheFirstSelected) {
  mail::TKelMsg& message = MessageWithFiles();
  view_.ShowMessage(&message);

  QListWidget* list = view_.FileList();
  EXPECT_FALSE(list->isHidden());
  EXPECT_FALSE(Splitter()->isHidden());
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("отчёт.doc"));
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("data.qqzzunknown"));
  EXPECT_EQ(list->item(2)->text(), QStringLiteral("README"));
  EXPECT_TRUE(list->item(0)->isSelected());
  EXPECT_EQ(view_.SelectedFile(), &message.AttachedFiles.Items(0));
  for (int row = 0; row < list->count(); ++row) EXPECT_FALSE(list->item(row)->icon().isNull()) << row;
}

TEST_F(MessageViewTest, SelectedFileFollowsTheSelection) {
  mail::TKelMsg& message = MessageWithFiles();
  view_.ShowMessage(&message);

  view_.FileList()->setCurrentRow(2);
  EXPECT_EQ(view_.SelectedFile(), &message.AttachedFiles.Items(2));
  view_.FileList()->clearSelection();
  EXPECT_EQ(view_.SelectedFile(), nullptr);
}

TEST_F(MessageViewTest, EveryPartOfTheMessageCarriesTheMessageHint) {
  view_.ShowMessage(&MessageWithFiles());

  for (const char* part : kHintedParts) EXPECT_EQ(Part(part)->statusTip(), kMessageHint) << part;
}

TEST_F(MessageViewTest, WordWrapSwitchesScrollBarsAndKeepsCaretAndTopLine) {
  mail::TKelMsg& message = NewMessage();
  message.Text.clear();
  for (int line = 0; line < 200; ++line) message.Text.push_back("line " + std::to_string(line) + std::string(300, 'x'));
  view_.ShowMessage(&message);
  ShowView();
  QTextCursor cursor = Body()->textCursor();
  cursor.setPosition(Body()->document()->findBlockByNumber(120).position() + 7);
  Body()->setTextCursor(cursor);
  Body()->verticalScrollBar()->setValue(60);
  const int caret = Body()->textCursor().position();

  struct Step {
    bool wrap;
    QPlainTextEdit::LineWrapMode mode;
    Qt::ScrollBarPolicy horizontal;
  };
  for (const Step step : {Step{true, QPlainTextEdit::WidgetWidth, Qt::ScrollBarAlwaysOff},
                          Step{false, QPlainTextEdit::NoWrap, Qt::ScrollBarAlwaysOn}}) {
    view_.SetWordWrap(step.wrap);
    QCoreApplication::processEvents();
    EXPECT_EQ(view_.WordWrap(), step.wrap);
    EXPECT_EQ(Body()->lineWrapMode(), step.mode);
    EXPECT_EQ(Body()->horizontalScrollBarPolicy(), step.horizontal);
    EXPECT_EQ(Body()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Body()->textCursor().position(), caret);
    EXPECT_EQ(Body()->verticalScrollBar()->value(), 60);
  }
}

TEST_F(MessageViewTest, StartsUnwrappedWithBothScrollBars) {
  EXPECT_FALSE(view_.WordWrap());
  EXPECT_EQ(Body()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(Body()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(MessageViewTest, SplitterMovesTheEdgeAndKeepsBothSidesAtLeastFourPixels) {
  view_.ShowMessage(&MessageWithFiles());
  EXPECT_EQ(view_.FilesViewHeight(), 73);
  view_.SetFilesViewHeight(100);
  ShowView();
  ASSERT_EQ(view_.FileList()->height(), 100);
  const int room = Body()->height() + view_.FileList()->height();

  struct Drag {
    const char* name;
    int moveBy;
    int height;
  };
  const Drag drags[] = {
      {"UpByThirty", -30, 130},
      {"DownByTwenty", 20, 80},
      {"FarDown", 5000, 4},
      {"FarUp", -5000, room - 4},
  };
  for (const Drag& drag : drags) {
    view_.SetFilesViewHeight(100);
    QCoreApplication::processEvents();
    const QPoint start(10, 1);
    SendMouse(Splitter(), QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, {300, 500});
    SendMouse(Splitter(), QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton, Qt::NoModifier,
              {300, 500 + drag.moveBy});
    SendMouse(Splitter(), QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton, Qt::NoModifier,
              {300, 500 + drag.moveBy});
    EXPECT_EQ(view_.FilesViewHeight(), drag.height) << drag.name;
  }
}

TEST_F(MessageViewTest, StoredFilesViewHeightBelowTheMinimumBecomesFour) {
  view_.SetFilesViewHeight(-7);
  EXPECT_EQ(view_.FilesViewHeight(), 4);
}

struct MouseCase {
  const char* name;
  QEvent::Type type;
  Qt::MouseButton button;
  Qt::MouseButtons buttons;
  Qt::KeyboardModifiers modifiers;
  bool idle;
  bool views;
  bool opensMenu;
};

void PrintTo(const MouseCase& c, std::ostream* out) { *out << c.name; }

const MouseCase kMouseCases[] = {
    {"LeftDoubleClickViews", QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, true, true,
     false},
    {"RightClickOpensTheMenu", QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::NoModifier, true, false,
     true},
    {"CtrlLeftDoubleClickDoesNothing", QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton,
     Qt::ControlModifier, true, false, false},
    {"ShiftRightClickDoesNothing", QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier, true,
     false, false},
    {"RightClickWithLeftHeldDoesNothing", QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton,
     Qt::NoModifier, true, false, false},
    {"LeftSingleClickDoesNothing", QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, true,
     false, false},
    {"RightDoubleClickDoesNothing", QEvent::MouseButtonDblClick, Qt::RightButton, Qt::RightButton, Qt::NoModifier,
     true, false, false},
    {"LeftDoubleClickWhileBusyDoesNothing", QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton,
     Qt::NoModifier, false, false, false},
    {"RightClickWhileBusyDoesNothing", QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::NoModifier,
     false, false, false},
};

class FileListHandlers : public MessageViewTest {
 protected:
  FileListHandlers() {
    view_.IsIdle = [this] { return idle_; };
    view_.OnViewFile = [this] { ++views_; };
    view_.OnFileMenu = [this](QPoint at) { menus_.push_back(at); };
  }

  bool idle_ = true;
  int views_ = 0;
  std::vector<QPoint> menus_;
};

class FileListMouse : public FileListHandlers, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(FileListMouse, OnlyTheExactCombinationsActWhileIdle) {
  const MouseCase& c = GetParam();
  view_.ShowMessage(&MessageWithFiles());
  ShowView();
  idle_ = c.idle;
  const QPoint pointer(345, 678);

  SendMouse(view_.FileList()->viewport(), c.type, ItemCentre(1), c.button, c.buttons, c.modifiers, pointer);

  EXPECT_EQ(views_, c.views ? 1 : 0);
  EXPECT_EQ(menus_, c.opensMenu ? std::vector<QPoint>{pointer} : std::vector<QPoint>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, FileListMouse, ::testing::ValuesIn(kMouseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileListHandlers, RightClickActsOnTheItemUnderThePointer) {
  mail::TKelMsg& message = MessageWithFiles();
  view_.ShowMessage(&message);
  ShowView();
  const mail::TAttachedFile* selectedAtMenu = nullptr;
  view_.OnFileMenu = [&](QPoint) { selectedAtMenu = view_.SelectedFile(); };

  SendMouse(view_.FileList()->viewport(), QEvent::MouseButtonPress, ItemCentre(2), Qt::RightButton, Qt::RightButton);

  EXPECT_EQ(selectedAtMenu, &message.AttachedFiles.Items(2));
}

TEST_F(FileListHandlers, NothingActsWithoutASelectedItem) {
  view_.ShowMessage(&MessageWithFiles());
  ShowView();
  view_.FileList()->clearSelection();
  const QPoint empty = view_.FileList()->viewport()->rect().bottomRight() - QPoint(2, 2);
  ASSERT_EQ(view_.FileList()->itemAt(empty), nullptr);

  SendMouse(view_.FileList()->viewport(), QEvent::MouseButtonDblClick, empty, Qt::LeftButton, Qt::LeftButton);
  SendMouse(view_.FileList()->viewport(), QEvent::MouseButtonPress, empty, Qt::RightButton, Qt::RightButton);

  EXPECT_EQ(views_, 0);
  EXPECT_TRUE(menus_.empty());
}

TEST_F(FileListHandlers, MovingOverAnItemShowsItsHintAndElsewhereTheMessageHint) {
  view_.ShowMessage(&MessageWithFiles());
  ShowView();
  StatusTipRecorder recorder;
  view_.installEventFilter(&recorder);
  QWidget* viewport = view_.FileList()->viewport();
  const QPoint empty = viewport->rect().bottomRight() - QPoint(2, 2);
  const QString itemHint = QStringLiteral("Файл:[data.qqzzunknown]  Тип:[Неизвестный]  Размер:[5 байт]");

  SendMouse(viewport, QEvent::MouseMove, ItemCentre(1), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(view_.FileList()->statusTip(), itemHint);
  SendMouse(viewport, QEvent::MouseMove, empty, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(view_.FileList()->statusTip(), kMessageHint);

  EXPECT_EQ(recorder.Tips, (QStringList{itemHint, kMessageHint}));
}

TEST_F(FileListHandlers, MovingWhileBusyLeavesTheHint) {
  view_.ShowMessage(&MessageWithFiles());
  ShowView();
  StatusTipRecorder recorder;
  view_.installEventFilter(&recorder);
  idle_ = false;

  SendMouse(view_.FileList()->viewport(), QEvent::MouseMove, ItemCentre(1), Qt::NoButton, Qt::NoButton);

  EXPECT_EQ(view_.FileList()->statusTip(), kMessageHint);
  EXPECT_TRUE(recorder.Tips.isEmpty());
}

}  // namespace
