#include "bench/large_messages.h"

#include <cstdint>
#include <random>

namespace bench {

namespace {

std::string Base64Lines(std::size_t bytes, std::mt19937& random) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::size_t characters = (bytes + 2) / 3 * 4;
  std::string out;
  out.reserve(characters + characters / 76 * 2 + 2);
  for (std::size_t i = 0; i < characters; ++i) {
    out += kAlphabet[random() % 64];
    if (i % 76 == 75) out += "\r\n";
  }
  return out + "\r\n";
}

}  // namespace

std::string MessageWithBase64Attachment(std::size_t attachmentBytes) {
  std::mt19937 random(20261209);
  return "From: bench@example.org\r\nTo: bob@example.org\r\nSubject: big attachment\r\n"
         "Content-Type: multipart/mixed; boundary=\"big\"\r\n\r\n"
         "--big\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nSee the attachment.\r\n\r\n"
         "--big\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
         "Content-Disposition: attachment; filename=\"big.bin\"\r\n\r\n" +
         Base64Lines(attachmentBytes, random) + "\r\n--big--\r\n";
}

std::string MultipartMessage(int parts) {
  std::mt19937 random(42);
  std::string message =
      "From: bench@example.org\r\nSubject: many parts\r\nContent-Type: multipart/mixed; boundary=\"p\"\r\n\r\n";
  for (int i = 0; i < parts; ++i) {
    message += "--p\r\n";
    switch (i % 3) {
      case 0:
        message += "Content-Type: text/plain; charset=windows-1251\r\n\r\nPart " + std::to_string(i) + " text.\r\n";
        break;
      case 1:
        message += "Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n\r\n" + Base64Lines(600, random);
        break;
      default:
        message += "Content-Type: application/x-data; name=\"p" + std::to_string(i) +
                   ".dat\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nsoft=\r\nbreak =3D done\r\n";
    }
    message += "\r\n";
  }
  return message + "--p--\r\n";
}

}  // namespace bench
