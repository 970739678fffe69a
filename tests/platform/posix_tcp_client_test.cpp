#include "platform/posix_tcp_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/cp1251.h"
#include "tests/support/closed_port.h"
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
  const ClosedPort closed;
  struct Case {
    const char* name;
    std::string address, host;
    int port;
  } cases[] = {
      {"refused", "127.0.0.1", "", closed.Port()},
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

// The client reads 64 KiB blocks; whatever the sizes asked for, the bytes come
// out whole and in order, never more than asked, across block boundaries.
TEST(PosixTcpClient, BufferedReadsHandOutTheStreamInTheSizesAskedFor) {
  std::string stream;
  for (int line = 0; stream.size() < 200000; ++line) stream += "line " + std::to_string(line) + "\r\n";
  for (const std::size_t asked : {std::size_t{1024}, std::size_t{1}, std::size_t{65536 + 7}}) {
    FakePop3Server server({ServerChunks({stream.substr(0, 70000), stream.substr(70000)}, milliseconds(20))});
    platform::PosixTcpClient client;
    client.Open("127.0.0.1", "", server.Port());
    std::string received;
    std::vector<char> buffer(asked);
    std::size_t largest = 0;
    while (received.size() < stream.size() && client.WaitReadable(2000)) {
      const std::size_t got = client.Read(buffer.data(), asked);
      if (got == 0) break;
      largest = std::max(largest, got);
      received.append(buffer.data(), got);
    }
    EXPECT_TRUE(received == stream) << "asked " << asked << ", received " << received.size();
    EXPECT_LE(largest, asked);
    EXPECT_TRUE(server.Finish().empty());
  }
}

TEST(PosixTcpClient, StartTlsWithoutAConnectionIsATlsError) {
  platform::PosixTcpClient client;
  EXPECT_THROW(client.StartTls("localhost", {}), platform::TlsError);
}

// What a server sent before the handshake is not handed out after it, even
// when the handshake fails.
TEST(PosixTcpClient, StartTlsDropsWhatWasReadBeforeIt) {
  FakePop3Server server({Server("+OK go ahead\r\n+OK injected\r\n"), Silence(milliseconds(200)), Drop()});
  platform::PosixTcpClient client;
  client.Open("127.0.0.1", "", server.Port());
  ASSERT_TRUE(client.WaitReadable(2000));
  char buffer[13];
  ASSERT_EQ(client.Read(buffer, sizeof buffer), sizeof buffer);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "+OK go ahead\r");
  try {
    client.StartTls("localhost", {});
    FAIL() << "a server that does not speak TLS passed the handshake";
  } catch (const platform::TlsError& error) {
    EXPECT_THAT(error.what(), ::testing::StartsWith(std::string("Ошибка TLS: "_cp1251)));
    EXPECT_EQ(error.Fingerprint(), "");
    EXPECT_FALSE(error.Untrusted());
  }
  // The server has gone by now; its reset may still be reported once.
  bool handedOut = false;
  try {
    handedOut = client.WaitReadable(0) && client.Read(buffer, sizeof buffer) > 0;
  } catch (const platform::SocketError&) {
  }
  EXPECT_FALSE(handedOut);
}

}  // namespace
