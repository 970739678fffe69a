#include "mail/text_decoders.h"

#include <new>
#include <stdexcept>

#include "mail/decoder_steps.h"
#include "mail/message_lines.h"

namespace mail {

namespace {

using decoder_steps::Base64Quad;

// Decodes `text` into `out` (room for text.size() / 4 * 3 + 2 bytes); answers the end.
char* DecodeBase64Into(std::string_view text, char* out) {
  Base64Quad quad;
  return quad.Finish(quad.Feed(text, out, [] {}));
}

void Pump(const platform::EventPump& processEvents) {
  if (processEvents) processEvents();
}

// Running out of memory is the one way decoding can fail; the caller then keeps its input.
template <class Decode, class Fallback>
auto OrOnFailure(Decode decode, Fallback fallback) {
  try {
    return decode();
  } catch (const std::bad_alloc&) {
    return fallback();
  } catch (const std::length_error&) {
    return fallback();
  }
}

}  // namespace

std::string DecodeBase64Text(std::string_view text) {
  return OrOnFailure(
      [text] {
        std::string decoded(text.size() / 4 * 3 + 2, '\0');
        decoded.resize(static_cast<std::size_t>(DecodeBase64Into(text, decoded.data()) - decoded.data()));
        return decoded;
      },
      [text] { return std::string(text); });
}

void DecodeBase64Lines(Lines& lines, const platform::EventPump& processEvents) {
  OrOnFailure(
      [&] {
        std::string decoded(lines.ByteSize() / 4 * 3 + 3, '\0');
        // One quad runs across all lines, as in an attached file.
        Base64Quad quad;
        char* end = decoded.data();
        for (const std::string_view line : lines) {
          end = quad.Feed(line, end, [] {});
          Pump(processEvents);
        }
        end = quad.Finish(end);
        decoded.resize(static_cast<std::size_t>(end - decoded.data()));
        lines = CutLines(decoded);
      },
      [] {});
}

std::string DecodeQPText(std::string_view text) {
  return OrOnFailure(
      [text] {
        std::string decoded(text.size(), '\0');
        decoded.resize(static_cast<std::size_t>(decoder_steps::DecodeQPInto(text, decoded.data()) - decoded.data()));
        return decoded;
      },
      [text] { return std::string(text); });
}

void DecodeQPLines(Lines& lines, const platform::EventPump& processEvents) {
  OrOnFailure(
      [&] {
        std::string decoded(lines.ByteSize() + 2 * lines.size(), '\0');
        char* end = decoded.data();
        for (const std::string_view line : lines) {
          end = decoder_steps::DecodeQPLineInto(line, end);
          Pump(processEvents);
        }
        decoded.resize(static_cast<std::size_t>(end - decoded.data()));
        lines = CutLines(decoded);
      },
      [] {});
}

}  // namespace mail
