// tessaro-check: one check pass over one mailbox, printed as JSON Lines.
// The password comes from TESSARO_PASSWORD or, when that is unset, from the
// first line of standard input; it is never printed. On a server that does
// not answer LAST, "new" counts the unique ids the previous complete pass did
// not see, from the same record the application keeps.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <numeric>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_error.h"
#include "mail/new_mail_count.h"
#include "mail/pop3_session.h"
#include "mail/text_utils.h"
#include "platform/cp1251.h"
#include "platform/freed_memory.h"
#include "platform/posix_tcp_client.h"
#include "platform/qt_mime_database.h"
#include "platform/seen_ids_store.h"
#include "tools/check_options.h"
#include "tools/message_json.h"

namespace {

enum ExitStatus { kOk = 0, kConnectFailed = 2, kLoginFailed = 3, kPassFailed = 4, kUsage = 64 };

constexpr const char* kUsageText =
    "usage: tessaro-check [--port N] [--timeout SECONDS] [--security none|tls|starttls] HOST USER\n"
    "The password is read from TESSARO_PASSWORD, or else from the first line of standard input.\n";

std::string ReadPassword() {
  if (const char* fromEnvironment = std::getenv("TESSARO_PASSWORD")) return fromEnvironment;
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Reports a failure the way the application's status line would.
int Fail(int status, const std::string& cp1251Text) {
  std::cerr << text::Cp1251ToUtf8(cp1251Text) << '\n';
  return status;
}

// One message: its JSON line, or an error line when it cannot be parsed.
// Answers false when the session ended and the pass cannot go on.
bool CheckMessage(mail::TKelPOP& session, std::uint32_t n, std::uint32_t& failed) {
  std::unique_ptr<mail::TKelMsg> message;
  try {
    message = session.Retrieve(n);
  } catch (const mail::MailError& error) {
    ++failed;
    std::cout << nlohmann::json{{"number", n}, {"error", text::Cp1251ToUtf8(error.what())}}.dump() << std::endl;
    return session.Connected();
  }
  if (!message) return false;
  const std::string topHeaders = session.RetrieveHeaders(n);
  if (!session.Connected()) return false;
  std::cout << tools::MessageJson(n, session.MsgSize(), *message, topHeaders).dump() << std::endl;
  return true;
}

// The unique ids, when they are what tells new mail: LAST refused and UIDL answered.
std::optional<mail::UniqueIdList> IdsForNewMail(mail::TKelPOP& session) {
  if (!session.LastRefused()) return std::nullopt;
  mail::UniqueIdList ids = session.UniqueIds();
  if (!session.Connected() || !mail::IdsCoverMailbox(ids, session.MsgCount())) return std::nullopt;
  return ids;
}

int RunPass(mail::TKelPOP& session, platform::SeenIdsStore& seenIds) {
  using text::operator""_cp1251;
  std::optional<std::string> sessionError;
  session.OnError = [&](mail::TKelPOP&, int, const std::string& message) { sessionError = message; };

  session.Connect();
  if (!session.Connected()) return Fail(kConnectFailed, std::string("Ошибка при подключени к серверу: "_cp1251) + session.Host);
  if (!session.Login()) return Fail(kLoginFailed, std::string("Ошибка при входе под именем: "_cp1251) + session.UserId);
  std::uint32_t fresh = session.CountNew();
  if (sessionError) return Fail(kPassFailed, *sessionError);
  const std::optional<mail::UniqueIdList> ids = IdsForNewMail(session);
  if (sessionError) return Fail(kPassFailed, *sessionError);
  const platform::MailboxKey mailbox{session.Host, static_cast<int>(mail::ToIntDef(session.Port, 110)),
                                     session.UserId};
  if (ids) fresh = mail::CountUnseen(*ids, seenIds.Load(mailbox));
  const std::uint32_t count = session.MsgCount();
  std::uint32_t failed = 0;
  // TESSARO_NO_PIPELINING set gives the plain pass, one command at a time, to measure against.
  if (!std::getenv("TESSARO_NO_PIPELINING")) {
    std::vector<std::uint32_t> numbers(count);
    std::iota(numbers.begin(), numbers.end(), 1u);
    session.SendAhead(std::move(numbers));
  }
  for (std::uint32_t n = 1; n <= count; ++n)
    if (!CheckMessage(session, n, failed)) return Fail(kPassFailed, sessionError.value_or(std::string()));
  session.Quit();
  if (sessionError) return Fail(kPassFailed, *sessionError);
  if (ids && !seenIds.Save(mailbox, mail::SeenAfterPass(*ids)))
    std::cerr << "cannot record the unique ids seen in " << platform::FileSeenIdsStore::DefaultFolder() << '\n';

  nlohmann::json summary{{"count", count}, {"new", fresh}};
  if (failed > 0) summary["failed"] = failed;
  std::cout << summary.dump() << std::endl;
  return failed > 0 ? kPassFailed : kOk;
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
  platform::KeepFreedMemoryForReuse();
  auto connection = std::make_unique<platform::PosixTcpClient>();
  connection->ConnectTimeoutMs = options->timeoutSeconds * 1000;
  const platform::QtMimeDatabase mimeDatabase;
  mail::TKelPOP session(std::move(connection), {}, &mimeDatabase);
  session.Host = options->host;
  session.Port = options->port;
  session.Security = options->security;
  session.UserId = text::Utf8ToCp1251(options->user);
  session.Passwd = text::Utf8ToCp1251(ReadPassword());
  session.ReplyTimeoutMs = options->timeoutSeconds * 1000;
  try {
    platform::FileSeenIdsStore seenIds(platform::FileSeenIdsStore::DefaultFolder());
    return RunPass(session, seenIds);
  } catch (const std::exception& error) {
    return Fail(kPassFailed, error.what());
  }
}
