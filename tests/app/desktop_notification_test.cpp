// New mail in the desktop's own notification, against python3-dbusmock's
// notification daemon on a private session bus (private_bus.sh).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "desktop/qor_status_bar.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/dbus_mock.h"
#include "tests/support/serve_events.h"

namespace {

using namespace testsupport;

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

std::string Status(app::TMainForm& form) { return form.QorStatusBar1()->SimpleText().toStdString(); }

class DesktopNotificationTest : public MainFormTest {
 protected:
  DesktopNotificationTest() {
    Settings.ShowNotify = true;
    Settings.ShowDialog = false;
    Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  }

  // A first pass with one new message, a second with one more.
  FakePop3Server TwoPasses() {
    return FakePop3Server(std::vector<std::vector<Step>>{PassScript({messages_[0]}, "+OK 0\r\n"),
                                                         PassScript(messages_, "+OK 1\r\n")});
  }

  const std::vector<std::string> messages_ = {Message("anna@example.org", "m1", "One."),
                                              Message("anna@example.org", "m2", "Two.")};
};

TEST_F(DesktopNotificationTest, EachPassReplacesTheNotificationAndTheWindowClosesIt) {
  DbusMock daemon(QStringLiteral("notification_daemon"), kInterface, DbusMock::Bus::kSession);
  ASSERT_TRUE(daemon.Registered());
  FakePop3Server server = TwoPasses();
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_TRUE(ServeEventsUntil([&] { return form.DesktopNotification().Shown(); }));

  std::vector<QVariantList> posted = daemon.Calls(kPath, QStringLiteral("Notify"));
  ASSERT_EQ(posted.size(), 1u);
  const QVariantList& first = posted[0];
  ASSERT_EQ(first.size(), 8);
  EXPECT_EQ(first[0].toString(), QStringLiteral("Tessaro"));
  EXPECT_EQ(first[1].toUInt(), 0u);
  EXPECT_EQ(first[2].toString(), QStringLiteral("tessaro"));
  EXPECT_EQ(first[3].toString(), QStringLiteral("Tessaro (POP3)"));
  EXPECT_EQ(first[4].toString(), QStringLiteral("Получено новых писем: 1\nВсего писем в почтовом ящике: 1"));
  EXPECT_EQ(first[5].toStringList(), (QStringList{QStringLiteral("default"), QStringLiteral("Показать"),
                                                  QStringLiteral("show"), QStringLiteral("Показать")}));

  form.Timer1Timer();
  ASSERT_TRUE(ServeEventsUntil([&] { return daemon.Calls(kPath, QStringLiteral("Notify")).size() == 2; }));
  posted = daemon.Calls(kPath, QStringLiteral("Notify"));
  EXPECT_EQ(posted[1][1].toUInt(), 1u) << "the daemon's first id is replaced";
  EXPECT_EQ(posted[1][4].toString(), QStringLiteral("Получено новых писем: 1\nВсего писем в почтовом ящике: 2"));

  form.NShowClick();
  EXPECT_FALSE(form.DesktopNotification().Shown());
  ASSERT_TRUE(
      ServeEventsUntil([&] { return daemon.Calls(kPath, QStringLiteral("CloseNotification")).size() == 1; }));
  EXPECT_EQ(daemon.Calls(kPath, QStringLiteral("CloseNotification"))[0].value(0).toUInt(), 1u);
  EXPECT_THAT(server.Finish(), ::testing::IsEmpty());
}

// "Показать" brings the window up with the token the daemon sent for it; another program's notification does not.
TEST_F(DesktopNotificationTest, ItsShowActionShowsTheWindow) {
  DbusMock daemon(QStringLiteral("notification_daemon"), kInterface, DbusMock::Bus::kSession);
  ASSERT_TRUE(daemon.Registered());
  FakePop3Server server(PassScript({messages_[0]}, "+OK 0\r\n"));
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_TRUE(ServeEventsUntil([&] { return form.DesktopNotification().Shown(); }));
  ASSERT_FALSE(form.isVisible());
  const auto send = [&](const QString& name, const QVariantList& arguments) {
    return daemon.Call(kPath, QStringLiteral("EmitSignal"), {kInterface, name, QStringLiteral("us"), arguments});
  };

  ASSERT_TRUE(send(QStringLiteral("ActionInvoked"), {7u, QStringLiteral("show")}));
  ServeEventsUntil([] { return false; }, 200);
  EXPECT_FALSE(form.isVisible());

  ASSERT_TRUE(send(QStringLiteral("ActivationToken"), {1u, QStringLiteral("token-1")}));
  ASSERT_TRUE(send(QStringLiteral("ActionInvoked"), {1u, QStringLiteral("show")}));
  EXPECT_TRUE(ServeEventsUntil([&] { return form.isVisible(); }));
  EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArrayLiteral("token-1"));
  qunsetenv("XDG_ACTIVATION_TOKEN");
}

TEST_F(DesktopNotificationTest, WithoutAServiceTheStatusLineSaysSoOnce) {
  FakePop3Server server = TwoPasses();
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_EQ(Status(form), "Прочитано писем: 1. Нет службы системных уведомлений");
  form.Timer1Timer();
  EXPECT_EQ(Status(form), "Прочитано писем: 2");
  EXPECT_THAT(server.Finish(), ::testing::IsEmpty());
}

}  // namespace
