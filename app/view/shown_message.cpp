#include "app/view/shown_message.h"

#include "mail/message_parser.h"
#include "mail/parse_context.h"

namespace app {
namespace {

// The session's parse settings without its events and reports.
class QuietParse final : public mail::ParseContext {
 public:
  explicit QuietParse(const mail::TKelPOP& session) : session_(session) {}

  const platform::MimeDatabase& MimeDatabase() const override { return session_.MimeDatabase(); }
  const platform::EventPump& EventPump() const override { return noEvents_; }
  const std::string& FormatError() const override { return session_.ErrorInFormatOfMsg; }
  std::uint16_t ProgressStep() const override { return session_.DecodeProgressStep; }
  void DecodeStarted(const std::string&, std::int32_t) override {}
  void DecodeProgressed(std::uint16_t) override {}
  void DecodeEnded() override {}
  void BodyFinished(const std::string&) override {}

 private:
  const mail::TKelPOP& session_;
  platform::EventPump noEvents_;
};

}  // namespace

const mail::TKelMsg* ShownMessage::Of(const mail::TKelMsg* listed) {
  missing_ = false;
  if (listed == nullptr || !listed->ContentStored) {
    whole_.reset();
    return listed;
  }
  if (whole_ && whole_->ContentStored == listed->ContentStored) return whole_.get();
  whole_.reset();  // one whole message at a time
  whole_ = ReadWhole(*listed);
  missing_ = !whole_;
  return whole_ ? whole_.get() : listed;
}

// The stamps the pass gave the listed message go onto the parsed one, so
// that it is the same message in every field.
std::unique_ptr<mail::TKelMsg> ShownMessage::ReadWhole(const mail::TKelMsg& listed) const {
  if (!store_) return nullptr;
  const mail::StoredAt& at = *listed.ContentStored;
  std::optional<platform::StoredMessage> stored = store_->Read(at.mailbox, at.uniqueId);
  if (!stored) return nullptr;
  QuietParse context(session_);
  // A stored reply was parsed once already; one that no longer parses is shown as its raw lines.
  std::unique_ptr<mail::TKelMsg> whole =
      mail::ParseRetrReply(context, std::move(stored->reply), /*keepUnparsable=*/true).message;
  whole->AccountHost = listed.AccountHost;
  whole->AccountUserId = listed.AccountUserId;
  whole->AccountId = listed.AccountId;
  whole->TopHeaders = listed.TopHeaders;
  whole->ContentStored = listed.ContentStored;
  return whole;
}

}  // namespace app
