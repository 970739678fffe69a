// libFuzzer target: any bytes as a server's CAPA reply. Parsing must never
// crash, and no reply may ask for a login delay beyond the cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/capabilities.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const mail::Capabilities capabilities =
      mail::ParseCapabilities(std::string_view(reinterpret_cast<const char*>(data), size));
  if (capabilities.loginDelay < std::chrono::seconds{0} || capabilities.loginDelay > mail::kLongestLoginDelay) abort();
  return 0;
}
