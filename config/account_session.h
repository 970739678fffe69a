// The one place an account's fields go into the POP3 session that reaches it.
#pragma once

#include "config/server.h"
#include "mail/pop3_session.h"

namespace config {

// Host, port, security, trusted certificate, user name and password.
void CopyAccount(const TServer& account, mail::TKelPOP& session);

}  // namespace config
