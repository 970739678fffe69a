#include "desktop/new_tray_icon.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/qt_environment.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "desktop/qt_tray_icon_host.h"

namespace desktop {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;


std::string Describe(TMouseButton button) {
  switch (button) {
    case mbLeft:
      return "left";
    case mbRight:
      return "right";
    case mbMiddle:
      return "middle";
  }
  return "?";
}

std::string Describe(TShiftState shift) {
  static const struct {
    TShiftFlag flag;
    const char* name;
  } kNames[] = {{ssShift, "Shift"}, {ssAlt, "Alt"},       {ssCtrl, "Ctrl"},    {ssLeft, "Left"},
                {ssRight, "Right"}, {ssMiddle, "Middle"}, {ssDouble, "Double"}};
  std::string text;
  for (const auto& name : kNames)
    if (shift.testFlag(name.flag)) text += (text.empty() ? "" : " ") + std::string(name.name);
  return "[" + text + "]";
}

// What the component asked of the desktop, and the order of everything that happened.
struct Desktop {
  bool acceptAdd = true;
  QPoint cursor{640, 1010};
  TShiftState keys;
  std::vector<std::string> requests;
  std::vector<std::string> log;
  TrayIconHost::MessageSink sink;
  QMenu* offeredMenu = nullptr;
};

class FakeHost final : public TrayIconHost {
 public:
  explicit FakeHost(Desktop& desktop) : desktop_(desktop) {}
  void Listen(MessageSink sink) override { desktop_.sink = std::move(sink); }
  bool Add(const QIcon&, const QString& tip) override {
    desktop_.requests.push_back("add " + tip.toStdString());
    return desktop_.acceptAdd;
  }
  void Modify(const QIcon&, const QString& tip) override {
    desktop_.requests.push_back("modify " + tip.toStdString());
  }
  void Delete() override { desktop_.requests.push_back("delete"); }
  void OfferMenu(QMenu* menu) override { desktop_.offeredMenu = menu; }
  QPoint CursorPos() const override { return desktop_.cursor; }
  TShiftState KeyboardShift() const override { return desktop_.keys; }
  void CancelMode() override { desktop_.log.push_back("cancel mode"); }
  void ExecMenu(QMenu& menu, const QPoint& at) override {
    desktop_.log.push_back("menu " + menu.title().toStdString() + " at " + std::to_string(at.x()) + "," +
                           std::to_string(at.y()));
  }

