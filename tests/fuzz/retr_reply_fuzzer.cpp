// libFuzzer target: any bytes as the content of a RETR reply, through the
// download loop, line cutting, header parsing, the MIME walk and the decoders.
// A parsing error is an expected outcome; a crash, a leak or undefined
// behaviour is not, and neither is a message that comes out differently when
// its reply arrives in chunks at a session than when the parser takes it whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mail/mail_error.h"
#include "mail/message.h"
#include "mail/message_parser.h"
#include "mail/pop3_session.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/mail/recording_parse_context.h"
#include "tests/support/memory_tcp_client.h"

namespace {

std::unique_ptr<mail::TKelMsg> Parsed(const std::function<std::unique_ptr<mail::TKelMsg>()>& parse) {
  try {
    return parse();
  } catch (const mail::MailError&) {
    return nullptr;
  }
}

bool SameMessage(const mail::TKelMsg& a, const mail::TKelMsg& b) {
  if (a.Headers != b.Headers || a.Text != b.Text || a.Subject != b.Subject ||
      a.AttachedFiles.Count() != b.AttachedFiles.Count())
    return false;
  for (std::size_t i = 0; i < a.AttachedFiles.Count(); ++i)
    if (a.AttachedFiles.Items(i).FileName != b.AttachedFiles.Items(i).FileName ||
        a.AttachedFiles.Items(i).Data != b.AttachedFiles.Items(i).Data)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const std::string reply = "+OK\r\n" + content + "\r\n.\r\n";
  auto connection = std::make_unique<testsupport::MemoryTcpClient>(
      "+OK\r\n", std::deque<std::string>{"+OK\r\n", "+OK\r\n", "+OK 1 " + std::to_string(size) + "\r\n", reply},
      /*chunkSize=*/509);
  const testsupport::FakeMimeDatabase types;
  mail::TKelPOP session(std::move(connection), {}, &types);
  // Every reply is ready at once; the time-out only ends a reply the input cut short.
  session.ReplyTimeoutMs = 1000;
  session.Connect();
  if (!session.Connected() || !session.Login()) __builtin_trap();
  const auto streamed = Parsed([&] { return session.Retrieve(1); });
  // Only a reply whose first terminator is its last is received whole.
  if (reply.find("\r\n.\r\n") != reply.size() - 5) return 0;
  testsupport::RecordingParseContext context(types);
  const auto whole = Parsed([&] { return mail::ParseRetrReply(context, reply, false).message; });
  if ((streamed == nullptr) != (whole == nullptr) || (streamed && !SameMessage(*streamed, *whole))) __builtin_trap();
  return 0;
}
