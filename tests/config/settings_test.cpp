#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/main_settings.h"
#include "config/scramble.h"
#include "platform/cp1251.h"
#include "platform/ini_registry_store.h"

#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;
using config::RestoreMainSettings;
using config::SaveMainSettings;
using config::TMainSettings;
using config::TServer;
using text::operator""_cp1251;

constexpr const char* kPin = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
constexpr const char* kPinUpper = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

// An in-memory store that logs every operation in order.
class LoggingStore : public platform::RegistryStore {
 public:
  std::string ReadString(std::string_view section, std::string_view name,
                         std::string_view defaultValue) const override {
    log.push_back("read " + Key(section, name));
    const auto it = values.find(Key(section, name));
    return it == values.end() ? std::string(defaultValue) : it->second;
  }
  void WriteString(std::string_view section, std::string_view name, std::string_view value) override {
    log.push_back("write " + Key(section, name) + "=" + std::string(value));
    values[Key(section, name)] = value;
  }
  void DeleteValue(std::string_view section, std::string_view name) override {
    log.push_back("delete " + Key(section, name));
    values.erase(Key(section, name));
  }

  static std::string Key(std::string_view section, std::string_view name) {
    return std::string(section) + "/" + std::string(name);
  }

  std::map<std::string, std::string> values;
  mutable std::vector<std::string> log;
};

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : startFolder_(fs::current_path()) {}
  ~SettingsTest() override { fs::current_path(startFolder_); }

  platform::IniRegistryStore Store() const { return platform::IniRegistryStore(base_.string(), "Software\\tessaro"); }

  TMainSettings Restored() const {
    TMainSettings settings;
    auto store = Store();
    RestoreMainSettings(store, settings);
    return settings;
  }

  void Save(const TMainSettings& settings) const {
    auto store = Store();
    SaveMainSettings(store, settings);
  }

  std::string Stored(const char* section, const std::string& name) const {
    return Store().ReadString(section, name, "<missing>");
  }

  fs::path startFolder_;
  testsupport::TempDir temp_;
  const fs::path base_ = temp_.Path();
};

TEST_F(SettingsTest, FreshStartGivesTheDefaultsAndWritesNothing) {
  const TMainSettings settings = Restored();
  EXPECT_TRUE(settings.AccountList.empty());
  EXPECT_FALSE(settings.ShowMain);
  EXPECT_TRUE(settings.ShowDialog);
  EXPECT_TRUE(settings.ShowSound);
  EXPECT_TRUE(settings.DeleteConf);
  EXPECT_TRUE(settings.ShowConfig);
  EXPECT_EQ(settings.Interval, 600000);
  EXPECT_FALSE(settings.CacheMessages);
  EXPECT_FALSE(settings.ShowNotify);
  EXPECT_FALSE(settings.WordWrap);
  EXPECT_EQ(settings.FilesViewHeight, 73);
  EXPECT_EQ(settings.Font, config::TFontSettings{});
  EXPECT_EQ(settings.Font.Name, "MS Sans Serif");
  EXPECT_EQ(fs::current_path(), startFolder_);
  EXPECT_FALSE(fs::exists(Store().FilePath()));
}

TEST_F(SettingsTest, MissingValuesKeepTheWindowsCurrentStateWhereThatIsTheirDefault) {
  TMainSettings settings;
  settings.ShowMain = true;
  settings.ShowConfig = false;
  settings.Interval = 5000;
  settings.WordWrap = true;
  settings.FilesViewHeight = 120;
  settings.Font = {"Liberation Serif", 204, 12, 0x0000FF, config::kFontItalic};
  const config::TFontSettings font = settings.Font;
  auto store = Store();
  RestoreMainSettings(store, settings);
  EXPECT_FALSE(settings.ShowMain) << "fixed default";
  EXPECT_TRUE(settings.ShowConfig) << "fixed default";
  EXPECT_EQ(settings.Interval, 5000);
  EXPECT_TRUE(settings.WordWrap);
  EXPECT_EQ(settings.FilesViewHeight, 120);
  EXPECT_EQ(settings.Font, font);
}

