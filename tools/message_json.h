// What tessaro-check prints for one message: its fields, text and attached
// files (with a SHA-256 of the decoded bytes), all texts in UTF-8.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "mail/message.h"

namespace tools {

std::string Sha256Hex(const std::string& bytes);

nlohmann::json MessageJson(std::uint32_t number, std::int32_t size, const mail::TKelMsg& message,
                           const std::string& topHeaders);

}  // namespace tools
