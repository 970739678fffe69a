// The status texts of connecting and logging in, for the check pass and the
// delete alike; after a failure the error text stays readable for a moment.
// Each login and the login delay the server asks for are noted in `delays`.
#pragma once

#include <QString>

#include "app/pass/login_delays.h"
#include "app/pass/pass_display.h"
#include "config/server.h"
#include "desktop/qt_text.h"
#include "mail/pass_observer.h"

namespace app {

class LoginReport : public mail::PassObserver {
 public:
  LoginReport(const PassDisplay& display, const config::TServer& account, LoginDelays& delays);

  void Connecting() override;
  void ConnectFailed() override;
  void LoggingIn() override;
  void LoginFailed(const std::string& why) override;
  void LoggedIn() override;
  void LoginDelayLearned(std::chrono::seconds delay) override;

 protected:
  const PassDisplay& display_;
  const config::TServer& account_;

 private:
  QString Host() const { return desktop::ToQString(account_.Host); }
  QString User() const { return desktop::ToQString(account_.UserId); }

  LoginDelays& delays_;
};

}  // namespace app
