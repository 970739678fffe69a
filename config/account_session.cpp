#include "config/account_session.h"

#include <string>

namespace config {

void CopyAccount(const TServer& account, mail::TKelPOP& session) {
  session.Host = account.Host;
  session.Port = std::to_string(account.Port);
  session.Security = account.Security;
  session.CertSha256 = account.CertSha256;
  session.UserId = account.UserId;
  session.Passwd = account.Passwd;
  session.Method = account.Login;
  session.PasswordCommand = account.PasswordCommand;
}

}  // namespace config
