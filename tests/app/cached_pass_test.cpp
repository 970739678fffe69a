// Check passes that keep the previous pass's messages: against Dovecot, which
// gives unique ids, and a scripted server that refuses them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/view/message_view.h"
#include "app/view/shown_message.h"
#include "app/window/main_form.h"
#include "mail/pop3_session.h"
#include "platform/message_store.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/temp_files.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A text part and a small base64 file, so that kept messages carry decoded files too.
std::string WithFile(const std::string& subject) {
  return "From: anna@example.org\r\nSubject: " + subject +
         "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
         "--b\r\nContent-Type: text/plain\r\n\r\nText of " + subject +
         ".\r\n--b\r\nContent-Type: application/octet-stream; name=\"" + subject +
         ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\nSGVsbG8sIHdvcmxkIQ==\r\n--b--\r\n";
}

std::vector<std::string> Mailbox(int count) {
  std::vector<std::string> messages;
  for (int i = 1; i <= count; ++i) messages.push_back(WithFile("m" + std::to_string(i)));
  return messages;
}

// What a message shows the user and what the delete command finds it by.
struct Summary {
  bool operator==(const Summary&) const = default;

  std::string account;
  std::string subject;
  std::string topHeaders;
  mail::Lines text;
  std::vector<std::pair<std::string, std::string>> files;
};

void PrintTo(const Summary& s, std::ostream* out) { *out << s.account << "/" << s.subject; }

class CachedPassTest : public MainFormTest {
 protected:
  // The form, with every retrieval recorded as "user number".
  app::TMainForm& MakeRecordingForm(int port) {
    app::TMainForm& form = MakeForm(port);
    auto original = form.KelPOP2().OnBeforeRetrieve;
    form.KelPOP2().OnBeforeRetrieve = [this, original](mail::TKelPOP& session, std::uint32_t number) {
      Retrieved.push_back(session.UserId + " " + std::to_string(number));
      original(session, number);
    };
    return form;
  }

  // The window after its first pass over bob's mailbox on `port`, messages kept.
  app::TMainForm& PassedKeepingMessages(int port) {
    Settings.CacheMessages = true;
    Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
    app::TMainForm& form = MakeRecordingForm(port);
    form.FormCreate();
    return form;
  }

  // The messages as the window shows them: a stored one read back whole.
  std::vector<Summary> Summaries(app::TMainForm& form) {
    std::shared_ptr<platform::MessageStore> store;
    if (StoreMessages) store = std::make_shared<platform::FileMessageStore>(StoreFolder());
    app::ShownMessage shown(form.KelPOP2(), store);
    std::vector<Summary> summaries;
    for (std::size_t i = 0; i < form.KelMsgList2().Count(); ++i) {
      const mail::TKelMsg& message = *shown.Of(&form.KelMsgList2().Items(i));
      Summary summary;
      summary.account = message.AccountHost + " " + message.AccountUserId + " " + message.AccountPasswd;
      summary.subject = message.Subject;
      summary.topHeaders = message.TopHeaders;
      summary.text = message.Text;
      for (std::size_t f = 0; f < message.AttachedFiles.Count(); ++f)
        summary.files.emplace_back(message.AttachedFiles.Items(f).FileName,
                                   message.AttachedFiles.Items(f).Data.value_or("(none)"));
      summaries.push_back(std::move(summary));
    }
    return summaries;
  }

  std::vector<std::string> Retrieved;
};

struct SecondPassCase {
  const char* name;
  bool cacheMessages;
  std::vector<std::string> retrieved;
};

void PrintTo(const SecondPassCase& c, std::ostream* out) { *out << c.name; }

class SecondPassTest : public CachedPassTest, public ::testing::WithParamInterface<SecondPassCase> {};

TEST_P(SecondPassTest, GivesTheListOfAFullDownload) {
  DovecotServer server({{"bob", "secret", Mailbox(3)}});
  Settings.CacheMessages = GetParam().cacheMessages;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeRecordingForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(Retrieved, ElementsAre("bob 1", "bob 2", "bob 3"));
  const std::vector<Summary> full = Summaries(form);
  ASSERT_EQ(full.size(), 3u);
  ASSERT_EQ(full[1].files.size(), 1u);
  EXPECT_EQ(full[1].files[0].second, "Hello, world!");

  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_EQ(Retrieved, GetParam().retrieved);
  EXPECT_EQ(Summaries(form), full);
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Прочитано писем: 3");
}

const SecondPassCase kSecondPassCases[] = {
    {"Kept", true, {}},
    {"OptionOff", false, {"bob 1", "bob 2", "bob 3"}},
};

