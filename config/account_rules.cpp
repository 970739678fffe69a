#include "config/account_rules.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

#include "desktop/qt_text.h"

namespace config {

namespace {

using MailboxKey = std::pair<QString, QString>;  // host, user name

// Host and user name of every checked account in the user's locale's small letters.
std::vector<MailboxKey> CheckedKeys(const TAccountList& accounts) {
  const QLocale locale;
  std::vector<MailboxKey> keys;
  keys.reserve(accounts.size());
  for (const TServer& account : accounts)
    if (account.Checked)
      keys.emplace_back(locale.toLower(desktop::ToQString(account.Host)),
                        locale.toLower(desktop::ToQString(account.UserId)));
  return keys;
}

}  // namespace

bool IsComplete(const TServer& account) {
  return account.Host.find('.') != std::string::npos && !account.UserId.empty();
}

bool HasCheckedDuplicates(const TAccountList& accounts) {
  std::vector<MailboxKey> keys = CheckedKeys(accounts);
  std::sort(keys.begin(), keys.end());
  return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

}  // namespace config
