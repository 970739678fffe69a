// A real Dovecot POP3 server for the tests: its own configuration, maildirs
// and password file under a temporary folder, listening on 127.0.0.1 and a
// free port, stopped (and the folder removed) when the object goes.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct MailboxUser {
  std::string name;
  std::string password;
  std::vector<std::string> messages;  // raw messages with CR LF line ends, in mailbox order
};

class DovecotServer {
 public:
  explicit DovecotServer(std::vector<MailboxUser> users);
  DovecotServer(const DovecotServer&) = delete;
  DovecotServer& operator=(const DovecotServer&) = delete;
  ~DovecotServer();

  int Port() const { return port_; }
  // How many messages the user's maildir holds now.
  std::size_t MessagesStored(const std::string& user) const;

 private:
  void WriteConfiguration(const std::vector<MailboxUser>& users);
  void WriteMaildir(const MailboxUser& user);
  void Start();
  void WaitUntilListening();
  std::string Log() const;

  std::string root_;
  int port_ = 0;
  uid_t mailUid_ = 0;
  gid_t mailGid_ = 0;
  pid_t pid_ = -1;
};

}  // namespace testsupport
