// The session's login, by the account's method. Nothing falls back to another
// method by itself: a method the server does not offer fails before anything
// is sent, with our text; a refusal carries the server's text word for word.
#include <cstdlib>

#include "mail/login_steps.h"
#include "mail/mail_error.h"
#include "mail/pop3_session.h"
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
  switch (Method) {
    case LoginMethod::kApop:
      return LogInWithApop();
    case LoginMethod::kSaslPlain:
    case LoginMethod::kXOAuth2:
    case LoginMethod::kOAuthBearer:
      return LogInWithSasl(MechanismOf(Method));
    case LoginMethod::kUserPass:
      break;
  }
  return LogInWithUserPass();
}

bool TKelPOP::LogInWithUserPass() {
  std::string reply;
  SendCommand("USER " + UserId + "\r\n");
  if (!ReadReply(reply)) return false;
  if (!replyError_) {
    SendCommand("PASS " + Passwd + "\r\n");
    if (!ReadReply(reply)) return false;
    if (!replyError_) return true;
  }
  SignalError(kLoginRefused);
  return false;
}

bool TKelPOP::LogInWithApop() {
  const std::optional<std::string> timestamp = GreetingTimestamp(greeting_);
  if (!timestamp) {
    SignalError(kLoginRefused, "Сервер не предлагает вход APOP: в его приветствии нет метки времени."_cp1251);
    return false;
  }
  std::string reply;
  SendCommand("APOP " + UserId + " " + ApopDigest(*timestamp, Passwd) + "\r\n");
  if (!ReadReply(reply)) return false;
  if (!replyError_) return true;
  SignalError(kLoginRefused);
  return false;
}

bool TKelPOP::LogInWithSasl(const std::string& mechanism) {
  const std::optional<std::string> capabilities = ReadCapabilities();
  if (!connected_) return false;
  if (!capabilities || !SaslMechanisms(*capabilities).contains(mechanism)) {
    SignalError(kLoginRefused, std::string("Сервер не предлагает вход "_cp1251) + mechanism + ".");
    return false;
  }
  const int port = std::atoi(Port.c_str());
  std::string response;
  if (Method == LoginMethod::kSaslPlain) response = PlainResponse(UserId, Passwd);
  else if (Method == LoginMethod::kXOAuth2) response = XOAuth2Response(UserId, Passwd);
  else response = OAuthBearerResponse(UserId, Host, port > 0 ? port : 110, Passwd);
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
