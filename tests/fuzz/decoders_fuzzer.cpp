// libFuzzer target: any bytes through every text and file decoder. A format
// error of the uuencode decoder is an expected outcome; a crash, a leak or
// undefined behaviour is not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/attached_files.h"
#include "mail/file_decoders.h"
#include "mail/mail_error.h"
#include "mail/message_lines.h"
#include "mail/text_decoders.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/mail/recording_parse_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  mail::DecodeBase64Text(input);
  mail::DecodeQPText(input);
  mail::Lines lines = mail::CutLines(input);
  mail::Lines copy = lines;
  mail::DecodeBase64Lines(copy);
  copy = lines;
  mail::DecodeQPLines(copy);

  const testsupport::FakeMimeDatabase types;
  testsupport::RecordingParseContext context(types);
  mail::TAttachedFiles files(types);
  using Decoder = void (*)(mail::ParseContext&, mail::TAttachedFile&);
  const Decoder decoders[] = {&mail::DecodeBase64File, &mail::DecodeQPFile, &mail::DecodeUUFile};
  for (const Decoder decode : decoders) {
    mail::TAttachedFile& file = files.Add("fuzz.bin");
    file.EncodedLines = lines;
    try {
      decode(context, file);
    } catch (const mail::MailError&) {
    }
  }
  std::size_t index = 0;
  std::string name;
  mail::FindUUBegin(lines, index, name);
  return 0;
}
