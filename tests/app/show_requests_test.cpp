#include "app/lifecycle/show_requests.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include "tests/support/qt_environment.h"
#include "tests/support/serve_events.h"

namespace {

using testsupport::ServeEventsUntil;

class ShowRequestsTest : public ::testing::Test {
 protected:
  QTemporaryDir folder_;
  const QString path_ = folder_.filePath(QStringLiteral("tessaro.show"));
};

TEST_F(ShowRequestsTest, EachRequestReachesTheListenerOnce) {
  app::ShowRequestListener listener(path_);
  ASSERT_TRUE(listener.Listening()) << listener.ErrorText().toStdString();
  int requests = 0;
  listener.OnShowRequest = [&requests] { ++requests; };

  EXPECT_TRUE(app::RequestShow(path_));
  EXPECT_TRUE(ServeEventsUntil([&] { return requests > 0; }));
  EXPECT_TRUE(app::RequestShow(path_));
  EXPECT_TRUE(ServeEventsUntil([&] { return requests > 1; }));
  EXPECT_EQ(requests, 2);
}

TEST_F(ShowRequestsTest, NobodyListeningIsNoAnswer) { EXPECT_FALSE(app::RequestShow(path_)); }

// What a copy that died leaves behind does not keep the next one from listening.
TEST_F(ShowRequestsTest, ALeftOverSocketFileIsReplaced) {
  { app::ShowRequestListener died(path_); }
  QFile leftOver(path_);
  ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
  leftOver.close();

  app::ShowRequestListener listener(path_);
  EXPECT_TRUE(listener.Listening()) << listener.ErrorText().toStdString();
}

TEST_F(ShowRequestsTest, AnythingElseIsDroppedWithTheConnection) {
  app::ShowRequestListener listener(path_);
  bool asked = false;
  listener.OnShowRequest = [&asked] { asked = true; };
  QLocalSocket socket;
  socket.connectToServer(path_);
  ASSERT_TRUE(socket.waitForConnected(10'000));
  socket.write("delete everything\n");
  ASSERT_TRUE(socket.waitForBytesWritten(10'000));

  EXPECT_TRUE(ServeEventsUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }));
  EXPECT_FALSE(asked);
}

}  // namespace
