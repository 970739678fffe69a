// TKelPOP's parsing half: its public parse and decode members over the free
// parser and decoders, and the parser's reports passed on as its events.
#include "mail/file_decoders.h"
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
  LastParseError.clear();
  return ParseRetrReply(*this, std::move(reply), KeepUnparsableMessages).message;
}

std::unique_ptr<TKelMsg> TKelPOP::Parse(Lines lines, const std::string& text) {
  LastParseError.clear();
  return ParseRetrLines(*this, std::move(lines), text, KeepUnparsableMessages).message;
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

// LastParseError is set here rather than after the parse, so that a handler of
// OnAfterRetrieve already sees why a kept message could not be parsed.
void TKelPOP::BodyFinished(const std::string& parseError) {
  LastParseError = parseError;
  if (OnAfterRetrieve) OnAfterRetrieve(*this);
}

}  // namespace mail
