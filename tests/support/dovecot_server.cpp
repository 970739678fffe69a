#include "tests/support/dovecot_server.h"

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/closed_port.h"
#include "tests/support/loopback.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {

// Dovecot refuses to serve mail as root; install-deps creates this user.
constexpr const char* kMailUser = "tessaro-mail";

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = LoopbackAddress(port);
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string SslSettings(const std::optional<DovecotTls>& tls) {
  if (!tls) return "ssl = no\n";
  return "ssl = yes\nssl_cert = <" + tls->certFile +
         "\nssl_key = <" + tls->keyFile + "\n";
}

std::string UserName(uid_t uid) {
  const passwd* entry = ::getpwuid(uid);
  if (entry == nullptr) throw std::runtime_error("no user for uid " + std::to_string(uid));
  return entry->pw_name;
}

}  // namespace

DovecotServer::DovecotServer(std::vector<MailboxUser> users, std::optional<DovecotTls> tls,
                             std::optional<std::string> oauth2Introspection) {
  char pattern[] = "/tmp/tessaro-dovecot-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  if (::geteuid() == 0) {
    const passwd* entry = ::getpwnam(kMailUser);
    if (entry == nullptr) throw std::runtime_error("user tessaro-mail is missing: run scripts/install-deps");
    mailUid_ = entry->pw_uid;
    mailGid_ = entry->pw_gid;
  } else {
    mailUid_ = ::geteuid();
    mailGid_ = ::getegid();
  }
  ChoosePorts(tls.has_value());
  WriteConfiguration(users, tls, oauth2Introspection);
  for (const auto& user : users) WriteMaildir(user);
  Start();
}

DovecotServer::~DovecotServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, nullptr, WNOHANG);
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

// Dovecot binds its ports itself, so they are given back before it starts;
// taken together, the two cannot be the same.
void DovecotServer::ChoosePorts(bool secure) {
  const ClosedPort plain;
  std::optional<ClosedPort> tls;
  if (secure) tls.emplace();
  port_ = plain.Port();
  securePort_ = tls ? tls->Port() : 0;
}

void DovecotServer::WriteConfiguration(const std::vector<MailboxUser>& users, const std::optional<DovecotTls>& tls,
                                       const std::optional<std::string>& oauth2Introspection) {
  const bool root = ::geteuid() == 0;
  const std::string internalUser = root ? "dovecot" : UserName(::geteuid());
  const std::string loginUser = root ? "dovenull" : internalUser;
  std::ostringstream passwords;
  for (const auto& user : users) passwords << user.name << ":{PLAIN}" << user.password << "::::::\n";
  WriteFile(fs::path(root_) / "users", passwords.str());

  std::ostringstream config;
  config << "protocols = pop3\n"
         << "listen = 127.0.0.1\n"
         << "base_dir = " << root_ << "/run\n"
         << "state_dir = " << root_ << "/state\n"
         << "log_path = " << root_ << "/dovecot.log\n"
         << SslSettings(tls)
         << "disable_plaintext_auth = no\n"
         << "auth_mechanisms = plain apop" << (oauth2Introspection ? " xoauth2 oauthbearer" : "") << "\n"
         << "first_valid_uid = 1\n"
         << "default_internal_user = " << internalUser << "\n"
         << "default_login_user = " << loginUser << "\n"
         << "mail_location = maildir:~/Maildir\n"
         << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " << root_ << "/users\n"
         << (oauth2Introspection ? "  mechanisms = plain login apop\n" : "") << "}\n"
         << (oauth2Introspection
                 ? "passdb {\n  driver = oauth2\n  mechanisms = xoauth2 oauthbearer\n  args = " + root_ + "/oauth2.conf.ext\n}\n"
                 : std::string())
         << "userdb {\n  driver = static\n  args = uid=" << mailUid_ << " gid=" << mailGid_ << " home=" << root_
         << "/mail/%u\n}\n"
         << "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    port = " << port_
         << "\n  }\n  inet_listener pop3s {\n    port = " << securePort_ << "\n  }\n}\n"
         << "service anvil {\n  chroot =\n}\n"
         << "service imap-login {\n  chroot =\n}\n";
  WriteFile(fs::path(root_) / "dovecot.conf", config.str());
  if (oauth2Introspection)
    WriteFile(fs::path(root_) / "oauth2.conf.ext",
              "introspection_mode = post\nintrospection_url = " + *oauth2Introspection +
                  "\nforce_introspection = yes\nusername_attribute = username\nactive_attribute = active\n"
                  "active_value = true\n");
}

// Messages go to cur/ under names that sort in mailbox order, which is the
// order Dovecot numbers them in.
void DovecotServer::WriteMaildir(const MailboxUser& user) {
  const fs::path home = fs::path(root_) / "mail" / user.name;
  const fs::path maildir = home / "Maildir";
  for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(maildir / sub);
  for (std::size_t i = 0; i < user.messages.size(); ++i) {
    const std::string name = std::to_string(1700000000 + i) + ".M" + std::to_string(i) + "P1.tessaro:2,";
    WriteFile(maildir / "cur" / name, user.messages[i]);
  }
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(root_) / "mail"))
    ::chown(entry.path().c_str(), mailUid_, mailGid_);
  ::chown((fs::path(root_) / "mail").c_str(), mailUid_, mailGid_);
}

void DovecotServer::Start() {
  const std::string config = root_ + "/dovecot.conf";
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    ::execlp("dovecot", "dovecot", "-F", "-c", config.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  WaitUntilListening();
}

void DovecotServer::WaitUntilListening() {
  for (int i = 0; i < 200; ++i) {
    if (Accepts(port_) && (securePort_ == 0 || Accepts(securePort_))) return;
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("dovecot ended at start:\n" + Log());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  throw std::runtime_error("dovecot did not listen within 10 s:\n" + Log());
}

std::size_t DovecotServer::MessagesStored(const std::string& user) const {
  std::size_t count = 0;
  const fs::path maildir = fs::path(root_) / "mail" / user / "Maildir";
  for (const char* sub : {"cur", "new"})
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(maildir / sub)) ++count;
  return count;
}

void DovecotServer::Deliver(const std::string& user, const std::string& message) {
  const fs::path maildir = fs::path(root_) / "mail" / user / "Maildir";
  const std::string name = std::to_string(1800000000 + MessagesStored(user)) + ".M0P1.tessaro";
  // Written aside and renamed in, so the server never sees half a message.
  WriteFile(maildir / "tmp" / name, message);
  ::chown((maildir / "tmp" / name).c_str(), mailUid_, mailGid_);
  fs::rename(maildir / "tmp" / name, maildir / "new" / name);
}

std::string DovecotServer::Log() const {
  std::ifstream in(root_ + "/dovecot.log");
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool DovecotServer::Logged(const std::string& text) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Log().find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace testsupport
