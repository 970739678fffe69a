#include "mail/message_listing.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace mail {

namespace {

class ListingWriter {
 public:
  void Field(std::string_view value) { (text_ += std::to_string(value.size())).append(":").append(value); }
  void Number(std::uint64_t value) { Field(std::to_string(value)); }
  void List(const Lines& lines) {
    Number(lines.size());
    for (const std::string_view line : lines) Field(line);
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// Every read fails from the first field that is not in shape on, so the
// steps can be written one after the other and checked once at the end.
class ListingReader {
 public:
  explicit ListingReader(std::string_view text) : rest_(text) {}

  std::string Field() {
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), size);
    const std::size_t digits = static_cast<std::size_t>(end - rest_.data());
    if (!ok_ || error != std::errc() || !IsWrittenForm(rest_.substr(0, digits)) || digits >= rest_.size() ||
        *end != ':' || size > rest_.size() - digits - 1) {
      ok_ = false;
      return {};
    }
    std::string value(rest_.substr(digits + 1, size));
    rest_.remove_prefix(digits + 1 + size);
    return value;
  }
  std::uint64_t Number() {
    const std::string text = Field();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !IsWrittenForm(text)) ok_ = false;
    return value;
  }
  bool Flag() {
    const std::uint64_t value = Number();
    if (value > 1) ok_ = false;
    return value == 1;
  }
  // A count no larger than the fields left could hold: a damaged count allocates nothing.
  std::size_t Count() {
    const std::uint64_t count = Number();
    if (count > rest_.size() / 2) ok_ = false;
    return ok_ ? static_cast<std::size_t>(count) : 0;
  }
  Lines List() {
    Lines lines;
    for (std::size_t count = Count(), index = 0; index < count; ++index) lines.push_back(Field());
    return lines;
  }
  bool Ended() const { return ok_ && rest_.empty(); }

 private:
  // Digits as a number is written: at least one, no leading zero. Only the
  // listing ListingOf wrote is read, byte for byte.
  static bool IsWrittenForm(std::string_view digits) { return !digits.empty() && (digits == "0" || digits[0] != '0'); }

  std::string_view rest_;
  bool ok_ = true;
};

// The message's fields of one line of text, in the order a listing holds them.
template <class Message>
auto TextFields(Message& m) {
  return std::array{&m.Charset, &m.UserName, &m.From,  &m.MessageId, &m.InReplyTo, &m.ReturnPath,
                    &m.ReplyTo, &m.SendTo,   &m.CC,    &m.Date,      &m.Subject,   &m.ContentType};
}

constexpr std::uint64_t kLowestPriority = static_cast<std::uint64_t>(TPriority::prLowest);

}  // namespace

std::string ListingOf(const TKelMsg& message, const std::string& parseError) {
  ListingWriter out;
  out.Field(parseError);
  for (const std::string* field : TextFields(message)) out.Field(*field);
  out.Number(static_cast<std::uint64_t>(message.Priority));
  out.List(message.ExtraHeaders);
  out.Number(message.Headers ? 1 : 0);
  if (message.Headers) out.List(*message.Headers);
  out.Number(message.AttachedFiles.Count());
  for (std::size_t index = 0; index < message.AttachedFiles.Count(); ++index) {
    const TAttachedFile& file = message.AttachedFiles.Items(index);
    out.Field(file.FullName);
    out.Field(file.FileName);
    out.Field(file.ContentType);
  }
  return out.Take();
}

std::optional<ListedMessage> MessageOfListing(std::string_view listing, const platform::MimeDatabase& mimeDatabase) {
  ListingReader in(listing);
  ListedMessage listed{std::make_unique<TKelMsg>(mimeDatabase), in.Field()};
  TKelMsg& message = *listed.message;
  for (std::string* field : TextFields(message)) *field = in.Field();
  const std::uint64_t priority = in.Number();
  message.Priority = static_cast<TPriority>(priority <= kLowestPriority ? priority : 0);
  message.ExtraHeaders = in.List();
  if (in.Flag()) message.Headers = in.List();
  for (std::size_t count = in.Count(), index = 0; index < count; ++index) {
    TAttachedFile& file = message.AttachedFiles.Add(in.Field());
    file.FileName = in.Field();
    file.ContentType = in.Field();
  }
  if (!in.Ended() || priority > kLowestPriority) return std::nullopt;
  return listed;
}

}  // namespace mail
