#include "app/pass/login_report.h"

#include "desktop/qt_text.h"

namespace app {

namespace {

constexpr int kPauseAfterError = 2000;

}  // namespace

LoginReport::LoginReport(const PassDisplay& display, const std::string& host, const std::string& user)
    : display_(display), host_(desktop::ToQString(host)), user_(desktop::ToQString(user)) {}

void LoginReport::Connecting() { display_.SetStatus(QStringLiteral("Подключение к серверу: ") + host_ + QStringLiteral("...")); }

void LoginReport::ConnectFailed() {
  display_.ShowErrorText(QStringLiteral("Ошибка при подключени к серверу: ") + host_);
  display_.Wait(kPauseAfterError);
}

void LoginReport::LoggingIn() { display_.SetStatus(QStringLiteral("Осуществляется вход под именем: ") + user_); }

// The server's words follow: a provider's refusal often says what the user must do.
void LoginReport::LoginFailed(const std::string& why) {
  const QString reason = why.empty() ? QString() : QStringLiteral(" (") + desktop::ToQString(why) + QStringLiteral(")");
  display_.ShowErrorText(QStringLiteral("Ошибка при входе под именем: ") + user_ + reason);
  display_.Wait(kPauseAfterError);
}

void LoginReport::LoggedIn() { display_.SetStatus(QStringLiteral("Выполнен вход под именем: ") + user_); }

}  // namespace app
