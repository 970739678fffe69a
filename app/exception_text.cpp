#include "app/exception_text.h"

#include "desktop/qt_text.h"
#include "mail/mail_error.h"
#include "platform/registry_store.h"
#include "platform/tcp_client.h"

namespace app {

QString ExceptionText(const std::exception& error) {
  if (dynamic_cast<const mail::MailError*>(&error) || dynamic_cast<const platform::SocketError*>(&error) ||
      dynamic_cast<const platform::ConnectError*>(&error) || dynamic_cast<const platform::RegistryError*>(&error))
    return desktop::ToQString(error.what());
  return QString::fromUtf8(error.what());
}

}  // namespace app
