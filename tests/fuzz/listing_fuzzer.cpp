// libFuzzer target: any bytes as a stored message's listing. What is read
// must be written again byte for byte: the reader takes nothing ListingOf
// would not have written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/message_listing.h"
#include "platform/mime_database.h"

namespace {

class NoTypes : public platform::MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string&) const override { return {}; }
  std::string ExtensionOfContentType(const std::string&) const override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  static const NoTypes types;
  const std::optional<mail::ListedMessage> listed = mail::MessageOfListing(input, types);
  if (listed && mail::ListingOf(*listed->message, listed->parseError) != input) std::abort();
  return 0;
}