TEST_F(SettingsTest, ReadingAndWritingFollowTheirFixedOrder) {
  LoggingStore store;
  TMainSettings settings;
  RestoreMainSettings(store, settings);
  EXPECT_EQ(store.log, (std::vector<std::string>{
                           "read TMainForm/ShowMain",
                           "read TMainForm/ShowDialog",
                           "read TMainForm/ShowSound",
                           "read TMainForm/DeleteConf",
                           "read TMainForm/Host",
                           "read TMainForm/UserId",
                           "read TMainForm/UserIdent",
                           "read TMainForm/Passwd",
                           "read TMainForm/Password",
                           "read Servers/Count",
                           "delete TMainForm/Host",
                           "delete TMainForm/UserId",
                           "delete TMainForm/UserIdent",
                           "delete TMainForm/Passwd",
                           "delete TMainForm/Password",
                           "read TMainForm/Time",
                           "read TMainForm/CacheMessages",
                           "read TMainForm/ShowNotify",
                           "read Font/Name",
                           "read Font/Charset",
                           "read Font/Size",
                           "read Font/Color",
                           "read Font/Style",
                           "read TMainForm/WordWrap",
                           "read TMainForm/WorkDir",
                           "read TMainForm/FilesViewHeight",
                           "read TMainForm/ShowConfig",
                       }));

  store.log.clear();
  settings.AccountList = {TServer("pop.a.ru", "a", "", false)};
  SaveMainSettings(store, settings);
  const std::string workDir = "write TMainForm/WorkDir=" + fs::current_path().string();
  EXPECT_EQ(store.log, (std::vector<std::string>{
                           "write TMainForm/ShowMain=0",
                           "write TMainForm/ShowDialog=1",
                           "write TMainForm/ShowSound=1",
                           "write TMainForm/DeleteConf=1",
                           "write Servers/Count=1",
                           "write Servers/Host0=pop.a.ru",
                           "write Servers/UserId0=" + config::ScrambleText("a"),
                           "write Servers/Passwd0=",
                           "delete Servers/PasswdInKeyring0",
                           "write Servers/Checked0=0",
                           "write Servers/Security0=0",
                           "write Servers/Port0=110",
                           "write Servers/CertSha2560=",
                           "write Servers/Auth0=0",
                           "write Servers/PasswordCommand0=",
                           "write TMainForm/Time=600000",
                           "write TMainForm/CacheMessages=0",
                           "write TMainForm/ShowNotify=0",
                           "write Font/Name=MS Sans Serif",
                           "write Font/Charset=1",
                           "write Font/Size=8",
                           "write Font/Color=0",
                           "write Font/Style=0",
                           "write TMainForm/WordWrap=0",
                           workDir,
                           "write TMainForm/FilesViewHeight=73",
                           "write TMainForm/ShowConfig=1",
                       }));
}

TEST_F(SettingsTest, EverySettingComesBackAfterASave) {
  TMainSettings saved;
  saved.ShowMain = true;
  saved.ShowDialog = false;
  saved.ShowSound = false;
  saved.ShowNotify = true;
  saved.DeleteConf = false;
  saved.ShowConfig = false;
  saved.Interval = 0;
  saved.CacheMessages = true;
  saved.WordWrap = true;
  saved.FilesViewHeight = 140;
  saved.Font = {std::string("Шрифт"_cp1251), 204, 14, -16777208, config::kFontBold | config::kFontStrikeOut};
  saved.AccountList = {
      TServer("pop.example.ru", "bob", "secret", true),
      TServer("mail.example.com", std::string("Пользователь"_cp1251), std::string("пароль \x01\x02 =;"_cp1251), false),
      TServer("10.0.0.1", "wv", "", true),
  };
  saved.AccountList[0].Security = platform::Security::Tls;
  saved.AccountList[0].Port = 995;
  saved.AccountList[0].CertSha256 = kPin;
  saved.AccountList[1].Login = mail::LoginMethod::kOAuthBearer;
  saved.AccountList[1].PasswordCommand = "pass show mail/b | head -1";
  saved.AccountList[1].Security = platform::Security::StartTls;
  saved.AccountList[1].Port = 65535;
  Save(saved);
  const TMainSettings restored = Restored();
  EXPECT_EQ(restored.ShowMain, saved.ShowMain);
  EXPECT_EQ(restored.ShowDialog, saved.ShowDialog);
  EXPECT_EQ(restored.ShowSound, saved.ShowSound);
  EXPECT_EQ(restored.ShowNotify, saved.ShowNotify);
  EXPECT_EQ(restored.DeleteConf, saved.DeleteConf);
  EXPECT_EQ(restored.ShowConfig, saved.ShowConfig);
  EXPECT_EQ(restored.Interval, saved.Interval);
  EXPECT_EQ(restored.CacheMessages, saved.CacheMessages);
  EXPECT_EQ(restored.WordWrap, saved.WordWrap);
  EXPECT_EQ(restored.FilesViewHeight, saved.FilesViewHeight);
  EXPECT_EQ(restored.Font, saved.Font);
  EXPECT_EQ(restored.AccountList, saved.AccountList);

  EXPECT_EQ(Stored("Servers", "Host1"), "mail.example.com") << "hosts are plain";
  EXPECT_EQ(Stored("Servers", "UserId0"), config::ScrambleText("bob"));
  EXPECT_EQ(Stored("Servers", "Passwd2"), "") << "an empty password is an empty value";
  EXPECT_EQ(Stored("Servers", "Checked1"), "0");
  EXPECT_EQ(Stored("Servers", "Security0"), "1");
  EXPECT_EQ(Stored("Servers", "Security1"), "2");
  EXPECT_EQ(Stored("Servers", "Security2"), "0");
  EXPECT_EQ(Stored("Servers", "Port0"), "995");
  EXPECT_EQ(Stored("Servers", "CertSha2560"), kPin);
  EXPECT_EQ(Stored("Servers", "CertSha2561"), "");
  EXPECT_EQ(Stored("Servers", "Auth0"), "0");
  EXPECT_EQ(Stored("Servers", "Auth1"), "4");
  EXPECT_EQ(Stored("Servers", "PasswordCommand1"), "pass show mail/b | head -1") << "a command is no secret";
}

