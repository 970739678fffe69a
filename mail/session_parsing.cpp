// TKelPOP's parsing half: its public parse and decode members over the free
// parser and decoders, and the parser's reports passed on as its events.
#include "mail/file_decoders.h"
#include "mail/mail_error.h"
#include "mail/message_parser.h"
#include "mail/pop3_session.h"

namespace mail {

void TKelPOP::DecodeBase64File(TAttachedFile& item) { mail::DecodeBase64File(*this, item); }

void TKelPOP::DecodeQPFile(TAttachedFile& item) { mail::DecodeQPFile(*this, item); }

void TKelPOP::DecodeUUFile(TAttachedFile& item) { mail::DecodeUUFile(*this, item); }

bool TKelPOP::FindUUBegin(const Lines& lines, std::size_t& index, std::string& name) {
  return mail::FindUUBegin(lines, index, name);
}

std::unique_ptr<TKelMsg> TKelPOP::ParseMessage(std::string reply) {
  return RecordingParseFailure([&] { return ParseRetrReply(*this, std::move(reply), KeepUnparsableMessages); });
}

std::unique_ptr<TKelMsg> TKelPOP::Parse(Lines lines, const std::string& text) {
  return RecordingParseFailure([&] { return ParseRetrLines(*this, std::move(lines), text, KeepUnparsableMessages); });
}

// A message that could not be parsed, kept or not, is the failure on record
// until the next message parses.
std::unique_ptr<TKelMsg> TKelPOP::RecordingParseFailure(const std::function<ParsedMessage()>& parse) {
  if (failure_.code == kMessageUnparsed) failure_ = {};
  try {
    return parse().message;
  } catch (const MailError& error) {
    failure_ = {kMessageUnparsed, {}, error.what()};
    throw;
  }
}

std::string TKelPOP::LastParseError() const {
  return failure_.code == kMessageUnparsed ? failure_.description : std::string();
}

void TKelPOP::DecodeStarted(const std::string& fileName, std::int32_t lineCount) {
  if (OnDecodeStart) OnDecodeStart(*this, fileName, lineCount);
}

void TKelPOP::DecodeProgressed(std::uint16_t percent) {
  if (OnDecodeProgress) OnDecodeProgress(*this, percent);
}

void TKelPOP::DecodeEnded() {
  if (OnDecodeEnd) OnDecodeEnd(*this);
}

// The parse failure is recorded here rather than after the parse, so that a
// handler of OnAfterRetrieve already sees why a kept message could not be parsed.
void TKelPOP::BodyFinished(const std::string& parseError) {
  if (!parseError.empty()) failure_ = {kMessageUnparsed, {}, parseError};
  if (OnAfterRetrieve) OnAfterRetrieve(*this);
}

}  // namespace mail
