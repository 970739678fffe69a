// A session for bob (password "secret") at a scripted server on 127.0.0.1,
// and the script of the greeting and login that server plays first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mail/pop3_session.h"
#include "platform/posix_tcp_client.h"
#include "tests/support/fake_pop3_server.h"

namespace testsupport {

inline std::unique_ptr<mail::TKelPOP> MakeSession(int port, platform::EventPump pump = {}) {
  auto session = std::make_unique<mail::TKelPOP>(std::make_unique<platform::PosixTcpClient>(), std::move(pump));
  session->Host = "127.0.0.1";
  session->Port = std::to_string(port);
  session->UserId = "bob";
  session->Passwd = "secret";
  return session;
}

inline std::vector<Step> LoggedIn(std::vector<Step> rest) {
  std::vector<Step> script = {Server("+OK POP3 ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                              Client("PASS secret\r\n"), Server("+OK Logged in.\r\n")};
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

}  // namespace testsupport