 private:
  Desktop& desktop_;
};

QIcon SolidIcon(Qt::GlobalColor color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  return QIcon(pixmap);
}

class NewTrayIconTest : public ::testing::Test {
 protected:
  std::unique_ptr<TNewTrayIcon> MakeIcon() {
    auto icon = std::make_unique<TNewTrayIcon>(std::make_unique<FakeHost>(desktop_));
    icon->OnClick = [this](TNewTrayIcon&, TMouseButton button, TShiftState shift, int, int) {
      desktop_.log.push_back("click " + Describe(button) + " " + Describe(shift));
    };
    icon->OnDblClick = [this](TNewTrayIcon&) { desktop_.log.push_back("dblclick"); };
    icon->OnMouseMove = [this](TNewTrayIcon&, TShiftState shift, int x, int y) {
      desktop_.log.push_back("move " + Describe(shift) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    icon->OnMouseDown = [this](TNewTrayIcon&, TMouseButton button, TShiftState shift, int, int) {
      desktop_.log.push_back("down " + Describe(button) + " " + Describe(shift));
    };
    icon->OnMouseUp = [this](TNewTrayIcon&, TMouseButton button, TShiftState shift, int, int) {
      desktop_.log.push_back("up " + Describe(button) + " " + Describe(shift));
    };
    return icon;
  }

  // A shown icon with nothing asked of the desktop yet.
  std::unique_ptr<TNewTrayIcon> MakeShownIcon() {
    auto icon = MakeIcon();
    icon->SetIcon(SolidIcon(Qt::blue));
    icon->SetHint("Tessaro (POP3) - 0");
    icon->Loaded();
    EXPECT_TRUE(icon->IconShown());
    desktop_.requests.clear();
    return icon;
  }

  void Send(const std::vector<int>& messages) {
    for (const int message : messages) desktop_.sink(message);
  }

  Desktop desktop_;
};

enum class MenuSetup { kNone, kAutoPopup, kAutoPopupOff, kEnabledDefault, kDisabledDefault };

std::unique_ptr<TPopupMenu> MakeMenu(MenuSetup setup, std::vector<std::string>& log) {
  if (setup == MenuSetup::kNone) return nullptr;
  auto menu = std::make_unique<TPopupMenu>("tray");
  QAction* show = menu->addAction("show");
  menu->addSeparator();
  menu->addAction("exit");
  QObject::connect(show, &QAction::triggered, [&log] { log.push_back("item show"); });
  menu->AutoPopup = setup != MenuSetup::kAutoPopupOff;
  if (setup == MenuSetup::kEnabledDefault || setup == MenuSetup::kDisabledDefault) menu->setDefaultAction(show);
  show->setEnabled(setup != MenuSetup::kDisabledDefault);
  return menu;
}

struct EventOrderCase {
  const char* name;
  MenuSetup menu;
  bool active;
  std::vector<int> messages;
  std::vector<std::string> events;
};

const EventOrderCase kEventOrderCases[] = {
    {"left click", MenuSetup::kAutoPopup, true,
     {kLeftButtonDown, kLeftButtonUp},
     {"down left [Left]", "click left [Left]", "up left [Left]"}},
    {"left double click without a default item", MenuSetup::kAutoPopup, true,
     {kLeftButtonDown, kLeftButtonUp, kLeftButtonDblClk, kLeftButtonUp},
     {"down left [Left]", "click left [Left]", "up left [Left]", "dblclick", "down left [Double]",
      "up left [Left]"}},
    {"left double click runs the enabled default item", MenuSetup::kEnabledDefault, true,
     {kLeftButtonDown, kLeftButtonUp, kLeftButtonDblClk, kLeftButtonUp},
     {"down left [Left]", "click left [Left]", "up left [Left]", "item show", "down left [Double]",
      "up left [Left]"}},
    {"a disabled default item leaves the double click to OnDblClick", MenuSetup::kDisabledDefault, true,
     {kLeftButtonDblClk},
     {"dblclick", "down left [Double]"}},
    {"an inactive icon runs no default item", MenuSetup::kEnabledDefault, false,
     {kLeftButtonDblClk},
     {"dblclick", "down left [Double]"}},
    {"right click shows the menu at the pointer", MenuSetup::kAutoPopup, true,
     {kRightButtonDown, kRightButtonUp},
     {"down right [Right]", "cancel mode", "menu tray at 640,1010", "up right [Right]"}},
    {"right click with the menu's auto popup off", MenuSetup::kAutoPopupOff, true,
     {kRightButtonDown, kRightButtonUp},
     {"down right [Right]", "click right [Right]", "up right [Right]"}},
    {"right click without a menu", MenuSetup::kNone, true,
     {kRightButtonDown, kRightButtonUp},
     {"down right [Right]", "click right [Right]", "up right [Right]"}},
    {"right click on an inactive icon", MenuSetup::kAutoPopup, false,
     {kRightButtonDown, kRightButtonUp},
     {"down right [Right]", "click right [Right]", "up right [Right]"}},
    {"right release after a press elsewhere", MenuSetup::kAutoPopup, true,
     {kRightButtonUp},
     {"up right [Right]"}},
    {"left release after a press elsewhere", MenuSetup::kNone, true,
     {kLeftButtonUp},
     {"up left [Left]"}},
    {"right double click", MenuSetup::kAutoPopup, true,
     {kRightButtonDblClk},
     {"down right [Double]"}},
    {"middle button never clicks", MenuSetup::kNone, true,
     {kMiddleButtonDown, kMiddleButtonUp, kMiddleButtonDblClk},
     {"down middle [Middle]", "up middle [Middle]", "down middle [Double]"}},
    {"move", MenuSetup::kNone, true,
     {kMouseMove},
     {"move [] 640,1010"}},
    {"other messages are ignored", MenuSetup::kAutoPopup, true,
     {0, 511, 522, 0xB040},
     {}},
};

TEST_F(NewTrayIconTest, MouseMessagesBecomeEventsInOrder) {
  for (const EventOrderCase& row : kEventOrderCases) {
    SCOPED_TRACE(row.name);
    desktop_.log.clear();
    auto menu = MakeMenu(row.menu, desktop_.log);
    auto icon = MakeShownIcon();
    icon->SetPopupMenu(menu.get());
    icon->SetActive(row.active);
    Send(row.messages);
    EXPECT_EQ(desktop_.log, row.events);
  }
}

TEST_F(NewTrayIconTest, HeldKeysJoinTheButtonInTheShiftState) {
  auto icon = MakeShownIcon();
  desktop_.keys = ssShift | ssCtrl;
  Send({kLeftButtonDown, kLeftButtonUp});
  EXPECT_THAT(desktop_.log, ElementsAre("down left [Shift Ctrl Left]", "click left [Shift Ctrl Left]",
                                        "up left [Shift Ctrl Left]"));
}

TEST_F(NewTrayIconTest, MenuMarksTheIconAsItsPopupComponent) {
  auto icon = MakeShownIcon();
  TPopupMenu menu("tray");
  icon->SetPopupMenu(&menu);
  EXPECT_TRUE(icon->PopupAtCursor(3, 4));
  EXPECT_EQ(menu.PopupComponent, icon.get());
  EXPECT_THAT(desktop_.log, ElementsAre("cancel mode", "menu tray at 3,4"));
}

TEST_F(NewTrayIconTest, DestroyedMenuIsForgottenAndRightClickBecomesAClick) {
  auto icon = MakeShownIcon();
  auto menu = std::make_unique<TPopupMenu>("tray");
  icon->SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(icon->PopupMenu(), nullptr);
  Send({kRightButtonDown, kRightButtonUp});
  EXPECT_THAT(desktop_.log, ElementsAre("down right [Right]", "click right [Right]", "up right [Right]"));
}

TEST_F(NewTrayIconTest, ErrorOfAHandlerGoesToTheErrorDisplayAndEndsThatMessageOnly) {
  auto icon = MakeShownIcon();
  std::vector<std::string> shown;
  icon->ErrorDisplay = [&shown](const std::exception& error) { shown.push_back(error.what()); };
  icon->OnClick = [](TNewTrayIcon&, TMouseButton, TShiftState, int, int) {
    throw std::runtime_error("handler failed");
  };
  Send({kLeftButtonDown, kLeftButtonUp, kRightButtonDown});
  EXPECT_THAT(shown, ElementsAre("handler failed"));
  EXPECT_THAT(desktop_.log, ElementsAre("down left [Left]", "down right [Right]"));
}

struct TipCase {
  const char* name;
  QString hint;
  QString shown;
};

TEST(ShortHint, ShowsTheTextBeforeTheFirstBarAndAtMost63Characters) {
  const QString hundred(100, u'x');
  const QString emoji = QString::fromUtf8("\xF0\x9F\x93\xA7");
  const TipCase cases[] = {
      {"short text stays whole", "Tessaro (POP3) - 3", "Tessaro (POP3) - 3"},
      {"100 characters show their first 63", hundred, hundred.left(63)},
      {"63 characters stay whole", QString(63, u'y'), QString(63, u'y')},
      {"text before the bar", "short|long hint", "short"},
      {"only the first bar counts", "a|b|c", "a"},
      {"bar first leaves nothing", "|long", ""},
      {"the cut applies to the part before the bar", QString(70, u'z') + "|tail", QString(63, u'z')},
      {"Russian text keeps its characters", QString::fromUtf8("Чтение письма: 12"),
       QString::fromUtf8("Чтение письма: 12")},
      {"no half of a surrogate pair", QString(62, u'a') + emoji, QString(62, u'a')},
  };
  for (const TipCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ShortHint(row.hint), row.shown);
  }
}

TEST_F(NewTrayIconTest, NothingIsAddedBeforeLoading) {
  auto icon = MakeIcon();
  icon->SetIcon(SolidIcon(Qt::blue));
  icon->SetHint("tip");
  icon->SetActive(false);
  icon->SetActive(true);
  EXPECT_THAT(desktop_.requests, IsEmpty());
  icon->Loaded();
  EXPECT_THAT(desktop_.requests, ElementsAre("delete", "add tip"));
  EXPECT_TRUE(icon->IconShown());
}

TEST_F(NewTrayIconTest, TipCarriesTheShortHint) {
  auto icon = MakeShownIcon();
  icon->SetHint(QString::fromUtf8("Чтение письма: 1|подробности"));
  icon->SetHint(QString(100, u'q'));
  EXPECT_THAT(desktop_.requests,
              ElementsAre("modify " + std::string("Чтение письма: 1"), "modify " + std::string(63, 'q')));
}

TEST_F(NewTrayIconTest, EqualHintSendsNothing) {
  auto icon = MakeShownIcon();
  icon->SetHint("Tessaro (POP3) - 0");
  EXPECT_THAT(desktop_.requests, IsEmpty());
  icon->SetHint("Tessaro (POP3) - 1");
  icon->SetHint("Tessaro (POP3) - 1");
  EXPECT_THAT(desktop_.requests, ElementsAre("modify Tessaro (POP3) - 1"));
}

TEST_F(NewTrayIconTest, RefusedAddIsRetriedAtTheNextTipOrImageChange) {
  desktop_.acceptAdd = false;
  auto icon = MakeIcon();
  icon->SetIcon(SolidIcon(Qt::blue));
  icon->SetHint("a");
  icon->Loaded();
  EXPECT_FALSE(icon->IconShown());
  icon->SetHint("b");
  EXPECT_FALSE(icon->IconShown());
  desktop_.acceptAdd = true;
  icon->SetIcon(SolidIcon(Qt::red));
  EXPECT_TRUE(icon->IconShown());
  icon->SetHint("c");
  EXPECT_THAT(desktop_.requests,
              ElementsAre("delete", "add a", "delete", "add b", "delete", "add b", "modify c"));
}

TEST_F(NewTrayIconTest, RefusedAddOfAnInactiveIconIsNotRetried) {
  desktop_.acceptAdd = false;
  auto icon = MakeIcon();
  icon->SetIcon(SolidIcon(Qt::blue));
  icon->Loaded();
  icon->SetActive(false);
  desktop_.requests.clear();
  icon->SetHint("b");
  EXPECT_THAT(desktop_.requests, IsEmpty());
}

TEST_F(NewTrayIconTest, EmptyImageRemovesTheIconAndIsNeverAdded) {
  auto icon = MakeShownIcon();
  icon->SetIcon(QIcon());
  EXPECT_FALSE(icon->IconShown());
  icon->SetHint("b");
  EXPECT_FALSE(icon->IconShown());
  EXPECT_THAT(desktop_.requests, ElementsAre("delete", "delete"));
}

TEST_F(NewTrayIconTest, ActiveAddsAndRemovesTheIcon) {
  auto icon = MakeShownIcon();
  icon->SetActive(false);
  EXPECT_FALSE(icon->IconShown());
  icon->SetActive(false);
  icon->SetActive(true);
  EXPECT_TRUE(icon->IconShown());
  EXPECT_THAT(desktop_.requests, ElementsAre("delete", "delete", "add Tessaro (POP3) - 0"));
}

TEST_F(NewTrayIconTest, RemovingTheIconForgetsAPressOnIt) {
  auto icon = MakeShownIcon();
  Send({kLeftButtonDown});
  icon->HideIcon();
  icon->ShowIcon();
  Send({kLeftButtonUp});
  EXPECT_THAT(desktop_.log, ElementsAre("down left [Left]", "up left [Left]"));
}

TEST_F(NewTrayIconTest, DestructionRemovesTheIcon) {
  auto icon = MakeShownIcon();
  icon.reset();
  EXPECT_THAT(desktop_.requests, ElementsAre("delete"));
}

// The offscreen platform has no notification area.
TEST_F(NewTrayIconTest, QtTrayWithoutNotificationAreaRefusesTheAdd) {
  TNewTrayIcon icon;
  icon.SetIcon(SolidIcon(Qt::blue));
  icon.Loaded();
  EXPECT_FALSE(icon.IconShown());
  icon.SetHint("retry");
  EXPECT_FALSE(icon.IconShown());
}

struct ActivationCase {
  const char* name;
  QSystemTrayIcon::ActivationReason reason;
  TrayProtocol protocol;
  std::vector<int> messages;
};

TEST(TrayMessagesForActivation, QtActivationsBecomePressAndRelease) {
  const ActivationCase cases[] = {
      {"click", QSystemTrayIcon::Trigger, TrayProtocol::kXEmbed, {kLeftButtonDown, kLeftButtonUp}},
      {"double click", QSystemTrayIcon::DoubleClick, TrayProtocol::kXEmbed, {kLeftButtonDblClk, kLeftButtonUp}},
      {"context request", QSystemTrayIcon::Context, TrayProtocol::kXEmbed, {kRightButtonDown, kRightButtonUp}},
      {"middle click", QSystemTrayIcon::MiddleClick, TrayProtocol::kXEmbed, {kMiddleButtonDown, kMiddleButtonUp}},
      {"unknown", QSystemTrayIcon::Unknown, TrayProtocol::kXEmbed, {}},
      {"D-Bus activation",
       QSystemTrayIcon::Trigger,
       TrayProtocol::kStatusNotifier,
       {kLeftButtonDown, kLeftButtonUp, kLeftButtonDblClk, kLeftButtonUp}},
      {"D-Bus context request",
       QSystemTrayIcon::Context,
       TrayProtocol::kStatusNotifier,
       {kRightButtonDown, kRightButtonUp}},
      {"D-Bus secondary activation",
       QSystemTrayIcon::MiddleClick,
       TrayProtocol::kStatusNotifier,
       {kMiddleButtonDown, kMiddleButtonUp}},
  };
  for (const ActivationCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TrayMessagesForActivation(row.reason, row.protocol), row.messages);
  }
}

TEST_F(NewTrayIconTest, QtClickThenDoubleClickGiveOneClickAndOneDoubleClick) {
  auto icon = MakeShownIcon();
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick})
    Send(TrayMessagesForActivation(reason, TrayProtocol::kXEmbed));
  EXPECT_THAT(desktop_.log, ElementsAre("down left [Left]", "click left [Left]", "up left [Left]", "dblclick",
                                        "down left [Double]", "up left [Left]"));
}

