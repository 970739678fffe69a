// The status texts of connecting and logging in, for the check pass and the
// delete alike; after a failure the error text stays readable for a moment.
#pragma once

#include <QString>

#include "app/pass/pass_display.h"
#include "mail/pass_observer.h"

namespace app {

class LoginReport : public mail::PassObserver {
 public:
  // `host` and `user` as the session uses them (Windows-1251).
  LoginReport(const PassDisplay& display, const std::string& host, const std::string& user);

  void Connecting() override;
  void ConnectFailed() override;
  void LoggingIn() override;
  void LoginFailed(const std::string& why) override;
  void LoggedIn() override;

 protected:
  const PassDisplay& display_;

 private:
  QString host_;
  QString user_;
};

}  // namespace app
