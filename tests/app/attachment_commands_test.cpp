// Saving and viewing attached files, the clean-up of the viewed copies, and
// the hint that names an attachment.
#include "app/attachments/attachment_commands.h"

#include <gtest/gtest.h>

#include "tests/support/temp_files.h"
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "desktop/busy_cursor.h"
#include "mail/mail_error.h"
#include "platform/cp1251.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/qt_environment.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

namespace fs = std::filesystem;
using app::AttachmentCommands;
using app::TViewFile;
using text::operator""_cp1251;

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

unsigned Mode(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & 07777;
}

fs::path PlaceholderOf(fs::path view) { return view.replace_extension(".tmp"); }

// A view file that cannot be deleted, whoever runs the test: a folder with something in it.
void MakeUndeletable(const fs::path& view) {
  fs::remove(view);
  fs::create_directory(view);
  WriteFile(view / "held", "x");
}

std::string AllByteValues() {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

class AttachmentCommandsTest : public ::testing::Test {
 protected:
  AttachmentCommandsTest() { fs::create_directory(temp_); }

  struct Opened {
    fs::path path;
    std::string content;
    bool placeholderThere;
    int busyDepth;
  };

  app::AttachmentServices Services() {
    return {
        [this](QWidget*, const QString& proposed) {
          proposed_.push_back(proposed);
          return savePath_;
        },
        [this](const fs::path& path) {
          opened_.push_back({path, ReadFile(path), fs::exists(PlaceholderOf(path)), desktop::BusyDepth()});
          return openSucceeds_;
        },
        [this] { return temp_; },
    };
  }

  mail::TAttachedFile& File(const std::string& name, const std::string& data) {
    mail::TAttachedFile& file = files_.Add(name);
    file.Data = data;
    return file;
  }

  TempDir root_;
  fs::path temp_ = root_.Path() / "tmp";
  testsupport::FakeMimeDatabase mime_;
  mail::TAttachedFiles files_{mime_};
  bool openSucceeds_ = true;
  std::optional<fs::path> savePath_;
  std::vector<QString> proposed_;
  std::vector<Opened> opened_;
  // Says "OK" to the warning before a file that would run is viewed.
  testsupport::FakeMessageBoxes boxes_;
  AttachmentCommands commands_{Services(), &boxes_};
};

TEST_F(AttachmentCommandsTest, ViewWritesAMsgFileWithTheAttachmentsExtensionBesideItsPlaceholder) {
  const std::string data = AllByteValues();
  commands_.View(File("report.doc", data));

  ASSERT_EQ(opened_.size(), 1u);
  const fs::path view = opened_[0].path;
  EXPECT_EQ(view.parent_path(), temp_);
  EXPECT_EQ(view.extension(), ".doc");
  EXPECT_EQ(view.stem().string().rfind("msg", 0), 0u) << view;
  EXPECT_GT(view.stem().string().size(), 3u) << view;
  EXPECT_EQ(opened_[0].content, data);
  EXPECT_TRUE(opened_[0].placeholderThere);
  EXPECT_GT(opened_[0].busyDepth, 0);
  EXPECT_EQ(desktop::BusyDepth(), 0);

  EXPECT_EQ(Names(temp_), (std::vector<std::string>{view.stem().string() + ".doc", view.stem().string() + ".tmp"}));
  EXPECT_EQ(ReadFile(PlaceholderOf(view)), "");
  EXPECT_EQ(Mode(view), 0600u);
  EXPECT_EQ(Mode(PlaceholderOf(view)), 0600u);
  ASSERT_EQ(commands_.ViewFiles().size(), 1u);
  EXPECT_EQ(commands_.ViewFiles()[0]->Path, view);
}

struct NameCase {
  const char* name;
  std::string fileName;  // as the attached file holds it, Windows-1251
  std::string extension;  // of the view file, UTF-8
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

const NameCase kNames[] = {
    {"ParentFolders", "../../x.sh", ".sh"},
    {"SubFolder", "a/b.txt", ".txt"},
    {"WindowsFolders", "..\\..\\evil.bat", ".bat"},
    {"DriveAndFolder", "C:\\Windows\\win.ini", ".ini"},
    {"NoExtension", "README", ""},
    {"OnlyDots", "..", ""},
    {"TrailingDot", "report.", "."},
    {"CyrillicExtension", std::string("отчёт.докс"_cp1251), ".докс"},
    {"PlaceholderExtension", "notes.tmp", ".tmp"},
};

class ViewedNames : public AttachmentCommandsTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ViewedNames, StayInsideTheTemporaryFolderAndGoWithTheCleanUp) {
  const NameCase& c = GetParam();
  mail::TAttachedFile& file = File("placeholder", "content");
  file.FileName = c.fileName;

  commands_.View(file);

  ASSERT_EQ(opened_.size(), 1u);
  const fs::path view = opened_[0].path;
  EXPECT_EQ(view.parent_path(), temp_);
  EXPECT_EQ(view.filename().string(), view.stem().string() + c.extension);
  EXPECT_EQ(opened_[0].content, "content");
  EXPECT_EQ(Names(root_.Path()), std::vector<std::string>{"tmp"});
  // A ".tmp" attachment is viewed in its own placeholder.
  EXPECT_EQ(Names(temp_).size(), c.extension == ".tmp" ? 1u : 2u);

  commands_.CleanUp();
  EXPECT_TRUE(commands_.ViewFiles().empty());
  EXPECT_TRUE(Names(temp_).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewedNames, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AttachmentCommandsTest, EachViewGetsNamesOfItsOwn) {
  mail::TAttachedFile& file = File("report.doc", "content");
  commands_.View(file);
  commands_.View(file);

  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_NE(opened_[0].path, opened_[1].path);
  EXPECT_EQ(Names(temp_).size(), 4u);
  EXPECT_EQ(commands_.ViewFiles().size(), 2u);
}

TEST_F(AttachmentCommandsTest, ViewThatTheDesktopCannotOpenDeletesBothFilesAtOnce) {
  openSucceeds_ = false;
  commands_.View(File("report.doc", "content"));

  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].content, "content");
  EXPECT_TRUE(opened_[0].placeholderThere);
  EXPECT_TRUE(Names(temp_).empty());
  EXPECT_TRUE(commands_.ViewFiles().empty());
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST_F(AttachmentCommandsTest, ViewThatCannotWriteRaisesAndLeavesNothingBehind) {
  mail::TAttachedFile& file = files_.Add("report.doc");  // no Data: writing it raises

  EXPECT_THROW(commands_.View(file), mail::MailError);

  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(Names(temp_).empty());
  EXPECT_TRUE(commands_.ViewFiles().empty());
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST_F(AttachmentCommandsTest, ViewWithoutATemporaryFolderRaises) {
  temp_ = root_.Path() / "missing";

  EXPECT_THROW(commands_.View(File("report.doc", "content")), fs::filesystem_error);

  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(commands_.ViewFiles().empty());
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST_F(AttachmentCommandsTest, TryDeleteOfAFileThatIsNotThereSucceeds) {
  TViewFile file(temp_ / "msgabcdef.doc");
  EXPECT_TRUE(file.TryDelete());
}

TEST_F(AttachmentCommandsTest, TryDeleteRemovesTheFileAndItsPlaceholderOnly) {
  for (const char* name : {"msgabcdef.doc", "msgabcdef.tmp", "msgother.tmp"}) WriteFile(temp_ / name, "");
  TViewFile file(temp_ / "msgabcdef.doc");

  EXPECT_TRUE(file.TryDelete());
  EXPECT_EQ(Names(temp_), std::vector<std::string>{"msgother.tmp"});
}

TEST_F(AttachmentCommandsTest, TryDeleteFailsWhileTheFileCannotGoAndKeepsThePlaceholder) {
  WriteFile(temp_ / "msgabcdef.tmp", "");
  MakeUndeletable(temp_ / "msgabcdef.doc");
  TViewFile file(temp_ / "msgabcdef.doc");

  EXPECT_FALSE(file.TryDelete());
  EXPECT_TRUE(fs::exists(temp_ / "msgabcdef.doc"));
  EXPECT_TRUE(fs::exists(temp_ / "msgabcdef.tmp"));
}

TEST_F(AttachmentCommandsTest, TryDeleteFailsInAFolderThatKeepsItsFiles) {
  if (::geteuid() == 0) GTEST_SKIP() << "root deletes files from a read-only folder";
  for (const char* name : {"msgabcdef.doc", "msgabcdef.tmp"}) WriteFile(temp_ / name, "");
  fs::permissions(temp_, fs::perms::owner_read | fs::perms::owner_exec);
  TViewFile file(temp_ / "msgabcdef.doc");

  const bool deleted = file.TryDelete();
  fs::permissions(temp_, fs::perms::owner_all);

  EXPECT_FALSE(deleted);
  EXPECT_EQ(Names(temp_), (std::vector<std::string>{"msgabcdef.doc", "msgabcdef.tmp"}));
}

TEST_F(AttachmentCommandsTest, AViewFileTriesOnceMoreWhenItGoes) {
  for (const char* name : {"msgabcdef.doc", "msgabcdef.tmp"}) WriteFile(temp_ / name, "");
  { TViewFile file(temp_ / "msgabcdef.doc"); }
  EXPECT_TRUE(Names(temp_).empty());
}

TEST_F(AttachmentCommandsTest, CleanUpDeletesWhatCanGoAndKeepsWhatCannotForTheNextTick) {
  for (const char* name : {"a.doc", "b.doc", "c.doc"}) commands_.View(File(name, name));
  ASSERT_EQ(commands_.ViewFiles().size(), 3u);
  const fs::path held = commands_.ViewFiles()[1]->Path;
  MakeUndeletable(held);

  commands_.CleanUp();

  ASSERT_EQ(commands_.ViewFiles().size(), 1u);
  EXPECT_EQ(commands_.ViewFiles()[0]->Path, held);
  EXPECT_EQ(commands_.ViewFiles().capacity(), 1u);
  EXPECT_EQ(Names(temp_), (std::vector<std::string>{held.filename(), PlaceholderOf(held).filename()}));

  fs::remove_all(held);
  WriteFile(held, "closed by its viewer");
  commands_.CleanUp();

  EXPECT_TRUE(commands_.ViewFiles().empty());
  EXPECT_TRUE(Names(temp_).empty());
}

TEST_F(AttachmentCommandsTest, CommandsThatGoDeleteTheirViewedFiles) {
  {
    AttachmentCommands commands(Services());
    commands.View(File("a.doc", "a"));
    commands.View(File("b.doc", "b"));
    ASSERT_EQ(Names(temp_).size(), 4u);
  }
  EXPECT_TRUE(Names(temp_).empty());
}

TEST_F(AttachmentCommandsTest, SaveProposesTheNameAndWritesTheBytesWhereTheUserChose) {
  savePath_ = root_.Path() / "saved.doc";
  const std::string data = AllByteValues();

  commands_.Save(File(std::string("C:\\Мои документы\\отчёт.doc"_cp1251), data), nullptr);

  EXPECT_EQ(proposed_, std::vector<QString>{QStringLiteral("отчёт.doc")});
  EXPECT_EQ(ReadFile(*savePath_), data);
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST_F(AttachmentCommandsTest, CancelledSaveDoesNothing) {
  mail::TAttachedFile& file = files_.Add("report.doc");  // no Data: a write would raise

  EXPECT_NO_THROW(commands_.Save(file, nullptr));

  EXPECT_EQ(proposed_.size(), 1u);
  EXPECT_EQ(Names(root_.Path()), std::vector<std::string>{"tmp"});
}

TEST_F(AttachmentCommandsTest, SaveThatCannotWriteRaisesAndEndsTheBusyState) {
  savePath_ = root_.Path() / "missing" / "saved.doc";

  EXPECT_THROW(commands_.Save(File("report.doc", "content"), nullptr), fs::filesystem_error);

  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST(DesktopAttachmentServices, ViewFolderIsOursInsideTheSystemsTemporaryFolder) {
  TempDir folder;
  const std::optional<QByteArray> previous =
      qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
  qputenv("TMPDIR", QByteArray::fromStdString(folder.Path().string()));
  const fs::path found = app::DesktopAttachmentServices().TempFolder();
  if (previous)
    qputenv("TMPDIR", *previous);
  else
    qunsetenv("TMPDIR");

  EXPECT_EQ(found, folder.Path() / ("tessaro-" + std::to_string(::getuid())));
}

struct HintCase {
  const char* name;
  std::string fileName;  // Windows-1251
  std::string data;
  QString caption;
  QString type;
};

QString CommentOf(const char* mimeType) { return QMimeDatabase().mimeTypeForName(QLatin1String(mimeType)).comment(); }

TEST(AttachmentHint, NamesTheFileTheDesktopsTypeAndTheSize) {
  const HintCase cases[] = {
      {"KnownType", "notes.txt", std::string(1234, 'x'), QStringLiteral("notes.txt"), CommentOf("text/plain")},
      {"CyrillicName", std::string("отчёт.txt"_cp1251), "", QStringLiteral("отчёт.txt"), CommentOf("text/plain")},
      {"UnknownType", "archive.qqzzunknown", "12345", QStringLiteral("archive.qqzzunknown"),
       QStringLiteral("Неизвестный")},
      {"NoName", "", "1", QString(), QStringLiteral("Неизвестный")},
  };
  ASSERT_FALSE(CommentOf("text/plain").isEmpty());
  for (const HintCase& c : cases) {
    mail::TAttachedFile file;
    file.FileName = c.fileName;
    file.Data = c.data;
    EXPECT_EQ(app::AttachmentHint(file), QStringLiteral("Файл:[%1]  Тип:[%2]  Размер:[%3 байт]")
                                             .arg(c.caption, c.type, QString::number(c.data.size())))
        << c.name;
  }
}

}  // namespace
