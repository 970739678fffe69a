#include "config/provider_presets.h"

#include <array>

namespace config {

namespace {

using mail::LoginMethod;
using platform::Security;

constexpr std::array<ProviderPreset, 7> kPresets = {{
    {"Яндекс", "pop.yandex.ru", Security::Tls, 995, LoginMethod::kUserPass,
     "Включите POP3 в настройках почты и войдите с паролем приложения (id.yandex.ru → Безопасность)."},
    {"Mail.ru", "pop.mail.ru", Security::Tls, 995, LoginMethod::kUserPass,
     "Нужен пароль приложения: Настройки → Безопасность → Пароли для внешних приложений."},
    {"Gmail", "pop.gmail.com", Security::Tls, 995, LoginMethod::kXOAuth2,
     "OAuth 2.0 через команду пароля (или пароль приложения); имя «recent:адрес» даёт письма последних 30 дней."},
    {"Outlook.com, Microsoft 365", "outlook.office365.com", Security::Tls, 995, LoginMethod::kXOAuth2,
     "Только OAuth 2.0: укажите команду пароля, которая печатает ключ доступа."},
    {"GMX", "pop.gmx.net", Security::Tls, 995, LoginMethod::kUserPass,
     "Разрешите POP3 один раз в настройках почтового ящика."},
    {"Web.de", "pop3.web.de", Security::Tls, 995, LoginMethod::kUserPass,
     "Разрешите POP3 в настройках; сервер отказывает во входе чаще раза в 15 минут."},
    {"Fastmail", "pop.fastmail.com", Security::Tls, 995, LoginMethod::kUserPass,
     "Войдите с паролем приложения (Settings → Privacy & Security)."},
}};

}  // namespace

std::span<const ProviderPreset> ProviderPresets() { return kPresets; }

}  // namespace config
