// Viewing an attached file the desktop would run rather than show: a warning
// comes first, and on "Отмена" nothing is written or opened. Judged with the
// desktop's real MIME database.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/attachments/attachment_commands.h"
#include "app/attachments/runnable_files.h"
#include "platform/qt_mime_database.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/qt_environment.h"
#include "tests/support/temp_files.h"
#include "tests/support/case_names.h"

namespace {

namespace fs = std::filesystem;

struct Attachment {
  const char* name;  // of the case
  std::string fileName;
  std::string data;
  bool runs;
};

void PrintTo(const Attachment& c, std::ostream* out) { *out << c.name; }

const Attachment kAttachments[] = {
    {"a document", "report.pdf", "%PDF-1.4\n", false},
    {"a picture", "photo.jpg", "\xFF\xD8\xFF\xE0", false},
    {"plain text", "notes.txt", "hello\n", false},
    {"a shell script", "run.sh", "echo hi\n", true},
    {"a desktop entry", "launcher.desktop", "[Desktop Entry]\nType=Application\nExec=sh -c 'x'\n", true},
    {"a desktop entry behind a document's name", "invoice.pdf.desktop", "[Desktop Entry]\n", true},
    {"a program behind blanks", "invoice.pdf                    .exe", "MZ\x90", true},
    {"a program with a blank after its name", "setup.exe ", "MZ\x90", true},
    {"a program in capitals", "SETUP.EXE", "MZ\x90", true},
    {"a Java archive", "app.jar", std::string("PK\x03\x04", 4), true},
    {"a Python script", "tool.py", "print(1)\n", true},
    {"a script without an extension", "readme", "#!/bin/sh\necho hi\n", true},
    {"a script posing as text", "notes.txt", "#!/bin/sh\necho hi\n", true},
    {"a program without an extension", "program", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0", 18), true},
    {"a Windows shortcut", "photo.lnk", "L\0\0\0", true},
};

class RunnableAttachments : public ::testing::TestWithParam<Attachment> {
 protected:
  RunnableAttachments() { fs::create_directory(temp_); }

  app::AttachmentServices Services() {
    return {[](QWidget*, const QString&) { return std::optional<fs::path>(); },
            [this](const fs::path& path) {
              opened_.push_back(path);
              return true;
            },
            [this] { return temp_; }};
  }

  mail::TAttachedFile& File(const Attachment& c) {
    mail::TAttachedFile& file = files_.Add(c.fileName);
    file.Data = c.data;
    return file;
  }

  testsupport::TempDir root_;
  fs::path temp_ = root_.Path() / "tmp";
  platform::QtMimeDatabase types_;
  mail::TAttachedFiles files_{types_};
  testsupport::FakeMessageBoxes boxes_{testsupport::Unannounced::kFail};
  std::vector<fs::path> opened_;
  app::AttachmentCommands commands_{Services(), &boxes_, &types_};
};

TEST_P(RunnableAttachments, AWarningComesFirstAndCancelOpensNothing) {
  const Attachment& c = GetParam();
  const mail::TAttachedFile& file = File(c);
  EXPECT_EQ(app::RunsWhenOpened(file, &types_), c.runs);
  if (!c.runs) {
    commands_.View(file);
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(boxes_.Shown.empty());
    return;
  }
  const QString warning = QStringLiteral("Файл \"%1\" может оказаться программой: открыть его значит запустить её.\rОткрыть файл?")
                              .arg(QString::fromStdString(c.fileName));
  boxes_.Expect(testsupport::BoxKind::Warning, warning, false);
  commands_.View(file);
  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(fs::is_empty(temp_)) << "nothing written on Отмена";

  boxes_.Expect(testsupport::BoxKind::Warning, warning, true);
  commands_.View(file);
  EXPECT_EQ(opened_.size(), 1u) << "opened after OK";
  EXPECT_TRUE(boxes_.AllShown());
}

TEST_P(RunnableAttachments, WithNobodyToAskARunnableFileIsNotOpened) {
  const Attachment& c = GetParam();
  app::AttachmentCommands commands(Services(), nullptr, &types_);
  commands.View(File(c));
  EXPECT_EQ(opened_.size(), c.runs ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunnableAttachments, ::testing::ValuesIn(kAttachments), testsupport::CaseName());

}  // namespace