INSTANTIATE_TEST_SUITE_P(CachedPass, SecondPassTest, ::testing::ValuesIn(kSecondPassCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CachedPassTest, AnUnknownMessageIsFetchedInItsPlaceAndADeletedOneIsGone) {
  DovecotServer server({{"bob", "secret", Mailbox(4)}});
  StoreMessages = false;  // the messages kept in memory alone
  Settings.CacheMessages = true;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeRecordingForm(server.Port());
  form.FormCreate();
  std::vector<Summary> expected = Summaries(form);
  // m2 leaves the list only, so the next pass does not know it; m3 leaves the server.
  form.KelMsgList2().Delete(1);
  DeleteElsewhere(server.Port(), "bob", "secret", 3);
  expected.erase(expected.begin() + 2);

  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_THAT(Retrieved, ElementsAre("bob 2"));
  EXPECT_EQ(Summaries(form), expected);
}

TEST_F(CachedPassTest, AMessageDeletedByTheProgramDoesNotComeBack) {
  DovecotServer server({{"bob", "secret", Mailbox(3)}});
  Settings.CacheMessages = true;
  Settings.DeleteConf = false;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeRecordingForm(server.Port());
  form.FormCreate();
  std::vector<Summary> expected = Summaries(form);
  form.TBDeleteClick();  // the first message
  ASSERT_EQ(server.MessagesStored("bob"), 2u);
  expected.erase(expected.begin());

  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_THAT(Retrieved, IsEmpty());
  EXPECT_EQ(Summaries(form), expected);
}

TEST_F(CachedPassTest, MessagesOfAnAccountLeftOutAreDroppedAndFetchedAgainLater) {
  DovecotServer server({{"anna", "a-secret", Mailbox(2)}, {"boris", "b-secret", Mailbox(2)}});
  StoreMessages = false;  // the messages kept in memory alone
  Settings.CacheMessages = true;
  Settings.AccountList = {{"127.0.0.1", "anna", "a-secret", true}, {"127.0.0.1", "boris", "b-secret", true}};
  auto& form = MakeRecordingForm(server.Port());
  form.FormCreate();
  const std::vector<Summary> both = Summaries(form);

  form.AccountList()[0].Checked = false;
  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_THAT(Retrieved, IsEmpty());
  EXPECT_EQ(Summaries(form), std::vector<Summary>(both.begin() + 2, both.end()));

  form.AccountList()[0].Checked = true;
  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_THAT(Retrieved, ElementsAre("anna 1", "anna 2"));
  EXPECT_EQ(Summaries(form), both);
}

// The status line when the shown message's content is gone from the store.
const char* const kGoneFromStore =
    "Текст письма и его файлы больше не хранятся на диске: письмо будет получено заново при следующей проверке.";

// The body the window shows.
QString ShownBody(app::TMainForm& form) {
  return form.View()->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
}

// The entry files of the store, below its folder.
std::vector<std::filesystem::path> StoredEntries(const std::string& folder) {
  std::vector<std::filesystem::path> entries;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
    if (entry.path().extension() == ".msg") entries.push_back(entry.path());
  return entries;
}

TEST_F(CachedPassTest, ARestartWithNoNewMailDownloadsNothing) {
  DovecotServer server({{"bob", "secret", Mailbox(3)}});
  PassedKeepingMessages(server.Port());
  const std::vector<Summary> full = Summaries(Form());
  ASSERT_EQ(StoredEntries(StoreFolder()).size(), 3u);

  Retrieved.clear();
  auto& restarted = MakeRecordingForm(server.Port());
  restarted.FormCreate();
  EXPECT_THAT(Retrieved, IsEmpty());
  EXPECT_EQ(Summaries(restarted), full);
  EXPECT_EQ(restarted.QorStatusBar1()->SimpleText().toStdString(), "Прочитано писем: 3");
}

TEST_F(CachedPassTest, TheStoreKeepsOnlyWhatIsOnTheServerAndIsPrivate) {
  DovecotServer server({{"bob", "secret", Mailbox(3)}});
  auto& form = PassedKeepingMessages(server.Port());
  DeleteElsewhere(server.Port(), "bob", "secret", 2);
  form.TBRefreshClick();
  const std::vector<std::filesystem::path> entries = StoredEntries(StoreFolder());
  EXPECT_EQ(entries.size(), 2u);
  for (const auto& entry : entries) {
    EXPECT_EQ(Mode(entry), 0600u);
    EXPECT_EQ(Mode(entry.parent_path()), 0700u);
  }
  EXPECT_EQ(Mode(StoreFolder()), 0700u);
}

TEST_F(CachedPassTest, ADamagedEntryIsFetchedAgain) {
  DovecotServer server({{"bob", "secret", Mailbox(2)}});
  PassedKeepingMessages(server.Port());
  const std::vector<Summary> full = Summaries(Form());
  std::vector<std::filesystem::path> entries = StoredEntries(StoreFolder());
  ASSERT_EQ(entries.size(), 2u);
  for (const auto& entry : entries) {
    std::string bytes = ReadFile(entry);
    bytes[bytes.find("\n\n") + 2] ^= 1;  // the first byte of the listing
    WriteText(entry, bytes);
  }

  Retrieved.clear();
  auto& restarted = MakeRecordingForm(server.Port());
  restarted.FormCreate();
  EXPECT_THAT(Retrieved, ElementsAre("bob 1", "bob 2"));
  EXPECT_EQ(Summaries(restarted), full);
}

// A restart reads the listings alone; a damaged reply is found when its
// message is shown, and the message is fetched again at the next pass.
TEST_F(CachedPassTest, ADamagedReplyIsFoundWhenShownAndFetchedAgain) {
  DovecotServer server({{"bob", "secret", Mailbox(2)}});
  PassedKeepingMessages(server.Port());
  const std::vector<Summary> full = Summaries(Form());
  for (const auto& entry : StoredEntries(StoreFolder())) {
    std::string bytes = ReadFile(entry);
    bytes[bytes.size() - 3] ^= 1;  // a byte of the stored reply
    WriteText(entry, bytes);
  }

  Retrieved.clear();
  auto& restarted = MakeRecordingForm(server.Port());
  restarted.FormCreate();  // lists both, shows the first
  EXPECT_THAT(Retrieved, IsEmpty());
  EXPECT_EQ(ShownBody(restarted), QString());
  EXPECT_EQ(restarted.QorStatusBar1()->SimpleText().toStdString(), kGoneFromStore);

  restarted.TBRefreshClick();
  EXPECT_THAT(Retrieved, ElementsAre("bob 1"));
  EXPECT_EQ(Summaries(restarted).front(), full.front());
}

TEST_F(CachedPassTest, AStoredMessageIsListedWithoutItsContentAndShownWhole) {
  DovecotServer server({{"bob", "secret", Mailbox(2)}});
  auto& form = PassedKeepingMessages(server.Port());
  ASSERT_EQ(form.KelMsgList2().Count(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const mail::TKelMsg& listed = form.KelMsgList2().Items(i);
    EXPECT_TRUE(listed.ContentStored);
    EXPECT_THAT(listed.Text, IsEmpty());
    ASSERT_EQ(listed.AttachedFiles.Count(), 1u);
    EXPECT_EQ(listed.AttachedFiles.Items(0).FileName, "m" + std::to_string(i + 1) + ".bin");
    EXPECT_FALSE(listed.AttachedFiles.Items(0).Data);
  }

  form.CurrentIndex = 1;
  form.ShowCurrentMessage();
  EXPECT_EQ(ShownBody(form).toStdString(), "Text of m2.");
  const mail::TAttachedFile* file = form.View()->SelectedFile();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Data, "Hello, world!");
}

TEST_F(CachedPassTest, AMessageGoneFromTheStoreIsShownAsListedAndFetchedAtTheNextPass) {
  DovecotServer server({{"bob", "secret", Mailbox(2)}});
  auto& form = PassedKeepingMessages(server.Port());
  const std::vector<Summary> full = Summaries(form);
  std::filesystem::remove_all(StoreFolder());

  form.CurrentIndex = 1;  // the first one is shown, and held whole, already
  form.ShowCurrentMessage();
  EXPECT_EQ(ShownBody(form), QString());
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), kGoneFromStore);

  Retrieved.clear();
  form.TBRefreshClick();
  EXPECT_THAT(Retrieved, ElementsAre("bob 1", "bob 2"));
  EXPECT_EQ(Summaries(form), full);
}

