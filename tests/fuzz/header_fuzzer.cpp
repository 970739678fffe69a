// libFuzzer target: any bytes as a header value with encoded words and
// parameters, as a text body in each kind of charset the library converts
// from, and as an HTML page to render.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/charsets.h"
#include "mail/header_decoding.h"
#include "mail/header_parameters.h"
#include "mail/html_text.h"
#include "mail/message_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (const char* charset : {"", "KOI8-R", "ISO-8859-5", "WINDOWS-1251", "X-UNKNOWN", "ISO-8859-1", "UTF-7", "UTF-16",
                              "SHIFT_JIS"}) {
    mail::DecodeHeaderText(input, charset);
    mail::Lines lines = mail::CutLines(input);
    mail::ConvertLinesCharset(lines, charset);
  }
  std::size_t start = 0;
  std::size_t stop = 0;
  mail::FindEncodedWord(input, start, stop);
  mail::FindParameter(input, "filename");
  mail::FindTokenParameter(input, "boundary");
  mail::HtmlToPlainText(input);
  return 0;
}
