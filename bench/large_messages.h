// Large messages for the benchmarks, generated in memory from a fixed seed.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// A text part and one base64 attachment of `attachmentBytes` bytes.
std::string MessageWithBase64Attachment(std::size_t attachmentBytes);

// A multipart/mixed message of `parts` small parts: text, base64 and quoted-printable in turn.
std::string MultipartMessage(int parts);

}  // namespace bench
