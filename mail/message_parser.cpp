#include "mail/message_parser.h"

#include <utility>

#include "mail/body_parser.h"
#include "mail/header_decoding.h"
#include "mail/header_fields.h"
#include "mail/mail_error.h"
#include "mail/message_lines.h"

namespace mail {

namespace {

// The message from its lines: its body walked, or, given why it could not be,
// its Text the raw body and no attached files.
std::unique_ptr<TKelMsg> BuildMessage(ParseContext& context, SplitMessage split, const std::string* plainBecause) {
  auto message = std::make_unique<TKelMsg>(context.MimeDatabase());
  message->Headers = std::move(split.headers);
  const HeaderLines headers = *message->Headers;
  FillHeaderFields(*message, headers);
  const PartType top = ReadPartType(headers);
  message->Charset = top.charset;
  message->ContentType = top.mediaType;
  if (plainBecause) message->Text = std::move(split.body);
  else ParseBody(context, *message, headers, split.body, top);

  context.BodyFinished(plainBecause ? *plainBecause : std::string());
  message->Subject = DecodeHeaderText(message->Subject, message->Charset);
  message->From = DecodeHeaderText(message->From, message->Charset);
  return message;
}

}  // namespace

ParsedMessage ParseRetrReply(ParseContext& context, std::string reply, bool keepUnparsable) {
  Lines lines = CutLines(reply, context.EventPump());
  // Unless it is needed again, the lines hold it all now (assigning an empty
  // string would keep the buffer).
  if (!keepUnparsable) std::string().swap(reply);
  return ParseRetrLines(context, std::move(lines), reply, keepUnparsable);
}

// Parsing takes the lines apart; a message that cannot be parsed is built
// again, plainly, from `reply`.
ParsedMessage ParseRetrLines(ParseContext& context, Lines lines, const std::string& reply, bool keepUnparsable) {
  try {
    return {BuildMessage(context, SplitRetrLines(std::move(lines)), nullptr), {}};
  } catch (const MailError& error) {
    if (!keepUnparsable) throw;
    std::string why = error.what();
    auto message = BuildMessage(context, SplitRetrReply(reply, context.EventPump()), &why);
    return {std::move(message), std::move(why)};
  }
}

}  // namespace mail
