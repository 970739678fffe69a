// Attached files whose names try to lead out of a folder, hide, pose as an
// option or break a line, given directly or only after their encoded words
// are decoded. The save dialog is offered a plain name, and viewing writes
// one new private file in the temporary folder and nothing anywhere else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QString>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <ostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/attachments/attachment_commands.h"
#include "mail/message.h"
#include "mail/pop3_session.h"
#include "platform/posix_tcp_client.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/support/qt_environment.h"
#include "tests/support/temp_files.h"
#include "tests/support/case_names.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

struct HostileName {
  const char* name;
  std::string attached;  // the name as the attached file gets it, when `header` is empty
  std::string header;    // else the part's header line that names it, encoded
};

const HostileName kHostileNames[] = {
    {"parent folders", "../../.bashrc", ""},
    {"absolute path", "/etc/passwd", ""},
    {"backslash parent", "..\\x", ""},
    {"subfolder", "a/b", ""},
    {"empty", "", ""},
    {"dot dot", "..", ""},
    {"dot", ".", ""},
    {"zero byte", std::string("ok.txt\0/../../evil", 18), ""},
    {"carriage return", "a\rb.txt", ""},
    {"line feed", "a\nb.txt", ""},
    {"escape sequence", "\x1B[31mred\x7F.txt", ""},
    {"300 bytes", std::string(300, 'n') + ".txt", ""},
    {"300 bytes without an extension", std::string(300, 'n'), ""},
    {"300 Cyrillic letters", std::string(300, '\xFF') + ".doc", ""},
    {"300 byte extension", "a." + std::string(300, 'e'), ""},
    {"leading dash", "-rf", ""},
    {"hidden file", ".bash_profile", ""},
    {"dots only", "...", ""},
    {"dot before a dash", ".-rf", ""},
    {"koi8-r hidden file in filename=", "", "Content-Disposition: attachment; filename=\"=?koi8-r?Q?=2Eprofile?=\""},
    {"windows-1251 parent folders in name=",
     "", "Content-Type: application/octet-stream; name=\"=?windows-1251?B?Li4vLi4vLmJhc2hyYw==?=\""},
    {"windows-1251 absolute path in filename=",
     "", "Content-Disposition: attachment; filename=\"=?windows-1251?B?L2V0Yy9wYXNzd2Q=?=\""},
    {"windows-1251 line break in filename=",
     "", "Content-Disposition: attachment; filename=\"=?windows-1251?B?YQ0KYi50eHQ=?=\""},
    {"windows-1251 leading dash in name=",
     "", "Content-Type: application/octet-stream; name=\"=?windows-1251?B?LXJmIC0tbm8tcHJlc2VydmUtcm9vdA==?=\""},
    {"koi8-r backslash parent in name=", "",
     "Content-Type: application/octet-stream; name=\"=?koi8-r?Q?=2E=2E=5Cx?=\""},
    {"koi8-r dot dot in filename=", "", "Content-Disposition: attachment; filename=\"=?koi8-r?Q?=2E=2E?=\""},
    {"koi8-r slashes in filename=", "", "Content-Disposition: attachment; filename=\"=?koi8-r?Q?=2Fetc=2Fpasswd?=\""},
    {"koi8-r zero byte in name=", "", "Content-Type: application/octet-stream; name=\"=?koi8-r?Q?a=00=2F=2E=2E?=\""},
    {"koi8-r line feed in name=", "", "Content-Type: application/octet-stream; name=\"=?koi8-r?Q?a=0Ab.txt?=\""},
    {"koi8-r Cyrillic behind a parent folder", "",
     "Content-Type: application/octet-stream; name=\"=?koi8-r?B?Li4v79Teo9QuZG9j?=\""},
};

void PrintTo(const HostileName& c, std::ostream* out) { *out << c.name; }

std::set<fs::path> Tree(const fs::path& root) {
  std::set<fs::path> paths;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) paths.insert(entry.path());
  return paths;
}

