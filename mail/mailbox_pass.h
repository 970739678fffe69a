// MailboxPass: one account checked from connect to QUIT over a session whose
// Host, Port, Security, CertSha256, UserId and Passwd are already set.
//
//   Connect, Login            Connecting, ConnectFailed / LoggingIn, LoginFailed, LoggedIn
//   CountNew (STAT, LAST)     new mail from LAST; where LAST is refused, the
//   UIDL                      unique ids not seen by the last complete pass
//                                                      -> Counted
//   CAPA                      pipelining, LOGIN-DELAY   -> LoginDelayLearned
//   for every message         kept ones (Keeps) are taken back (Kept); the
//     LIST, RETR, TOP n 0     rest are fetched, sent ahead where the server
//                             allows it                 -> Fetched / Unreadable
//                                                      -> DownloadsEnded
//   the ids now seen recorded, when they told new mail
//   QUIT
//
// A step the session fails ends the pass there (the session has closed and
// its Failure says why); QUIT goes out on every way out while connected.
// What the session or the socket layer raises goes on to the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "mail/new_mail_count.h"
#include "mail/pass_observer.h"
#include "mail/pop3_session.h"
#include "platform/seen_ids_store.h"

namespace mail {

// How far a pass, or a connect and log-in, got.
enum class PassStage { NotConnected, NotLoggedIn, LoggedIn };

// Connect and log in, with the observer's events. Whatever Connect raises
// counts as a failed connection; QUIT is the caller's.
PassStage ConnectAndLogIn(TKelPOP& session, PassObserver& observer);

class MailboxPass {
 public:
  struct Options {
    // The observer keeps messages between passes: UIDL is asked even where
    // LAST answers, and each message is offered to Keeps by its id.
    bool keepsMessages = false;
    // Send the commands ahead where the server lists PIPELINING.
    bool sendAhead = true;
  };

  MailboxPass(TKelPOP& session, platform::SeenIdsStore& seenIds, PassObserver& observer, Options options);

  // LoggedIn whether or not the session failed later on.
  PassStage Run();

 private:
  void CheckMailbox();
  std::uint32_t CountNewMail();
  void Download();
  bool Fetch(std::uint32_t number, std::string uniqueId);
  std::string IdOf(std::uint32_t number) const;
  platform::MailboxKey Mailbox() const;

  TKelPOP& session_;
  platform::SeenIdsStore& seenIds_;
  PassObserver& observer_;
  Options options_;
  std::optional<UniqueIdList> ids_;
  std::unordered_map<std::uint32_t, std::string> idByNumber_;  // only when the observer keeps messages
  bool newMailByIds_ = false;
};

}  // namespace mail
