#include "tools/message_json.h"

#include <openssl/evp.h>

#include "platform/cp1251.h"
#include "platform/hex_text.h"

namespace tools {

namespace {

std::string Utf8(std::string_view cp1251) { return text::Cp1251ToUtf8(cp1251); }

nlohmann::json AttachmentJson(const mail::TAttachedFile& file) {
  return {{"name", Utf8(file.FileName)},
          {"full_name", Utf8(file.FullName)},
          {"content_type", Utf8(file.ContentType)},
          {"size", file.Size()},
          {"sha256", Sha256Hex(file.Data.value_or(std::string()))}};
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
  return platform::LowerHex({digest, length});
}

nlohmann::json MessageJson(std::uint32_t number, std::int32_t size, const mail::TKelMsg& message,
                           const std::string& topHeaders) {
  nlohmann::json text = nlohmann::json::array();
  for (const std::string_view line : message.Text) text.push_back(Utf8(line));
  nlohmann::json attachments = nlohmann::json::array();
  for (std::size_t i = 0; i < message.AttachedFiles.Count(); ++i)
    attachments.push_back(AttachmentJson(message.AttachedFiles.Items(i)));
  return {{"number", number},
          {"size", size},
          {"from", Utf8(message.From)},
          {"subject", Utf8(message.Subject)},
          {"date", Utf8(message.Date)},
          {"to", Utf8(message.SendTo)},
          {"cc", Utf8(message.CC)},
          {"reply_to", Utf8(message.ReplyTo)},
          {"message_id", Utf8(message.MessageId)},
          {"in_reply_to", Utf8(message.InReplyTo)},
          {"return_path", Utf8(message.ReturnPath)},
          {"charset", Utf8(message.Charset)},
          {"content_type", Utf8(message.ContentType)},
          {"text", std::move(text)},
          {"attachments", std::move(attachments)},
          {"top_headers_sha256", Sha256Hex(topHeaders)}};
}

}  // namespace tools