// Files written before the login method was chosen, and values no method has, log in by USER and PASS.
TEST_F(SettingsTest, LoginMethodReadsAsUserAndPassWhenMissingOrOutOfRange) {
  const std::pair<std::optional<std::string>, mail::LoginMethod> cases[] = {
      {std::nullopt, mail::LoginMethod::kUserPass}, {"0", mail::LoginMethod::kUserPass},
      {"1", mail::LoginMethod::kApop},             {"2", mail::LoginMethod::kSaslPlain},
      {"3", mail::LoginMethod::kXOAuth2},          {"4", mail::LoginMethod::kOAuthBearer},
      {"5", mail::LoginMethod::kUserPass},         {"-1", mail::LoginMethod::kUserPass},
      {"apop", mail::LoginMethod::kUserPass},
  };
  for (const auto& [value, method] : cases) {
    fs::remove_all(base_ / "Software");
    {
      auto store = Store();
      store.WriteInteger("Servers", "Count", 1);
      store.WriteString("Servers", "Host0", "pop.a.ru");
      store.WriteString("Servers", "UserId0", config::ScrambleText("a"));
      if (value) store.WriteString("Servers", "Auth0", *value);
    }
    const TMainSettings settings = Restored();
    ASSERT_EQ(settings.AccountList.size(), 1u);
    EXPECT_EQ(settings.AccountList[0].Login, method) << value.value_or("missing");
  }
}

// Files written before an account had a security, a port or a pin, and
// hand-edited values that make no sense, read as a plain connection to 110.
TEST_F(SettingsTest, SecurityPortAndPinReadAsTheirDefaultsWhenMissingOrOutOfRange) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, std::string>> values;  // of account 0
    platform::Security security;
    int port;
    std::string pin;
  } cases[] = {
      {"missing", {}, platform::Security::None, 110, ""},
      {"plain", {{"Security0", "0"}, {"Port0", "110"}}, platform::Security::None, 110, ""},
      {"SSL/TLS", {{"Security0", "1"}, {"Port0", "995"}, {"CertSha2560", kPin}}, platform::Security::Tls, 995, kPin},
      {"STLS", {{"Security0", "2"}, {"Port0", "1"}}, platform::Security::StartTls, 1, ""},
      {"highest port", {{"Port0", "65535"}}, platform::Security::None, 65535, ""},
      {"security beyond the choices", {{"Security0", "3"}}, platform::Security::None, 110, ""},
      {"negative security", {{"Security0", "-1"}}, platform::Security::None, 110, ""},
      {"security not a number", {{"Security0", "tls"}}, platform::Security::None, 110, ""},
      {"port zero", {{"Port0", "0"}}, platform::Security::None, 110, ""},
      {"port too high", {{"Port0", "65536"}}, platform::Security::None, 110, ""},
      {"negative port", {{"Port0", "-995"}}, platform::Security::None, 110, ""},
      {"port not a number", {{"Port0", "pop3s"}}, platform::Security::None, 110, ""},
      {"pin too short", {{"CertSha2560", std::string(kPin).substr(1)}}, platform::Security::None, 110, ""},
      {"pin not hex", {{"CertSha2560", "g" + std::string(kPin).substr(1)}}, platform::Security::None, 110, ""},
      {"upper-case pin", {{"CertSha2560", kPinUpper}}, platform::Security::None, 110, kPin},
  };
  for (const auto& c : cases) {
    fs::remove_all(base_ / "Software");
    {
      auto store = Store();
      store.WriteInteger("Servers", "Count", 2);
      store.WriteString("Servers", "Host0", "pop.a.ru");
      store.WriteString("Servers", "UserId0", config::ScrambleText("a"));
      store.WriteString("Servers", "Host1", "pop.b.ru");
      store.WriteString("Servers", "UserId1", config::ScrambleText("b"));
      store.WriteString("Servers", "Security1", "1");
      store.WriteString("Servers", "Port1", "995");
      for (const auto& [name, value] : c.values) store.WriteString("Servers", name, value);
    }
    const TMainSettings settings = Restored();
    ASSERT_EQ(settings.AccountList.size(), 2u) << c.name;
    EXPECT_EQ(settings.AccountList[0].Security, c.security) << c.name;
    EXPECT_EQ(settings.AccountList[0].Port, c.port) << c.name;
    EXPECT_EQ(settings.AccountList[0].CertSha256, c.pin) << c.name;
    EXPECT_EQ(settings.AccountList[1].Security, platform::Security::Tls) << c.name << ": values are per account";
    EXPECT_EQ(settings.AccountList[1].Port, 995) << c.name;
  }
}

