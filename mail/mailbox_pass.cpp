#include "mail/mailbox_pass.h"

#include <exception>
#include <unordered_set>
#include <utility>

#include "mail/mail_error.h"
#include "mail/text_utils.h"

namespace mail {

PassStage ConnectAndLogIn(TKelPOP& session, PassObserver& observer) {
  observer.Connecting();
  try {
    session.Connect();
  } catch (const std::exception&) {
    // Reported below from Connected, like every other failure to connect.
  }
  if (!session.Connected()) {
    observer.ConnectFailed();
    return PassStage::NotConnected;
  }
  observer.LoggingIn();
  if (!session.Login()) {
    observer.LoginFailed(session.Failure().Text());
    return PassStage::NotLoggedIn;
  }
  observer.LoggedIn();
  return PassStage::LoggedIn;
}

MailboxPass::MailboxPass(TKelPOP& session, platform::SeenIdsStore& seenIds, PassObserver& observer, Options options)
    : session_(session), seenIds_(seenIds), observer_(observer), options_(options) {}

PassStage MailboxPass::Run() {
  try {
    const PassStage stage = ConnectAndLogIn(session_, observer_);
    if (stage == PassStage::LoggedIn) CheckMailbox();
    session_.Quit();
    return stage;
  } catch (...) {
    session_.Quit();
    throw;
  }
}

void MailboxPass::CheckMailbox() {
  const std::uint32_t fresh = CountNewMail();
  observer_.Counted(session_.MsgCount(), fresh);
  session_.LearnCapabilities();
  if (const std::optional<std::chrono::seconds> delay = session_.LoginDelay()) observer_.LoginDelayLearned(*delay);
  try {
    Download();
  } catch (...) {
    observer_.DownloadsEnded();
    throw;
  }
  observer_.DownloadsEnded();
  if (session_.Connected()) observer_.AllRead();
  // Only a download that went through marks the mail as seen.
  if (newMailByIds_ && session_.Connected() && !seenIds_.Save(Mailbox(), SeenAfterPass(*ids_)))
    observer_.SeenIdsNotRecorded();
}

// New mail by LAST; where the server refuses LAST, by the unique ids the
// previous complete pass did not see, provided UIDL gave them all.
std::uint32_t MailboxPass::CountNewMail() {
  const std::uint32_t byLast = session_.CountNew();
  if (session_.Connected() && (session_.LastRefused() || options_.keepsMessages))
    ids_ = IdsOfMailbox(session_.UniqueIds(session_.MsgCount()), session_.MsgCount());
  newMailByIds_ = session_.LastRefused() && ids_ && IdsCoverMailbox(*ids_, session_.MsgCount());
  if (ids_ && options_.keepsMessages)
    for (const auto& [number, id] : *ids_) idByNumber_.insert_or_assign(number, id);
  return newMailByIds_ ? CountUnseen(*ids_, seenIds_.Load(Mailbox())) : byLast;
}

void MailboxPass::Download() {
  const std::uint32_t count = session_.MsgCount();
  // Asked once per id (a store may look on disk); a number without an id names nothing kept.
  std::unordered_set<std::uint32_t> kept;
  for (const auto& [number, id] : idByNumber_)
    if (observer_.Keeps(id)) kept.insert(number);
  if (options_.sendAhead) {
    CommandPlan toFetch;
    for (std::uint32_t number = 1; number <= count; ++number)
      if (!kept.contains(number)) toFetch.Add(number);
    session_.SendAhead(std::move(toFetch));
  }
  for (std::uint32_t number = 1; number <= count; ++number) {
    std::string id = IdOf(number);
    if (kept.contains(number) && observer_.Kept(number, id)) continue;
    if (!Fetch(number, std::move(id))) return;
  }
}

// False when the session ended and the downloads cannot go on. A session
// that ended before the first message makes Retrieve throw: that is the
// pass failing, not the message, and it leaves the pass.
bool MailboxPass::Fetch(std::uint32_t number, std::string uniqueId) {
  const bool wasConnected = session_.Connected();
  FetchedMessage fetched;
  fetched.number = number;
  fetched.uniqueId = std::move(uniqueId);
  try {
    fetched.message = session_.Retrieve(number);
  } catch (const MailError& error) {
    if (!wasConnected) throw;
    observer_.Unreadable(number, error.what());
    return session_.Connected();
  }
  if (!fetched.message) return false;
  fetched.reply = session_.TakeLastReply();
  if (!options_.keepsMessages) fetched.reply.clear();
  fetched.size = session_.MsgSize();
  fetched.parseError = session_.LastParseError();
  fetched.topHeaders = session_.RetrieveHeaders(number);
  fetched.topHeadersRead = session_.Connected();
  const bool goOn = fetched.topHeadersRead;
  observer_.Fetched(std::move(fetched));
  return goOn;
}

std::string MailboxPass::IdOf(std::uint32_t number) const {
  const auto found = idByNumber_.find(number);
  return found == idByNumber_.end() ? std::string() : found->second;
}

platform::MailboxKey MailboxPass::Mailbox() const {
  return {session_.Host, static_cast<int>(ToIntDef(session_.Port, 110)), session_.UserId};
}

}  // namespace mail
