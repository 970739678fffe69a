// Tries one account against its server: connect, log in, quit. The report
// tells how far it came, in Windows-1251:
//   "Подключение к серверу (host): Ошибка!"                       no connection
//   "Подключение к серверу (host): Ok!\rВход под имемем (user): Ошибка!"   login refused
//   "Подключение к серверу (host): Ok!\rВход под имемем (user): Ok!"       login accepted
// Its one line break is a lone CR.
#pragma once

#include <string>

#include "config/server.h"
#include "mail/pop3_session.h"

namespace config {

// Sets the session's Host, UserId and Passwd from `account` and leaves its
// port alone. Whatever Connect raises counts as no connection. What Login
// raises goes on to the caller, after the session has quit.
std::string TestConnection(mail::TKelPOP& session, TServer account);

}  // namespace config
