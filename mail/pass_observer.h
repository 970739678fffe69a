// What one account's check pass reports, step by step, to whoever runs it:
// the main window shows it in its status line and list, the command-line
// tool prints it. Every event does nothing unless overridden.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "mail/message.h"

namespace mail {

// A message the pass downloaded.
struct FetchedMessage {
  std::uint32_t number = 0;
  // Its unique id when the observer keeps messages; empty otherwise.
  std::string uniqueId;
  // The RETR reply as received, when the observer keeps messages and the
  // session kept it; empty otherwise.
  std::string reply;
  // The size LIST gave.
  std::int32_t size = 0;
  std::unique_ptr<TKelMsg> message;
  // Why its body could not be parsed, when it was kept with its raw lines; empty when it parsed.
  std::string parseError;
  // The header block TOP gave; the session failed at TOP when not `topHeadersRead`.
  std::string topHeaders;
  bool topHeadersRead = false;
};

class PassObserver {
 public:
  virtual ~PassObserver() = default;

  // Connect and log in; each failure ends the pass.
  virtual void Connecting() {}
  virtual void ConnectFailed() {}
  virtual void LoggingIn() {}
  // `why`: the server's refusal word for word, or our reason (Windows-1251); maybe empty.
  virtual void LoginFailed(const std::string& /*why*/) {}
  virtual void LoggedIn() {}

  // The mailbox holds `count` messages, `fresh` of them new; the downloads follow.
  virtual void Counted(std::uint32_t /*count*/, std::uint32_t /*fresh*/) {}
  // CAPA answered: the server wants at least `delay` between two logins to
  // this mailbox (RFC 2449 LOGIN-DELAY; zero: no such rule).
  virtual void LoginDelayLearned(std::chrono::seconds /*delay*/) {}
  // True when the observer still holds the message with unique id `uid`
  // from an earlier pass, so it need not be fetched. An empty id names nothing known.
  virtual bool Keeps(const std::string& /*uid*/) const { return false; }
  // Message `number` is the kept one with id `uid`: the observer takes it
  // back, or answers false when it no longer can (the pass then fetches it).
  virtual bool Kept(std::uint32_t /*number*/, const std::string& /*uid*/) { return true; }
  virtual void Fetched(FetchedMessage /*fetched*/) {}
  // Message `number` could not be parsed and was not kept (`error` is MailError's text).
  virtual void Unreadable(std::uint32_t /*number*/, const std::string& /*error*/) {}
  // The downloads are over, however they ended.
  virtual void DownloadsEnded() {}
  // Every message of the mailbox was fetched or kept and the session stands:
  // what the observer kept for messages not on the server any more may go.
  virtual void AllRead() {}
  // The ids seen by this pass could not be recorded: the same mail is announced once more.
  virtual void SeenIdsNotRecorded() {}
};

}  // namespace mail
