// The error box text: the Windows-1251 exceptions of the platform and the mail
// library read as such, every other exception as UTF-8.
#include "desktop/exception_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/cp1251.h"
#include "platform/registry_store.h"
#include "platform/tcp_client.h"

namespace {

using text::operator""_cp1251;

const QString kRussian = QStringLiteral("Ошибка записи значения для 'Ёж'");
const std::string kCp1251(text::Utf8ToCp1251(kRussian.toStdString()));

TEST(ExceptionText, Cp1251ErrorsAreReadAsWindows1251) {
  EXPECT_EQ(desktop::ExceptionText(platform::RegistryError(kCp1251)), kRussian);
  EXPECT_EQ(desktop::ExceptionText(platform::ConnectError(kCp1251)), kRussian);
  EXPECT_EQ(desktop::ExceptionText(platform::TlsError(kCp1251, {}, false)), kRussian);
  EXPECT_EQ(desktop::ExceptionText(text::Cp1251Error(kCp1251)), kRussian);
  EXPECT_TRUE(desktop::ExceptionText(platform::SocketError("Read", 104)).startsWith(QStringLiteral("Read ошибка 104, ")));
}

TEST(ExceptionText, OtherErrorsAreUtf8) {
  EXPECT_EQ(desktop::ExceptionText(std::runtime_error(kRussian.toStdString())), kRussian);
  EXPECT_EQ(desktop::ExceptionText(std::logic_error(kRussian.toStdString())), kRussian);
}

}  // namespace
