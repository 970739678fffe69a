// libFuzzer target: any bytes as the content of a RETR reply, through the
// download loop, line cutting, header parsing, the MIME walk and the decoders.
// A parsing error is an expected outcome; a crash, a leak or undefined
// behaviour is not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "tests/support/memory_tcp_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  auto connection = std::make_unique<testsupport::MemoryTcpClient>(
      "+OK\r\n", std::deque<std::string>{"+OK\r\n", "+OK\r\n", "+OK 1 " + std::to_string(size) + "\r\n",
                                         "+OK\r\n" + content + "\r\n.\r\n"},
      /*chunkSize=*/509);
  mail::TKelPOP session(std::move(connection), {});
  // Every reply is ready at once; the time-out only ends a reply the input cut short.
  session.ReplyTimeoutMs = 1000;
  session.Connect();
  if (!session.Connected() || !session.Login()) __builtin_trap();
  try {
    session.Retrieve(1);
  } catch (const mail::MailError&) {
  }
  return 0;
}