TEST_F(SettingsTest, OlderSingleAccountMovesToTheFrontAndItsValuesAreDeleted) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, std::string>> older;
    TServer expected;
  } cases[] = {
      {"scrambled spelling",
       {{"Host", "pop.old.ru"}, {"UserIdent", config::ScrambleText("bob")}, {"Password", config::ScrambleText("pw")}},
       TServer("pop.old.ru", "bob", "pw", true)},
      {"plain spelling wins",
       {{"Host", "pop.old.ru"},
        {"UserId", "alice"},
        {"UserIdent", config::ScrambleText("bob")},
        {"Passwd", "plain"},
        {"Password", config::ScrambleText("pw")}},
       TServer("pop.old.ru", "alice", "plain", true)},
      {"plain user, scrambled password",
       {{"Host", "pop.old.ru"}, {"UserId", "alice"}, {"Password", config::ScrambleText("pw")}},
       TServer("pop.old.ru", "alice", "pw", true)},
  };
  for (const auto& c : cases) {
    fs::remove_all(base_ / "Software");
    {
      auto store = Store();
      for (const auto& [name, value] : c.older) store.WriteString("TMainForm", name, value);
      store.WriteInteger("Servers", "Count", 1);
      store.WriteString("Servers", "Host0", "pop.new.ru");
      store.WriteString("Servers", "UserId0", config::ScrambleText("carol"));
    }
    const TMainSettings settings = Restored();
    EXPECT_EQ(settings.AccountList, (config::TAccountList{c.expected, TServer("pop.new.ru", "carol", "", true)}))
        << c.name;
    for (const char* name : {"Host", "UserId", "UserIdent", "Passwd", "Password"})
      EXPECT_EQ(Stored("TMainForm", name), "<missing>") << c.name << ": " << name;
    TMainSettings again;  // a run that ended without saving
    auto store = Store();
    RestoreMainSettings(store, again);
    EXPECT_EQ(again.AccountList, settings.AccountList) << c.name << ": the moved account is stored at once";
  }
}

// A reader that moves the older account writes the list before it deletes
// the old values; a fresh start writes nothing (see the order test).
TEST_F(SettingsTest, OlderAccountIsStoredInItsNewPlaceBeforeItsOldValuesGo) {
  LoggingStore store;
  store.values["TMainForm/Host"] = "pop.old.ru";
  store.values["TMainForm/UserId"] = "bob";
  TMainSettings settings;
  RestoreMainSettings(store, settings);
  const auto at = [&](const std::string& entry) {
    return std::find(store.log.begin(), store.log.end(), entry) - store.log.begin();
  };
  EXPECT_LT(at("write Servers/Host0=pop.old.ru"), at("delete TMainForm/Host"));
  EXPECT_LT(at("write Servers/Count=1"), at("write Servers/Host0=pop.old.ru"));
  EXPECT_LT(at("delete TMainForm/Password"), static_cast<long>(store.log.size())) << "the old values are deleted";
}

TEST_F(SettingsTest, OlderValuesWithoutHostOrUserAreDeletedWithoutAnAccount) {
  {
    auto store = Store();
    store.WriteString("TMainForm", "Host", "pop.old.ru");
    store.WriteString("TMainForm", "Passwd", "pw");
  }
  EXPECT_TRUE(Restored().AccountList.empty());
  EXPECT_EQ(Stored("TMainForm", "Host"), "<missing>");
  EXPECT_EQ(Stored("TMainForm", "Passwd"), "<missing>");
}