TEST_F(NewTrayIconTest, DBusActivationRunsTheDefaultItemOnce) {
  auto icon = MakeShownIcon();
  auto menu = MakeMenu(MenuSetup::kEnabledDefault, desktop_.log);
  icon->SetPopupMenu(menu.get());
  Send(TrayMessagesForActivation(QSystemTrayIcon::Trigger, TrayProtocol::kStatusNotifier));
  EXPECT_THAT(desktop_.log, ElementsAre("down left [Left]", "click left [Left]", "up left [Left]", "item show",
                                        "down left [Double]", "up left [Left]"));
}

struct OfferCase {
  const char* name;
  MenuSetup menu;
  bool offered;
};

TEST_F(NewTrayIconTest, TheMenuIsOfferedWhenARightClickWouldOpenIt) {
  const OfferCase cases[] = {
      {"no menu", MenuSetup::kNone, false},
      {"auto popup", MenuSetup::kAutoPopup, true},
      {"auto popup off", MenuSetup::kAutoPopupOff, false},
  };
  for (const OfferCase& row : cases) {
    SCOPED_TRACE(row.name);
    auto icon = MakeShownIcon();
    auto menu = MakeMenu(row.menu, desktop_.log);
    icon->SetPopupMenu(menu.get());
    EXPECT_EQ(desktop_.offeredMenu, row.offered ? menu.get() : nullptr);
    if (row.offered) {
      EXPECT_EQ(menu->PopupComponent, icon.get());
    }
  }
}

