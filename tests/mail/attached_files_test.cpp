// Attached files: names and extensions, content types from the MIME database,
// sizes, saving to files and streams, and the names of unnamed parts.
#include "mail/attached_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_files.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "mail/mail_error.h"
#include "platform/cp1251.h"
#include "tests/mail/fake_mime_database.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

using mail::TAttachedFile;
using mail::TAttachedFiles;
using testsupport::FakeMimeDatabase;
using ::testing::ElementsAre;
using namespace std::string_literals;
using text::operator""_cp1251;

namespace fs = std::filesystem;

FakeMimeDatabase KnownTypes() {
  return FakeMimeDatabase({{".doc", "application/msword"}, {".gif", "image/gif"}, {".txt", "text/plain"}});
}

std::string AllByteValues() {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

TEST(AttachedFiles, AddSplitsTheNameIntoFileNameAndExtension) {
  struct Case {
    const char* name;
    std::string fullName;
    std::string fileName;
    std::string extension;
  } cases[] = {
      {"windows path with cyrillic", std::string("C:\\Мои документы\\отчёт.doc"_cp1251),
       std::string("отчёт.doc"_cp1251), ".doc"},
      {"bare name", "README", "README", ""},
      {"unknown extension", "archive.unknownext", "archive.unknownext", ".unknownext"},
      {"only the last dot counts", "archive.tar.gz", "archive.tar.gz", ".gz"},
      {"drive without folder", "C:photo.gif", "photo.gif", ".gif"},
      {"slash folders", "home/user/photo.gif", "photo.gif", ".gif"},
      {"dot in a folder is no extension", "x.y\\z.w:v.u/name", "name", ""},
      {"cyrillic extension", std::string("письмо.тхт"_cp1251), std::string("письмо.тхт"_cp1251),
       std::string(".тхт"_cp1251)},
      {"hidden file", ".profile", ".profile", ".profile"},
      {"trailing dot", "name.", "name.", "."},
      {"climbing up", "../../etc/passwd", "passwd", ""},
      {"ends in a parent folder", "a/b\\c:..", "", ""},
      {"ends in the current folder", "a\\.", "", ""},
      {"ends in a separator", "folder/", "", ""},
      {"NUL hides an extension", "report.pdf\0.exe"s, "report.pdf", ".pdf"},
      {"NUL hides a climb", "a.txt\0/../../etc/passwd"s, "a.txt", ".txt"},
      {"NUL before a parent folder", "..\0x.doc"s, "", ""},
      {"NUL first", "\0.doc"s, "", ""},
  };
  FakeMimeDatabase mime;
  TAttachedFiles files(mime);
  for (const auto& c : cases) {
    const TAttachedFile& item = files.Add(c.fullName);
    EXPECT_EQ(item.FullName, c.fullName) << c.name;
    EXPECT_EQ(item.FileName, c.fileName) << c.name;
    EXPECT_EQ(mail::FileExtensionOf(c.fullName), c.extension) << c.name;
    EXPECT_FALSE(item.EncodedLines.has_value()) << c.name;
    EXPECT_FALSE(item.Data.has_value()) << c.name;
  }
}

// Every name over the characters that matter, up to five long: none gives a file
// name that leaves its folder, nor an extension that could.
TEST(AttachedFiles, NoNameLeadsOutOfItsFolder) {
  const std::string alphabet = "a./\\:\0"s;
  std::vector<std::string> names = {""};
  for (std::size_t from = 0, length = 1; length <= 5; ++length) {
    const std::size_t to = names.size();
    for (std::size_t i = from; i < to; ++i)
      for (const char c : alphabet) names.push_back(names[i] + c);
    from = to;
  }
  const fs::path folder = "/base/folder";
  for (const std::string& name : names) {
    const std::string fileName = mail::FileNameOf(name);
    const std::string extension = mail::FileExtensionOf(name);
    EXPECT_EQ(fileName.find_first_of("/\\:\0"s), std::string::npos) << name;
    EXPECT_EQ(extension.find_first_of("/\0"s), std::string::npos) << name;
    if (!fileName.empty()) {
      EXPECT_EQ((folder / fileName).lexically_normal().parent_path(), folder) << name;
    }
    EXPECT_TRUE(fileName.ends_with(extension)) << name;
  }
}

TEST(AttachedFiles, ProposedNameIsNeverHidden) {
  struct Case {
    std::string name;
    std::string proposed;
  } cases[] = {
      {"../../.bash_profile", "bash_profile"},
      {".hidden.txt", "hidden.txt"},
      {"...", std::string("БезИмени"_cp1251)},
      {"a/.", std::string("БезИмени"_cp1251)},
      {"", std::string("БезИмени"_cp1251)},
      {".-rf", "_rf"},
      {"report.v2.doc", "report.v2.doc"},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::SafeFileNameOf(c.name), c.proposed) << c.name;
}

TEST(AttachedFiles, ContentTypeComesFromTheExtensionOrDefaults) {
  struct Case {
    const char* name;
    std::string fileName;
    std::vector<std::string> extensionsAsked;
    std::string contentType;
  } cases[] = {
      {"known extension", std::string("C:\\Мои документы\\отчёт.doc"_cp1251), {".doc"}, "application/msword"},
      {"no extension", "README", {}, "application/octet-stream"},
      {"unknown extension", "archive.unknownext", {".unknownext"}, "application/octet-stream"},
      {"dot only in a folder", "photos.gif/readme", {}, "application/octet-stream"},
      {"extension cut at NUL", "report.doc\0.exe"s, {".doc"}, "application/msword"},
  };
  for (const auto& c : cases) {
    FakeMimeDatabase mime = KnownTypes();
    TAttachedFiles files(mime);
    EXPECT_EQ(files.ContentTypeOfFile(c.fileName), c.contentType) << c.name;
    EXPECT_EQ(mime.ExtensionsAsked, c.extensionsAsked) << c.name;
    EXPECT_EQ(files.Add(c.fileName).ContentType, c.contentType) << c.name;
  }
}

TEST(AttachedFiles, ItemsKeepTheirOrderAndTheirPlaceInMemory) {
  FakeMimeDatabase mime;
  TAttachedFiles files(mime);
  EXPECT_EQ(files.Count(), 0u);
  const TAttachedFile* first = &files.Add("one.txt");
  for (int i = 0; i < 100; ++i) files.Add("more" + std::to_string(i));
  const TAttachedFile& last = files.Add("last.gif");
  EXPECT_EQ(files.Count(), 102u);
  EXPECT_EQ(&files.Items(0), first);
  EXPECT_EQ(files.Items(0).FileName, "one.txt");
  EXPECT_EQ(files.Items(50).FileName, "more49");
  EXPECT_EQ(&files.Items(101), &last);
  EXPECT_THROW(files.Items(102), std::out_of_range);
  EXPECT_THROW(std::as_const(files).Items(102), std::out_of_range);
}

TEST(AttachedFile, SizeIsTheByteCountOfData) {
  struct Case {
    const char* name;
    std::optional<std::string> data;
    std::int32_t size;
  } cases[] = {
      {"no data", std::nullopt, 0},
      {"empty data", "", 0},
      {"text", "abc", 3},
      {"every byte value", AllByteValues(), 256},
  };
  for (const auto& c : cases) {
    TAttachedFile item;
    item.Data = c.data;
    EXPECT_EQ(item.Size(), c.size) << c.name;
  }
}

TEST(AttachedFile, SavingWithoutDataRaisesAndWritesNothing) {
  TempDir dir;
  const fs::path path = dir.Path() / "never.bin";
  TAttachedFile item;
  std::ostringstream stream("head");
  stream.seekp(0, std::ios::end);
  try {
    item.SaveToFile(path);
    FAIL() << "SaveToFile without Data must raise";
  } catch (const mail::MailError& error) {
    EXPECT_EQ(std::string(error.what()), "Ошибочная операция."_cp1251);
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_THROW(item.SaveToStream(stream), mail::MailError);
  EXPECT_EQ(stream.str(), "head");
}

TEST(AttachedFile, SaveToFileWritesExactlyTheData) {
  struct Case {
    const char* name;
    std::string data;
    std::string before;  // what the file held before; empty for no file
  } cases[] = {
      {"empty data makes an empty file", "", ""},
      {"every byte value", AllByteValues(), ""},
      {"a longer file is truncated", "short", "a much longer earlier content"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const fs::path path = dir.Path() / c.name;
    if (!c.before.empty()) std::ofstream(path, std::ios::binary) << c.before;
    TAttachedFile item;
    item.Data = c.data;
    item.SaveToFile(path);
    ASSERT_TRUE(fs::exists(path)) << c.name;
    EXPECT_EQ(ReadFile(path), c.data) << c.name;
    item.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), c.data) << c.name << ", saved again";
  }
}

TEST(AttachedFile, SaveToFileRaisesTheSystemError) {
  TempDir dir;
  struct Case {
    const char* name;
    fs::path path;
    int errorNumber;
  } cases[] = {
      {"missing folder", dir.Path() / "missing" / "file.txt", ENOENT},
      {"a folder in the way", dir.Path(), EISDIR},
      {"no space left", "/dev/full", ENOSPC},
  };
  TAttachedFile item;
  item.Data = std::string(100000, 'x');  // more than a stdio buffer, so the write itself fails
  for (const auto& c : cases) {
    try {
      item.SaveToFile(c.path);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const fs::filesystem_error& error) {
      EXPECT_EQ(error.code(), std::error_code(c.errorNumber, std::generic_category())) << c.name;
      EXPECT_EQ(error.path1(), c.path) << c.name;
    }
  }
  EXPECT_EQ(item.Data, std::string(100000, 'x'));
}

TEST(AttachedFile, SaveToStreamWritesEveryByteAtTheStreamPosition) {
  TAttachedFile item;
  item.Data = AllByteValues();
  std::ostringstream stream("head:");
  stream.seekp(0, std::ios::end);
  item.SaveToStream(stream);
  item.SaveToStream(stream);
  EXPECT_EQ(stream.str(), "head:" + AllByteValues() + AllByteValues());
}

TEST(AttachedFile, SaveToStreamRaisesWhenTheStreamFails) {
  TAttachedFile item;
  item.Data = "content";
  std::ofstream closed;  // no file behind it
  EXPECT_THROW(item.SaveToStream(closed), std::ios_base::failure);
}

TEST(AttachedFiles, UnnamedPartsAreNumberedWithTheExtensionOfTheirType) {
  struct Case {
    const char* name;
    int number;
    std::string mediaType;
    std::string partName;
  } cases[] = {
      {"first text part", 1, "TEXT/PLAIN", std::string("БезИмени1.txt"_cp1251)},
      {"second, an image", 2, "IMAGE/GIF", std::string("БезИмени2.gif"_cp1251)},
      {"type in any case", 3, "Image/Gif", std::string("БезИмени3.gif"_cp1251)},
      {"unknown type has no extension", 4, "APPLICATION/X-UNHEARD-OF", std::string("БезИмени4"_cp1251)},
      {"no type", 5, "", std::string("БезИмени5"_cp1251)},
      {"numbers grow past nine", 12, "TEXT/PLAIN", std::string("БезИмени12.txt"_cp1251)},
  };
  const FakeMimeDatabase mime = KnownTypes();
  for (const auto& c : cases) EXPECT_EQ(mail::UnnamedPartName(mime, c.number, c.mediaType), c.partName) << c.name;
}

TEST(AttachedFiles, AnUnnamedPartGoesThroughAddLikeAnyName) {
  FakeMimeDatabase mime = KnownTypes();
  TAttachedFiles files(mime);
  const TAttachedFile& item = files.Add(mail::UnnamedPartName(mime, 2, "IMAGE/GIF"));
  EXPECT_EQ(item.FileName, "БезИмени2.gif"_cp1251);
  EXPECT_EQ(item.ContentType, "image/gif");
  EXPECT_THAT(mime.ExtensionsAsked, ElementsAre(".gif"));
}

}  // namespace
