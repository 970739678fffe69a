#include "app/pass/login_report.h"

#include "desktop/qt_text.h"

namespace app {

namespace {

constexpr int kPauseAfterError = 2000;

}  // namespace

LoginReport::LoginReport(const PassDisplay& display, const config::TServer& account, LoginDelays& delays)
    : display_(display), account_(account), delays_(delays) {}

void LoginReport::Connecting() {
  display_.SetStatus(QStringLiteral("Подключение к серверу: ") + Host() + QStringLiteral("..."));
}

void LoginReport::ConnectFailed() {
  display_.ShowErrorText(QStringLiteral("Ошибка при подключени к серверу: ") + Host());
  display_.Wait(kPauseAfterError);
}

void LoginReport::LoggingIn() { display_.SetStatus(QStringLiteral("Осуществляется вход под именем: ") + User()); }

// The server's words follow: a provider's refusal often says what the user must do.
void LoginReport::LoginFailed(const std::string& why) {
  const QString reason = why.empty() ? QString() : QStringLiteral(" (") + desktop::ToQString(why) + QStringLiteral(")");
  display_.ShowErrorText(QStringLiteral("Ошибка при входе под именем: ") + User() + reason);
  display_.Wait(kPauseAfterError);
}

void LoginReport::LoggedIn() {
  delays_.LoggedIn(account_);
  display_.SetStatus(QStringLiteral("Выполнен вход под именем: ") + User());
}

void LoginReport::LoginDelayLearned(std::chrono::seconds delay) { delays_.Learned(account_, delay); }

}  // namespace app
