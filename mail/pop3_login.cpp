// The session's login, by the account's method. Nothing falls back to another
// method by itself: a method the server does not offer fails before anything
// is sent, with our text; a refusal carries the server's text word for word.
#include <cstdlib>

#include "mail/capabilities.h"
#include "mail/login_steps.h"
#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/command_output.h"
#include "platform/cp1251.h"

namespace mail {

namespace {

using text::operator""_cp1251;

const char* MechanismOf(LoginMethod method) {
  switch (method) {
    case LoginMethod::kSaslPlain:
      return "PLAIN";
    case LoginMethod::kXOAuth2:
      return "XOAUTH2";
    case LoginMethod::kOAuthBearer:
      return "OAUTHBEARER";
    default:
      return nullptr;
  }
}

// The server's "+" (RFC 5034), as against "+OK" and "-ERR".
bool IsContinuation(const std::string& reply) { return reply.starts_with("+") && !reply.starts_with("+OK"); }

}  // namespace

bool TKelPOP::Login() {
  if (!connected_) throw MailError(std::string("Не возможен вход т.к. нет соединения!"_cp1251));
  const std::optional<std::string> secret = Secret();
  if (!secret) return false;
  switch (Method) {
    case LoginMethod::kApop:
      return LogInWithApop(*secret);
    case LoginMethod::kSaslPlain:
    case LoginMethod::kXOAuth2:
    case LoginMethod::kOAuthBearer:
      return LogInWithSasl(MechanismOf(Method), *secret);
    case LoginMethod::kUserPass:
      break;
  }
  return LogInWithUserPass(*secret);
}

std::optional<std::string> TKelPOP::Secret() {
  if (PasswordCommand.empty()) return Passwd;
  using Outcome = platform::CommandOutput::Outcome;
  const platform::CommandOutput output =
      platform::RunForFirstLine(PasswordCommand, PasswordCommandLimit, [this] { ProcessEvents(); });
  if (output.outcome == Outcome::kPrinted) return output.firstLine;
  std::string why;
  if (output.outcome == Outcome::kTimedOut)
    why = std::string("не закончилась за "_cp1251) + std::to_string(PasswordCommandLimit.count() / 1000) +
          std::string(" с"_cp1251);
  else if (output.outcome == Outcome::kFailed)
    why = "завершилась с ошибкой"_cp1251;
  else
    why = "ничего не напечатала"_cp1251;
  if (!output.firstErrorLine.empty()) why += ": " + text::Utf8ToCp1251(output.firstErrorLine);
  SignalError(kLoginRefused, std::string("Команда пароля "_cp1251) + why);
  return std::nullopt;
}

bool TKelPOP::LogInWithUserPass(const std::string& secret) {
  std::string reply;
  SendCommand("USER " + UserId + "\r\n");
  if (!ReadReply(reply)) return false;
  if (!replyError_) {
    SendCommand("PASS " + secret + "\r\n");
    if (!ReadReply(reply)) return false;
    if (!replyError_) return true;
  }
  SignalError(kLoginRefused);
  return false;
}

bool TKelPOP::LogInWithApop(const std::string& secret) {
  const std::optional<std::string> timestamp = GreetingTimestamp(greeting_);
  if (!timestamp) {
    SignalError(kLoginRefused, "Сервер не предлагает вход APOP: в его приветствии нет метки времени."_cp1251);
    return false;
  }
  std::string reply;
  SendCommand("APOP " + UserId + " " + ApopDigest(*timestamp, secret) + "\r\n");
  if (!ReadReply(reply)) return false;
  if (!replyError_) return true;
  SignalError(kLoginRefused);
  return false;
}

bool TKelPOP::LogInWithSasl(const std::string& mechanism, const std::string& secret) {
  const std::optional<std::string> capabilities = ReadCapabilities();
  if (!connected_) return false;
  if (!capabilities || !ParseCapabilities(*capabilities).sasl.contains(mechanism)) {
    SignalError(kLoginRefused, std::string("Сервер не предлагает вход "_cp1251) + mechanism + ".");
    return false;
  }
  const int port = std::atoi(Port.c_str());
  std::string response;
  if (Method == LoginMethod::kSaslPlain) response = PlainResponse(UserId, secret);
  else if (Method == LoginMethod::kXOAuth2) response = XOAuth2Response(UserId, secret);
  else response = OAuthBearerResponse(UserId, Host, port > 0 ? port : 110, secret);
  return SendSaslResponse(mechanism, response);
}

// The mechanism goes alone and the response answers the server's "+": the one
// exchange every server takes. A second "+" is an error challenge; an empty
// line ends it and the "-ERR" that follows is reported with what it said.
bool TKelPOP::SendSaslResponse(const std::string& mechanism, const std::string& response) {
  std::string reply;
  SendCommand("AUTH " + mechanism + "\r\n");
  if (!ReadReply(reply)) return false;
  if (!IsContinuation(reply)) {
    SignalError(kLoginRefused);
    return false;
  }
  SendCommand(response + "\r\n");
  if (!ReadReply(reply)) return false;
  if (reply.starts_with("+OK")) return true;
  if (IsContinuation(reply)) {
    const std::string status = OAuthChallengeStatus(reply.substr(0, reply.find("\r\n")));
    SendCommand("\r\n");
    if (!ReadReply(reply)) return false;
    SignalError(kLoginRefused, std::string("Сервер отверг ключ доступа OAuth 2.0: "_cp1251) + status +
                                   (replyText_.empty() ? "" : " (" + replyText_ + ")"));
    return false;
  }
  SignalError(kLoginRefused);
  return false;
}

}  // namespace mail
