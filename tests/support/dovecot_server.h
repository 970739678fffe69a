// A real Dovecot POP3 server for the tests: its own configuration, maildirs
// and password file under a temporary folder, listening on 127.0.0.1 and a
// free port, stopped (and the folder removed) when the object goes. With TLS
// it also offers STLS there and listens for POP3S on a second free port.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct MailboxUser {
  std::string name;
  std::string password;
  std::vector<std::string> messages;  // raw messages with CR LF line ends, in mailbox order
};

struct DovecotTls {
  std::string certFile;  // PEM files the server presents
  std::string keyFile;
};

class DovecotServer {
 public:
  // With `oauth2Introspection` (an http:// URL), XOAUTH2 and OAUTHBEARER are
  // offered too and their tokens checked by a POST to it (RFC 7662).
  explicit DovecotServer(std::vector<MailboxUser> users, std::optional<DovecotTls> tls = std::nullopt,
                         std::optional<std::string> oauth2Introspection = std::nullopt);
  DovecotServer(const DovecotServer&) = delete;
  DovecotServer& operator=(const DovecotServer&) = delete;
  ~DovecotServer();

  int Port() const { return port_; }
  // The POP3S port; 0 without TLS.
  int SecurePort() const { return securePort_; }
  // How many messages the user's maildir holds now.
  std::size_t MessagesStored(const std::string& user) const;
  // What the server has logged so far.
  std::string Log() const;
  // Whether `text` is in the log within ten seconds: Dovecot's processes
  // write it on their own time, perhaps after the client has finished.
  bool Logged(const std::string& text) const;
  // A message arriving while the server runs, as a delivery agent would put it in.
  void Deliver(const std::string& user, const std::string& message);

 private:
  void ChoosePorts(bool secure);
  void WriteConfiguration(const std::vector<MailboxUser>& users, const std::optional<DovecotTls>& tls,
                          const std::optional<std::string>& oauth2Introspection);
  void WriteMaildir(const MailboxUser& user);
  void Start();
  void WaitUntilListening();

  std::string root_;
  int port_ = 0;
  int securePort_ = 0;
  uid_t mailUid_ = 0;
  gid_t mailGid_ = 0;
  pid_t pid_ = -1;
};

}  // namespace testsupport
