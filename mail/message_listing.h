// A message's listing: every field of it but the text and the files' bytes,
// written to a string and read back, so that a stored message is listed
// again without being parsed again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "mail/message.h"
#include "platform/mime_database.h"

namespace mail {

struct ListedMessage {
  std::unique_ptr<TKelMsg> message;  // its Text empty, its files without Data
  std::string parseError;            // why its body was kept raw; empty when it was parsed
};

// Each field as its byte count, ":" and its bytes; a list as its item count first.
std::string ListingOf(const TKelMsg& message, const std::string& parseError);

// Nothing when `listing` is not one ListingOf wrote: what it reads, ListingOf
// writes again byte for byte.
std::optional<ListedMessage> MessageOfListing(std::string_view listing, const platform::MimeDatabase& mimeDatabase);

}  // namespace mail
