// The desktop's MIME database through Qt: extensions to content types and
// content types to their usual extensions, with nothing for what it does not know.
#include "platform/qt_mime_database.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp1251.h"

namespace {

using namespace std::string_literals;
using text::operator""_cp1251;

TEST(QtMimeDatabase, ExtensionGivesItsContentType) {
  struct Case {
    const char* name;
    std::string extension;
    std::string contentType;
  } cases[] = {
      {"word document", ".doc", "application/msword"},
      {"plain text", ".txt", "text/plain"},
      {"gif image", ".gif", "image/gif"},
      {"upper-case extension", ".GIF", "image/gif"},
      {"unknown extension", ".unknownext", ""},
      {"cyrillic extension", std::string(".тхт"_cp1251), ""},
      {"the database's own default", ".bin", ""},
      {"empty", "", ""},
      {"a dot alone", ".", ""},
      {"no dot", "doc", ""},
      {"a folder, not an extension", "./", ""},
      {"NUL inside", ".doc\0.gif"s, ""},
  };
  const platform::QtMimeDatabase mime;
  for (const auto& c : cases) EXPECT_EQ(mime.ContentTypeOfExtension(c.extension), c.contentType) << c.name;
}

TEST(QtMimeDatabase, ContentTypeInAnyCaseGivesItsExtension) {
  struct Case {
    const char* name;
    std::string contentType;
    std::string extension;
  } cases[] = {
      {"lower case", "text/plain", ".txt"},
      {"upper case", "TEXT/PLAIN", ".txt"},
      {"mixed case", "Text/Plain", ".txt"},
      {"upper-case image", "IMAGE/GIF", ".gif"},
      {"word document", "APPLICATION/MSWORD", ".doc"},
      {"an alias of a known type", "APPLICATION/X-ZIP-COMPRESSED", ".zip"},
      {"unknown type", "APPLICATION/X-UNHEARD-OF", ""},
      {"parameters are not part of a type", "TEXT/PLAIN; CHARSET=KOI8-R", ""},
      {"empty", "", ""},
  };
  const platform::QtMimeDatabase mime;
  for (const auto& c : cases) EXPECT_EQ(mime.ExtensionOfContentType(c.contentType), c.extension) << c.name;
}

}  // namespace
