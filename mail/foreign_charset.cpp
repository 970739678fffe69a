#include "mail/foreign_charset.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "platform/cp1251.h"

namespace mail {

namespace {

class Converter {
 public:
  explicit Converter(const std::string& from) : handle_(iconv_open("UTF-8", from.c_str())) {}
  ~Converter() {
    if (Known()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Known() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // The whole text in UTF-8; a byte the charset does not allow becomes "?" and is skipped.
  std::string ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
      const std::size_t result = Step(in, inLeft, out);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      out += '?';
      if (errno == EINVAL) break;  // an incomplete sequence at the end
      ++in;
      --inLeft;
    }
    Flush(out);
    return out;
  }

 private:
  std::size_t Step(char*& in, std::size_t& inLeft, std::string& out) {
    std::array<char, 4096> buffer;
    char* to = buffer.data();
    std::size_t toLeft = buffer.size();
    const std::size_t result = iconv(handle_, &in, &inLeft, &to, &toLeft);
    const int error = errno;
    out.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
    errno = error;
    return result;
  }

  // A stateful charset (UTF-7, ISO-2022) may hold back its last character until told the text ended.
  void Flush(std::string& out) {
    std::array<char, 64> buffer;
    char* to = buffer.data();
    std::size_t toLeft = buffer.size();
    iconv(handle_, nullptr, nullptr, &to, &toLeft);
    out.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
  }

  iconv_t handle_;
};

// A charset name is a token: nothing that could reach the converter as a path or an option.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  for (const char c : name) {
    const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != '-' && c != '_' && c != '.' && c != ':') return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> ForeignToCp1251(std::string_view text, std::string_view charset) {
  if (!IsPlainName(charset)) return std::nullopt;
  Converter converter{std::string(charset)};
  if (!converter.Known()) return std::nullopt;
  return text::Utf8ToCp1251(converter.ToUtf8(text));
}

}  // namespace mail