TEST_F(SettingsTest, ReadingStopsAtTheFirstAccountWithoutHostOrUser) {
  struct Entry {
    const char* host;
    const char* user;  // plain; stored scrambled
  };
  struct Case {
    const char* name;
    int count;
    std::vector<Entry> entries;
    std::size_t expected;
  } cases[] = {
      {"complete list", 3, {{"a.ru", "a"}, {"b.ru", "b"}, {"c.ru", "c"}}, 3},
      {"host missing in the middle", 3, {{"a.ru", "a"}, {"", "b"}, {"c.ru", "c"}}, 1},
      {"user empty in the middle", 3, {{"a.ru", "a"}, {"b.ru", ""}, {"c.ru", "c"}}, 1},
      {"first entry incomplete", 2, {{"", "a"}, {"b.ru", "b"}}, 0},
      {"count beyond the entries", 7, {{"a.ru", "a"}, {"b.ru", "b"}}, 2},
      {"count below the entries", 1, {{"a.ru", "a"}, {"b.ru", "b"}}, 1},
      {"negative count", -1, {{"a.ru", "a"}}, 0},
  };
  for (const auto& c : cases) {
    fs::remove_all(base_ / "Software");
    {
      auto store = Store();
      store.WriteInteger("Servers", "Count", c.count);
      for (std::size_t n = 0; n < c.entries.size(); ++n) {
        if (*c.entries[n].host) store.WriteString("Servers", "Host" + std::to_string(n), c.entries[n].host);
        store.WriteString("Servers", "UserId" + std::to_string(n), config::ScrambleText(c.entries[n].user));
      }
    }
    const TMainSettings settings = Restored();
    ASSERT_EQ(settings.AccountList.size(), c.expected) << c.name;
    for (std::size_t n = 0; n < c.expected; ++n) {
      EXPECT_EQ(settings.AccountList[n].Host, c.entries[n].host) << c.name;
      EXPECT_TRUE(settings.AccountList[n].Checked) << c.name << ": a missing check mark reads as checked";
    }
  }
}

TEST_F(SettingsTest, ShrunkListLeavesItsOldEntriesUnread) {
  TMainSettings settings;
  settings.AccountList = {TServer("a.ru", "a", "1", true), TServer("b.ru", "b", "2", true),
                          TServer("c.ru", "c", "3", true)};
  Save(settings);
  settings.AccountList = {TServer("z.ru", "z", "9", false)};
  Save(settings);
  EXPECT_EQ(Stored("Servers", "Count"), "1");
  EXPECT_EQ(Stored("Servers", "Host0"), "z.ru");
  EXPECT_EQ(Stored("Servers", "Host1"), "b.ru");
  EXPECT_EQ(Stored("Servers", "Host2"), "c.ru");
  EXPECT_EQ(Restored().AccountList, settings.AccountList);
}

TEST_F(SettingsTest, OnlyTheFirstRestoreReads) {
  TMainSettings saved;
  saved.AccountList = {TServer("a.ru", "a", "1", true)};
  Save(saved);
  TMainSettings settings;
  auto store = Store();
  RestoreMainSettings(store, settings);
  settings.Interval = 1234;
  RestoreMainSettings(store, settings);
  EXPECT_EQ(settings.AccountList.size(), 1u);
  EXPECT_EQ(settings.Interval, 1234);
}

TEST_F(SettingsTest, WorkDirBecomesTheWorkingDirectoryUnlessItIsGone) {
  const fs::path work = base_ / "work";
  fs::create_directories(work);
  struct Case {
    const char* name;
    const char* stored;  // nullptr: missing
    fs::path expected;
  } cases[] = {
      {"existing folder", work.c_str(), work},
      {"folder that is gone", "/no/such/folder", startFolder_},
      {"empty", "", startFolder_},
      {"missing", nullptr, startFolder_},
  };
  for (const auto& c : cases) {
    fs::current_path(startFolder_);
    {
      auto store = Store();
      store.DeleteValue("TMainForm", "WorkDir");
      if (c.stored) store.WriteString("TMainForm", "WorkDir", c.stored);
    }
    Restored();
    EXPECT_EQ(fs::current_path(), c.expected) << c.name;
  }
}

TEST_F(SettingsTest, SaveStoresTheWorkingDirectoryAsItsOwnBytes) {
  const fs::path work = base_ / "Папка 文件";
  fs::create_directories(work);
  fs::current_path(work);
  Save(TMainSettings{});
  fs::current_path(startFolder_);
  EXPECT_EQ(Stored("TMainForm", "WorkDir"), work.string());
  Restored();
  EXPECT_EQ(fs::current_path(), work);
}

}  // namespace
