#include "app/pass/account_check.h"

#include <utility>

#include "desktop/qt_text.h"

namespace app {

AccountCheck::AccountCheck(const PassDisplay& display, const config::TServer& account, mail::TKelMsgList& list,
                           MessageCache& cache, PassTally& tally)
    : LoginReport(display, account.Host, account.UserId),
      account_(account),
      list_(list),
      cache_(cache),
      tally_(tally) {}

void AccountCheck::Counted(std::uint32_t, std::uint32_t fresh) {
  tally_.newCount += fresh;
  display_.SetSimplePanel(false);
}

bool AccountCheck::Keeps(const std::string& uid) const { return cache_.Contains(KeyOf(uid)); }

void AccountCheck::Kept(std::uint32_t, const std::string& uid) { Add(cache_.Take(KeyOf(uid)), uid); }

void AccountCheck::Fetched(mail::FetchedMessage fetched) {
  fetched.message->TopHeaders = std::move(fetched.topHeaders);
  Add({std::move(fetched.message), std::move(fetched.parseError)}, fetched.uniqueId);
}

void AccountCheck::DownloadsEnded() { display_.SetSimplePanel(true); }

MessageCache::Key AccountCheck::KeyOf(const std::string& uid) const {
  return {account_.Host, std::to_string(account_.Port), account_.UserId, uid};
}

// A message that could not be parsed stays readable as its raw lines.
void AccountCheck::Add(MessageCache::Entry entry, const std::string& uid) {
  if (!entry.ParseError.empty()) {
    if (tally_.unparsedCount == 0) tally_.firstParseError = desktop::ToQString(entry.ParseError);
    ++tally_.unparsedCount;
  }
  mail::TKelMsg& message = *entry.Message;
  message.AccountHost = account_.Host;
  message.AccountUserId = account_.UserId;
  message.AccountPasswd = account_.Passwd;
  list_.Add(std::move(entry.Message));
  cache_.Record(message, KeyOf(uid), std::move(entry.ParseError));
}

}  // namespace app
