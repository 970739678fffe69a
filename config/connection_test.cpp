#include "config/connection_test.h"

#include <exception>
#include <utility>

#include "platform/cp1251.h"

namespace config {

namespace {

using text::operator""_cp1251;

void ConnectQuietly(mail::TKelPOP& session) {
  try {
    session.Connect();
  } catch (const std::exception&) {
    // Reported as a failed connection, whatever went wrong.
  }
}

}  // namespace

std::string TestConnection(mail::TKelPOP& session, TServer account) {
  session.Host = std::move(account.Host);
  session.UserId = std::move(account.UserId);
  session.Passwd = std::move(account.Passwd);
  std::string report = std::string("Подключение к серверу ("_cp1251) + session.Host + "): ";
  ConnectQuietly(session);
  if (!session.Connected()) return report + std::string("Ошибка!"_cp1251);

  report += "Ok!\r";
  report += std::string("Вход под имемем ("_cp1251) + session.UserId + "): ";
  try {
    report += session.Login() ? std::string("Ok!") : std::string("Ошибка!"_cp1251);
  } catch (...) {
    session.Quit();
    throw;
  }
  session.Quit();
  return report;
}

}  // namespace config
