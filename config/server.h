// One mailbox account, and the main window's ordered list of them. The list
// holds the accounts as values: it owns them, and clearing or destroying it
// frees them. Order matters: it is the order of checking, of numbering in the
// settings and of the configuration dialog's list.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mail/login_method.h"
#include "platform/tcp_client.h"

namespace config {

struct TServer {
  TServer() = default;  // a new account: empty texts, checked
  TServer(std::string host, std::string userId, std::string passwd, bool checked)
      : Host(std::move(host)), UserId(std::move(userId)), Passwd(std::move(passwd)), Checked(checked) {}

  bool operator==(const TServer&) const = default;

  std::string Host;     // POP3 server name or dotted address
  std::string UserId;   // mailbox user name
  std::string Passwd;   // in plain text in memory; scrambled only when stored
  bool Checked = true;  // takes part in mail checks
  platform::Security Security = platform::Security::None;
  int Port = 110;          // 995 is the usual port for Security::Tls
  std::string CertSha256;  // a certificate the user chose to trust, 64 hex digits; empty: none
  mail::LoginMethod Login = mail::LoginMethod::kUserPass;
  // A shell command whose first printed line is the password or token at each login; empty: Passwd.
  std::string PasswordCommand;
  // The key under which the desktop's keyring holds Passwd (keyring_passwords.h);
  // empty: the password is stored in the settings file.
  std::string PasswdKeyringKey;
  // The keyring holds the password but could not give it yet (locked, or no
  // keyring service yet); Passwd is empty until it does. Never stored.
  bool PasswdUnread = false;
  // The main window's identity for the account while the program runs, kept
  // through edits; never stored. 0: not given one yet.
  std::uint64_t Id = 0;
};

using TAccountList = std::vector<TServer>;

}  // namespace config