TEST_F(CachedPassTest, WithTheOptionOffNothingIsStored) {
  DovecotServer server({{"bob", "secret", Mailbox(2)}});
  auto& form = PassedKeepingMessages(server.Port());
  ASSERT_EQ(StoredEntries(StoreFolder()).size(), 2u);
  form.Settings().CacheMessages = false;
  form.TBRefreshClick();
  EXPECT_THAT(StoredEntries(StoreFolder()), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(StoreFolder()));
}

// A server that answers LAST but refuses UIDL: the pass fetches every message
// as it does with the option off, command for command.
TEST_F(CachedPassTest, RefusedUniqueIdsFallBackToTheFullDownload) {
  const std::vector<std::string> messages = Mailbox(2);
  std::vector<Step> script = PassScript(messages, "+OK 0\r\n");
  const auto afterLast = script.begin() + static_cast<std::ptrdiff_t>(LoginSteps().size() + 4);
  script.insert(afterLast, {Client("UIDL\r\n"), Server("-ERR unknown command\r\n")});
  FakePop3Server server(script);
  Settings.CacheMessages = true;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeRecordingForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_THAT(Retrieved, ElementsAre("bob 1", "bob 2"));
  ASSERT_EQ(form.KelMsgList2().Count(), 2u);
  EXPECT_EQ(form.KelMsgList2().Items(1).TopHeaders, TopHeaders(messages[1]));
}

}  // namespace