TEST_F(NewTrayIconTest, ShowingTheIconOffersTheMenuAgain) {
  auto icon = MakeIcon();
  auto menu = MakeMenu(MenuSetup::kAutoPopup, desktop_.log);
  icon->SetPopupMenu(menu.get());
  menu->AutoPopup = false;
  icon->SetIcon(SolidIcon(Qt::blue));
  icon->Loaded();
  EXPECT_EQ(desktop_.offeredMenu, nullptr);
  menu->AutoPopup = true;
  icon->ShowIcon();
  EXPECT_EQ(desktop_.offeredMenu, menu.get());
}

struct HostMenuCase {
  const char* name;
  TrayProtocol protocol;
  bool desktopShowsMenu;
};

// An XEmbed tray must leave the right click to the component, or Qt would
// open the menu a second time by itself.
TEST(QtTrayIconHost, OnlyADBusTrayGetsTheMenu) {
  const HostMenuCase cases[] = {
      {"XEmbed", TrayProtocol::kXEmbed, false},
      {"StatusNotifierItem", TrayProtocol::kStatusNotifier, true},
  };
  for (const HostMenuCase& row : cases) {
    SCOPED_TRACE(row.name);
    TPopupMenu menu;
    QtTrayIconHost host(row.protocol);
    host.OfferMenu(&menu);
    EXPECT_EQ(host.Protocol(), row.protocol);
    EXPECT_EQ(host.DesktopMenu(), row.desktopShowsMenu ? &menu : nullptr);
  }
}

}  // namespace
}  // namespace desktop
