// Records a session's events as readable lines, in the order they fired, so a
// test can compare the whole sequence: an event nobody expected fails it.
#pragma once

#include <string>
#include <vector>

#include "mail/pop3_session.h"

namespace testsupport {

struct SessionEvents {
  std::vector<std::string> lines;

  explicit SessionEvents(mail::TKelPOP& session) {
    session.OnConnect = [this](platform::TcpClient&) { lines.push_back("connect"); };
    session.OnQuit = [this](platform::TcpClient&) { lines.push_back("quit"); };
    session.OnError = [this](mail::TKelPOP&, int code, const std::string& msg) {
      lines.push_back("error " + std::to_string(code) + " " + msg);
    };
    session.OnDelete = [this](mail::TKelPOP&, std::uint32_t id) { lines.push_back("delete " + std::to_string(id)); };
  }
};

}  // namespace testsupport