class AttachmentNames : public ::testing::TestWithParam<HostileName> {
 protected:
  AttachmentNames() { fs::create_directory(temp_); }

  // The attached file as the body parser or the list makes it, holding "data".
  mail::TAttachedFile& Attached(const HostileName& c) {
    if (c.header.empty()) {
      mail::TAttachedFile& file = files_.Add(c.attached);
      file.Data = "data";
      return file;
    }
    message_ = session_.ParseMessage(
        "+OK\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\ntext\r\n\r\n"
        "--b\r\n" +
        c.header + "\r\nContent-Transfer-Encoding: base64\r\n\r\nZGF0YQ==\r\n--b--\r\n.\r\n");
    EXPECT_EQ(message_->AttachedFiles.Count(), 1u);
    return message_->AttachedFiles.Items(0);
  }

  app::AttachmentServices Services() {
    return {
        [this](QWidget*, const QString& proposed) {
          proposed_.push_back(proposed);
          return std::optional<fs::path>();
        },
        [this](const fs::path& path) {
          opened_.push_back(path);
          return true;
        },
        [this] { return temp_; },
    };
  }

  testsupport::TempDir root_;
  fs::path temp_ = root_.Path() / "tmp";
  testsupport::FakeMimeDatabase mime_;
  mail::TAttachedFiles files_{mime_};
  mail::TKelPOP session_{std::make_unique<platform::PosixTcpClient>(), {}, &mime_};
  std::unique_ptr<mail::TKelMsg> message_;
  std::vector<QString> proposed_;
  std::vector<fs::path> opened_;
  app::AttachmentCommands commands_{Services()};
};

TEST_P(AttachmentNames, SaveProposesAPlainNameAndViewWritesOnlyItsOwnPrivateFile) {
  const mail::TAttachedFile& file = Attached(GetParam());
  const std::set<fs::path> before = Tree(root_.Path());

  commands_.Save(file, nullptr);
  ASSERT_EQ(proposed_.size(), 1u);
  const QString proposed = proposed_[0];
  EXPECT_FALSE(proposed.contains('/')) << proposed.toStdString();
  EXPECT_FALSE(proposed.contains('\\')) << proposed.toStdString();
  EXPECT_NE(proposed, ".");
  EXPECT_NE(proposed, "..");
  EXPECT_FALSE(proposed.startsWith('-')) << proposed.toStdString();
  EXPECT_FALSE(proposed.startsWith('.')) << proposed.toStdString();
  EXPECT_FALSE(proposed.isEmpty());
  EXPECT_LE(proposed.toUtf8().size(), 255);
  const auto control = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; };
  EXPECT_TRUE(std::none_of(proposed.begin(), proposed.end(), control)) << proposed.toStdString();
  EXPECT_EQ(Tree(root_.Path()), before) << "a cancelled save writes nothing";

  commands_.View(file);
  ASSERT_EQ(opened_.size(), 1u);
  const fs::path view = opened_[0];
  EXPECT_EQ(view.parent_path(), temp_);
  EXPECT_TRUE(view.filename().string().starts_with("msg")) << view;
  EXPECT_LE(view.filename().string().size(), 255u);
  struct stat status {};
  ASSERT_EQ(::lstat(view.c_str(), &status), 0);
  EXPECT_TRUE(S_ISREG(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0600u) << "private and not executable";
  EXPECT_EQ(ReadFile(view), "data");

  std::set<fs::path> added;
  for (const fs::path& path : Tree(root_.Path()))
    if (!before.contains(path)) added.insert(path);
  fs::path placeholder = view;
  placeholder.replace_extension(".tmp");
  EXPECT_EQ(added, (std::set<fs::path>{view, placeholder}));
}

INSTANTIATE_TEST_SUITE_P(Cases, AttachmentNames, ::testing::ValuesIn(kHostileNames), testsupport::CaseName());

}  // namespace
