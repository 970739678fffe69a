#include "config/main_settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "config/keyring_passwords.h"
#include "config/scramble.h"

namespace config {

namespace {

constexpr const char* kMain = "TMainForm";
constexpr const char* kServers = "Servers";
constexpr const char* kFont = "Font";

// A path is stored as the system's own bytes: converting it to Windows-1251
// would lose the characters the code page lacks, and the folder with them.
std::string CurrentFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string() : folder.string();
}

void ChangeFolder(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::current_path(folder, ignored);
}

// The single account of the older layout, when it has a host and a user name.
std::optional<TServer> ReadOlderAccount(const platform::RegistryStore& store) {
  std::string host = store.ReadString(kMain, "Host", "");
  std::string user = store.ReadString(kMain, "UserId", "");
  if (user.empty()) user = UnscrambleText(store.ReadString(kMain, "UserIdent", ""));
  std::string password = store.ReadString(kMain, "Passwd", "");
  if (password.empty()) password = UnscrambleText(store.ReadString(kMain, "Password", ""));
  if (host.empty() || user.empty()) return std::nullopt;
  return TServer(std::move(host), std::move(user), std::move(password), true);
}

void DeleteOlderAccount(platform::RegistryStore& store) {
  for (const char* name : {"Host", "UserId", "UserIdent", "Passwd", "Password"}) store.DeleteValue(kMain, name);
}

// Stored as 0 (none), 1 (TLS from the first byte) and 2 (STLS); anything
// else, a hand-edited file say, falls back to a plain connection.
int SecurityCode(platform::Security security) {
  switch (security) {
    case platform::Security::Tls:
      return 1;
    case platform::Security::StartTls:
      return 2;
    case platform::Security::None:
      break;
  }
  return 0;
}

platform::Security ReadSecurity(const platform::RegistryStore& store, const std::string& index) {
  const int code = store.ReadInteger(kServers, "Security" + index, 0);
  return code == 1 ? platform::Security::Tls : code == 2 ? platform::Security::StartTls : platform::Security::None;
}

// A file from before the choice, or a value no method has, logs in by USER and PASS.
mail::LoginMethod ReadLoginMethod(const platform::RegistryStore& store, const std::string& index) {
  const int code = store.ReadInteger(kServers, "Auth" + index, 0);
  if (code < 0 || code >= mail::kLoginMethodCount) return mail::LoginMethod::kUserPass;
  return static_cast<mail::LoginMethod>(code);
}

int ReadPort(const platform::RegistryStore& store, const std::string& index) {
  const int port = store.ReadInteger(kServers, "Port" + index, 110);
  return port >= 1 && port <= 65535 ? port : 110;
}

// A pin is 64 hex digits; anything else pins nothing.
std::string ReadCertSha256(const platform::RegistryStore& store, const std::string& index) {
  std::string pin = store.ReadString(kServers, "CertSha256" + index, "");
  const bool valid = pin.size() == 64 && std::all_of(pin.begin(), pin.end(), [](unsigned char c) {
                       return std::isxdigit(c) != 0;
                     });
  if (!valid) return {};
  std::transform(pin.begin(), pin.end(), pin.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return pin;
}

// A file from before the keyring, or an account the keyring refused, has its password in the file.
void ReadPassword(const platform::RegistryStore& store, const std::string& index, TServer& account,
                  platform::Keyring* keyring) {
  if (!store.ReadBool(kServers, "PasswdInKeyring" + index, false)) return;
  account.PasswdKeyringKey = PasswordKey(account);
  ReadKeyringPassword(account, keyring);
}

// The keyring holds the password while its entry is under the account's present key.
bool PasswordInKeyring(const TServer& account) {
  if (account.PasswdKeyringKey.empty()) return false;
  return account.PasswdUnread || account.PasswdKeyringKey == PasswordKey(account);
}

void ReadAccounts(const platform::RegistryStore& store, TAccountList& accounts, platform::Keyring* keyring) {
  const int count = store.ReadInteger(kServers, "Count", 0);
  for (int n = 0; n < count; ++n) {
    const std::string index = std::to_string(n);
    std::string host = store.ReadString(kServers, "Host" + index, "");
    std::string user = UnscrambleText(store.ReadString(kServers, "UserId" + index, ""));
    std::string password = UnscrambleText(store.ReadString(kServers, "Passwd" + index, ""));
    const bool checked = store.ReadBool(kServers, "Checked" + index, true);
    if (host.empty() || user.empty()) return;  // a gap ends the list
    TServer& account = accounts.emplace_back(std::move(host), std::move(user), std::move(password), checked);
    account.Security = ReadSecurity(store, index);
    account.Port = ReadPort(store, index);
    account.CertSha256 = ReadCertSha256(store, index);
    account.Login = ReadLoginMethod(store, index);
    account.PasswordCommand = store.ReadString(kServers, "PasswordCommand" + index, "");
    ReadPassword(store, index, account, keyring);
  }
}

// Without the flag the file is what it was before the keyring.
void WritePassword(platform::RegistryStore& store, const std::string& index, const TServer& account) {
  const bool inKeyring = PasswordInKeyring(account);
  store.WriteString(kServers, "Passwd" + index, inKeyring ? std::string() : ScrambleText(account.Passwd));
  if (inKeyring) store.WriteBool(kServers, "PasswdInKeyring" + index, true);
  else store.DeleteValue(kServers, "PasswdInKeyring" + index);
}

void WriteAccounts(platform::RegistryStore& store, const TAccountList& accounts) {
  store.WriteInteger(kServers, "Count", static_cast<int>(accounts.size()));
  for (std::size_t n = 0; n < accounts.size(); ++n) {
    const std::string index = std::to_string(n);
    store.WriteString(kServers, "Host" + index, accounts[n].Host);
    store.WriteString(kServers, "UserId" + index, ScrambleText(accounts[n].UserId));
    WritePassword(store, index, accounts[n]);
    store.WriteBool(kServers, "Checked" + index, accounts[n].Checked);
    store.WriteInteger(kServers, "Security" + index, SecurityCode(accounts[n].Security));
    store.WriteInteger(kServers, "Port" + index, accounts[n].Port);
    store.WriteString(kServers, "CertSha256" + index, accounts[n].CertSha256);
    store.WriteInteger(kServers, "Auth" + index, static_cast<int>(accounts[n].Login));
    store.WriteString(kServers, "PasswordCommand" + index, accounts[n].PasswordCommand);
  }
}

void ReadFont(const platform::RegistryStore& store, TFontSettings& font) {
  font.Name = store.ReadString(kFont, "Name", font.Name);
  font.Charset = store.ReadInteger(kFont, "Charset", font.Charset);
  font.Size = store.ReadInteger(kFont, "Size", font.Size);
  font.Color = store.ReadInteger(kFont, "Color", font.Color);
  font.Style = store.ReadInteger(kFont, "Style", font.Style);
}

void WriteFont(platform::RegistryStore& store, const TFontSettings& font) {
  store.WriteString(kFont, "Name", font.Name);
  store.WriteInteger(kFont, "Charset", font.Charset);
  store.WriteInteger(kFont, "Size", font.Size);
  store.WriteInteger(kFont, "Color", font.Color);
  store.WriteInteger(kFont, "Style", font.Style);
}

}  // namespace

void RestoreMainSettings(platform::RegistryStore& store, TMainSettings& settings, platform::Keyring* keyring) {
  if (settings.Loaded) return;
  settings.Loaded = true;
  settings.ShowMain = store.ReadBool(kMain, "ShowMain", false);
  settings.ShowDialog = store.ReadBool(kMain, "ShowDialog", true);
  settings.ShowSound = store.ReadBool(kMain, "ShowSound", true);
  settings.DeleteConf = store.ReadBool(kMain, "DeleteConf", true);
  const std::optional<TServer> older = ReadOlderAccount(store);
  if (older) settings.AccountList.push_back(*older);
  ReadAccounts(store, settings.AccountList, keyring);
  // The moved account is stored in its new place before its old values go, so
  // a run that ends without saving does not lose it.
  if (older) WriteAccounts(store, settings.AccountList);
  DeleteOlderAccount(store);
  settings.Interval = store.ReadInteger(kMain, "Time", settings.Interval);
  settings.CacheMessages = store.ReadBool(kMain, "CacheMessages", false);
  settings.ShowNotify = store.ReadBool(kMain, "ShowNotify", false);
  ReadFont(store, settings.Font);
  settings.WordWrap = store.ReadBool(kMain, "WordWrap", settings.WordWrap);
  ChangeFolder(store.ReadString(kMain, "WorkDir", CurrentFolder()));
  settings.FilesViewHeight = store.ReadInteger(kMain, "FilesViewHeight", settings.FilesViewHeight);
  settings.ShowConfig = store.ReadBool(kMain, "ShowConfig", true);
}

void SaveMainSettings(platform::RegistryStore& store, const TMainSettings& settings) {
  store.WriteBool(kMain, "ShowMain", settings.ShowMain);
  store.WriteBool(kMain, "ShowDialog", settings.ShowDialog);
  store.WriteBool(kMain, "ShowSound", settings.ShowSound);
  store.WriteBool(kMain, "DeleteConf", settings.DeleteConf);
  WriteAccounts(store, settings.AccountList);
  store.WriteInteger(kMain, "Time", settings.Interval);
  store.WriteBool(kMain, "CacheMessages", settings.CacheMessages);
  store.WriteBool(kMain, "ShowNotify", settings.ShowNotify);
  WriteFont(store, settings.Font);
  store.WriteBool(kMain, "WordWrap", settings.WordWrap);
  store.WriteString(kMain, "WorkDir", CurrentFolder());
  store.WriteInteger(kMain, "FilesViewHeight", settings.FilesViewHeight);
  store.WriteBool(kMain, "ShowConfig", settings.ShowConfig);
}

}  // namespace config
