// tessaro-check: one check pass over one mailbox, printed as JSON Lines.
// The password comes from TESSARO_PASSWORD or, when that is unset, from
// Tessaro's keyring entry (with --keyring) or the first line of standard
// input; it is never printed. On a server that does not answer LAST, "new"
// counts the unique ids the previous complete pass did not see, from the same
// record the application keeps.
#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "mail/mailbox_pass.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "platform/core_dumps.h"
#include "platform/freed_memory.h"
#include "platform/posix_tcp_client.h"
#include "platform/qt_keyring.h"
#include "platform/qt_mime_database.h"
#include "platform/seen_ids_store.h"
#include "tools/check_options.h"
#include "tools/message_json.h"

namespace {

enum ExitStatus { kOk = 0, kConnectFailed = 2, kLoginFailed = 3, kPassFailed = 4, kNoPassword = 5, kUsage = 64 };

constexpr const char* kUsageText =
    "usage: tessaro-check [--port N] [--timeout SECONDS] [--security none|tls|starttls]\n"
    "                     [--auth user|apop|plain|xoauth2|oauthbearer] [--password-command CMD] [--keyring]\n"
    "                     HOST USER\n"
    "The password (for OAuth 2.0 the access token) is the first line CMD prints, else TESSARO_PASSWORD,\n"
    "else with --keyring Tessaro's keyring entry USER@HOST:PORT, else the first line of standard input.\n";

// The entry Tessaro's settings write; the keyring's jobs need an event loop of Qt's.
std::optional<std::string> ReadKeyringPassword(int argc, char** argv, const tools::CheckOptions& options) {
  const QCoreApplication application(argc, argv);
  const std::string key = platform::KeyringKey(options.user, options.host, std::stoi(options.port));
  const platform::KeyringRead read = platform::QtKeyring().Read(key);
  switch (read.outcome) {
    case platform::KeyringRead::Outcome::kPassword:
      return read.password;
    case platform::KeyringRead::Outcome::kNoEntry:
      std::cerr << "в связке ключей нет пароля " << key << '\n';
      break;
    case platform::KeyringRead::Outcome::kLocked:
      std::cerr << "связка ключей заблокирована: откройте её, чтобы прочитать пароль " << key << '\n';
      break;
    case platform::KeyringRead::Outcome::kUnavailable:
      std::cerr << read.error << '\n';
      break;
  }
  return std::nullopt;
}

std::string ReadLine() {
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Nothing when the keyring was asked and gave no password; the reason is printed.
std::optional<std::string> ReadPassword(int argc, char** argv, const tools::CheckOptions& options) {
  if (const char* fromEnvironment = std::getenv("TESSARO_PASSWORD")) return fromEnvironment;
  if (options.keyring) return ReadKeyringPassword(argc, argv, options);
  return ReadLine();
}

// Reports a failure the way the application's status line would.
int Fail(int status, const std::string& cp1251Text) {
  std::cerr << text::Cp1251ToUtf8(cp1251Text) << '\n';
  return status;
}

// Prints each message as one JSON line, or an error line when it cannot be parsed.
class PrintedPass : public mail::PassObserver {
 public:
  void Counted(std::uint32_t count, std::uint32_t fresh) override {
    count_ = count;
    fresh_ = fresh;
  }
  void Fetched(mail::FetchedMessage fetched) override {
    if (!fetched.topHeadersRead) return;
    std::cout << tools::MessageJson(fetched.number, fetched.size, *fetched.message, fetched.topHeaders).dump()
              << std::endl;
  }
  void Unreadable(std::uint32_t number, const std::string& error) override {
    ++failed_;
    std::cout << nlohmann::json{{"number", number}, {"error", text::Cp1251ToUtf8(error)}}.dump() << std::endl;
  }
  void SeenIdsNotRecorded() override {
    std::cerr << "cannot record the unique ids seen in " << platform::FileSeenIdsStore::DefaultFolder() << '\n';
  }

  int Summary() const {
    nlohmann::json summary{{"count", count_}, {"new", fresh_}};
    if (failed_ > 0) summary["failed"] = failed_;
    std::cout << summary.dump() << std::endl;
    return failed_ > 0 ? kPassFailed : kOk;
  }

 private:
  std::uint32_t count_ = 0;
  std::uint32_t fresh_ = 0;
  std::uint32_t failed_ = 0;
};

int RunPass(mail::TKelPOP& session, platform::SeenIdsStore& seenIds) {
  using text::operator""_cp1251;
  PrintedPass printed;
  // TESSARO_NO_PIPELINING set gives the plain pass, one command at a time, to measure against.
  mail::MailboxPass pass(session, seenIds, printed, {.sendAhead = !std::getenv("TESSARO_NO_PIPELINING")});
  switch (pass.Run()) {
    case mail::PassStage::NotConnected:
      return Fail(kConnectFailed, std::string("Ошибка при подключени к серверу: "_cp1251) + session.Host);
    case mail::PassStage::NotLoggedIn: {
      // The server's refusal word for word: it often names what the user must do.
      const std::string& why = session.Failure().Text();
      return Fail(kLoginFailed, std::string("Ошибка при входе под именем: "_cp1251) + session.UserId +
                                    (why.empty() ? "" : " (" + why + ")"));
    }
    case mail::PassStage::LoggedIn:
      break;
  }
  if (session.Failure().EndedSession()) return Fail(kPassFailed, session.Failure().Text());
  return printed.Summary();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsageText;
    return kOk;
  }
  const auto options = tools::ParseCheckOptions(argc, argv);
  if (!options) {
    std::cerr << kUsageText;
    return kUsage;
  }
  // The password stays out of core files.
  if (!platform::ForbidCoreDumps()) std::cerr << "core dumps could not be turned off\n";
  platform::KeepFreedMemoryForReuse();
  auto connection = std::make_unique<platform::PosixTcpClient>();
  connection->ConnectTimeoutMs = options->timeoutSeconds * 1000;
  const platform::QtMimeDatabase mimeDatabase;
  mail::TKelPOP session(std::move(connection), {}, &mimeDatabase);
  session.Host = options->host;
  session.Port = options->port;
  session.Security = options->security;
  session.Method = options->login;
  session.UserId = text::Utf8ToCp1251(options->user);
  session.PasswordCommand = options->passwordCommand;
  if (session.PasswordCommand.empty()) {
    const std::optional<std::string> password = ReadPassword(argc, argv, *options);
    if (!password) return kNoPassword;
    session.Passwd = text::Utf8ToCp1251(*password);
  }
  session.ReplyTimeoutMs = options->timeoutSeconds * 1000;
  try {
    platform::FileSeenIdsStore seenIds(platform::FileSeenIdsStore::DefaultFolder());
    return RunPass(session, seenIds);
  } catch (const std::exception& error) {
    // A step on an ended session throws; what ended it is the cause to tell.
    return Fail(kPassFailed, session.Failure().EndedSession() ? session.Failure().Text() : error.what());
  }
}
