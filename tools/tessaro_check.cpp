// tessaro-check: one check pass over one mailbox, printed as JSON Lines.
// The password comes from TESSARO_PASSWORD or, when that is unset, from the
// first line of standard input; it is never printed.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "platform/posix_tcp_client.h"
#include "platform/qt_mime_database.h"
#include "tools/check_options.h"
#include "tools/message_json.h"

namespace {

enum ExitStatus { kOk = 0, kConnectFailed = 2, kLoginFailed = 3, kPassFailed = 4, kUsage = 64 };

constexpr const char* kUsageText =
    "usage: tessaro-check [--port N] [--timeout SECONDS] HOST USER\n"
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

int RunPass(mail::TKelPOP& session) {
  using text::operator""_cp1251;
  std::optional<std::string> sessionError;
  session.OnError = [&](mail::TKelPOP&, int, const std::string& message) { sessionError = message; };

  session.Connect();
  if (!session.Connected()) return Fail(kConnectFailed, std::string("Ошибка при подключени к серверу: "_cp1251) + session.Host);
  if (!session.Login()) return Fail(kLoginFailed, std::string("Ошибка при входе под именем: "_cp1251) + session.UserId);
  const std::uint32_t fresh = session.CountNew();
  if (sessionError) return Fail(kPassFailed, *sessionError);
  const std::uint32_t count = session.MsgCount();
  std::uint32_t failed = 0;
  for (std::uint32_t n = 1; n <= count; ++n)
    if (!CheckMessage(session, n, failed)) return Fail(kPassFailed, sessionError.value_or(std::string()));
  session.Quit();
  if (sessionError) return Fail(kPassFailed, *sessionError);

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
  auto connection = std::make_unique<platform::PosixTcpClient>();
  connection->ConnectTimeoutMs = options->timeoutSeconds * 1000;
  const platform::QtMimeDatabase mimeDatabase;
  mail::TKelPOP session(std::move(connection), {}, &mimeDatabase);
  session.Host = options->host;
  session.Port = options->port;
  session.UserId = text::Utf8ToCp1251(options->user);
  session.Passwd = text::Utf8ToCp1251(ReadPassword());
  session.ReplyTimeoutMs = options->timeoutSeconds * 1000;
  try {
    return RunPass(session);
  } catch (const std::exception& error) {
    return Fail(kPassFailed, error.what());
  }
}
