#include "platform/posix_tcp_client.h"

#include <gtest/gtest.h>

#include "platform/cp1251.h"
#include "tests/support/fake_pop3_server.h"

namespace {

using namespace testsupport;
using text::operator""_cp1251;

TEST(PosixTcpClient, OpensByNameAndByAddressAndNotifies) {
  for (const bool byAddress : {true, false}) {
    FakePop3Server server({Server("+OK hello\r\n"), Client("QUIT\r\n")});
    platform::PosixTcpClient client;
    int connects = 0;
    int closes = 0;
    client.OnConnect = [&] { ++connects; };
    client.OnClose = [&] { ++closes; };
    client.Open(byAddress ? "127.0.0.1" : "", byAddress ? "" : "localhost", server.Port());
    EXPECT_EQ(connects, 1);
    ASSERT_TRUE(client.WaitReadable(2000));
    char buffer[64];
    const std::size_t got = client.Read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, got), "+OK hello\r\n");
    client.Write("QUIT\r\n");
    client.Close();
    client.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(server.Finish().empty());
  }
}

TEST(PosixTcpClient, FailuresToOpenAreConnectErrors) {
  const int closedPort = [] {
    FakePop3Server server({});
    return server.Port();
  }();
  struct Case {
    const char* name;
    std::string address, host;
    int port;
  } cases[] = {
      {"refused", "127.0.0.1", "", closedPort},
      {"no host", "", "", 110},
      {"unknown name", "", "no-such-host.invalid", 110},
      {"port out of range", "127.0.0.1", "", 70000},
  };
  for (const auto& c : cases) {
    platform::PosixTcpClient client;
    bool notified = false;
    client.OnConnect = [&] { notified = true; };
    EXPECT_THROW(client.Open(c.address, c.host, c.port), platform::ConnectError) << c.name;
    EXPECT_FALSE(notified) << c.name;
  }
}

TEST(PosixTcpClient, ReadAfterThePeerClosedAnswersZero) {
  FakePop3Server server({Drop()});
  platform::PosixTcpClient client;
  client.Open("127.0.0.1", "", server.Port());
  ASSERT_TRUE(client.WaitReadable(2000));
  char buffer[16];
  EXPECT_EQ(client.Read(buffer, sizeof buffer), 0u);
}

TEST(PosixTcpClient, RejectedWriteRaisesWithSystemText) {
  FakePop3Server server({Drop()});
  platform::PosixTcpClient client;
  client.Open("127.0.0.1", "", server.Port());
  ASSERT_TRUE(client.WaitReadable(2000));
  // The first write after the peer closed may still be accepted locally; a later one is refused.
  try {
    for (int i = 0; i < 50; ++i) {
      client.Write("NOOP\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "writes to a closed peer kept succeeding";
  } catch (const platform::SocketError& error) {
    const std::string expected = std::string("Write ошибка "_cp1251) + std::to_string(error.ErrorNumber()) + ", ";
    EXPECT_EQ(std::string(error.what()).substr(0, expected.size()), expected);
    EXPECT_TRUE(error.ErrorNumber() == EPIPE || error.ErrorNumber() == ECONNRESET) << error.ErrorNumber();
  }
}

TEST(PosixTcpClient, SocketErrorTextNamesOperationNumberAndSystemText) {
  const platform::SocketError error("Read", ECONNRESET);
  EXPECT_EQ(std::string(error.what()), std::string("Read ошибка "_cp1251) + std::to_string(ECONNRESET) + ", Connection reset by peer");
}

}  // namespace
