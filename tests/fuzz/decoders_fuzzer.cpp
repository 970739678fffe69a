// libFuzzer target: any bytes through every text and file decoder. A format
// error of the uuencode decoder is an expected outcome; a crash, a leak or
// undefined behaviour is not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mail/attached_files.h"
#include "mail/mail_error.h"
#include "mail/message_lines.h"
#include "mail/pop3_session.h"
#include "mail/text_decoders.h"
#include "tests/support/memory_tcp_client.h"

namespace {

class NoTypes : public platform::MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string&) const override { return {}; }
  std::string ExtensionOfContentType(const std::string&) const override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  mail::DecodeBase64Text(input);
  mail::DecodeQPText(input);
  mail::Lines lines = mail::CutLines(input);
  mail::Lines copy = lines;
  mail::DecodeBase64Lines(copy);
  copy = lines;
  mail::DecodeQPLines(copy);

  static const NoTypes types;
  mail::TKelPOP session(std::make_unique<testsupport::MemoryTcpClient>("", std::deque<std::string>{}), {}, &types);
  mail::TAttachedFiles files(types);
  using Decoder = void (mail::TKelPOP::*)(mail::TAttachedFile&);
  for (const Decoder decode : {&mail::TKelPOP::DecodeBase64File, &mail::TKelPOP::DecodeQPFile, &mail::TKelPOP::DecodeUUFile}) {
    mail::TAttachedFile& file = files.Add("fuzz.bin");
    file.EncodedLines = lines;
    try {
      (session.*decode)(file);
    } catch (const mail::MailError&) {
    }
  }
  std::size_t index = 0;
  std::string name;
  session.FindUUBegin(lines, index, name);
  return 0;
}
