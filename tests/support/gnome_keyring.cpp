#include "tests/support/gnome_keyring.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_program.h"

namespace testsupport {

namespace {

constexpr const char* kLoginPassword = "test-login-password";
constexpr const char* kDaemon = "/usr/bin/gnome-keyring-daemon";
constexpr const char* kSecretTool = "/usr/bin/secret-tool";
constexpr const char* kDbusSend = "/usr/bin/dbus-send";

bool SecretServiceOwned() {
  const ProgramResult result =
      RunProgram({kDbusSend, "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                  "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"},
                 {}, {}, 10);
  return result.exitStatus == 0 && result.out.find("boolean true") != std::string::npos;
}

// The Secret Service's Secret: session, parameters, value, content type.
struct Secret {
  QDBusObjectPath session;
  QByteArray parameters;
  QByteArray value;
  QString contentType;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Secret& secret) {
  argument.beginStructure();
  argument << secret.session << secret.parameters << secret.value << secret.contentType;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Secret& secret) {
  argument.beginStructure();
  argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
  argument.endStructure();
  return argument;
}

}  // namespace

}  // namespace testsupport

Q_DECLARE_METATYPE(testsupport::Secret)

namespace testsupport {

GnomeKeyring::GnomeKeyring(Start start, const std::vector<std::pair<std::string, std::string>>& entries) {
  if (getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) throw std::runtime_error("no private session bus");
  Run(true);
  for (const auto& [key, password] : entries) Store(key, password);
  if (start == Start::kUnlocked) return;
  Stop();
  Run(false);
}

GnomeKeyring::~GnomeKeyring() { Stop(); }

void GnomeKeyring::Lock() {
  const ProgramResult result =
      RunProgram({kDbusSend, "--session", "--print-reply", "--dest=org.freedesktop.secrets", "/org/freedesktop/secrets",
                  "org.freedesktop.Secret.Service.Lock", "array:objpath:/org/freedesktop/secrets/collection/login"},
                 {}, {}, 10);
  if (result.exitStatus != 0) throw std::runtime_error("Lock failed: " + result.err);
}

void GnomeKeyring::Unlock() {
  qDBusRegisterMetaType<Secret>();
  QDBusInterface service(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                         QStringLiteral("org.freedesktop.Secret.Service"));
  const QDBusMessage opened = service.call(QStringLiteral("OpenSession"), QStringLiteral("plain"),
                                           QVariant::fromValue(QDBusVariant(QString())));
  if (opened.type() != QDBusMessage::ReplyMessage) throw std::runtime_error("OpenSession failed");
  const Secret secret{opened.arguments().at(1).value<QDBusObjectPath>(), {}, QByteArray(kLoginPassword),
                      QStringLiteral("text/plain")};
  QDBusInterface internal(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                          QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"));
  const QDBusMessage unlocked =
      internal.call(QStringLiteral("UnlockWithMasterPassword"),
                    QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/freedesktop/secrets/collection/login"))),
                    QVariant::fromValue(secret));
  if (unlocked.type() != QDBusMessage::ReplyMessage)
    throw std::runtime_error("UnlockWithMasterPassword failed: " + unlocked.errorMessage().toStdString());
}

std::string GnomeKeyring::Lookup(const std::string& key) {
  return RunProgram({kSecretTool, "lookup", "server", "tessaro", "user", key}, {}, {}, 10).out;
}

void GnomeKeyring::Store(const std::string& key, const std::string& password) {
  const ProgramResult result = RunProgram(
      {kSecretTool, "store", "--label=tessaro/" + key, "server", "tessaro", "user", key, "type", "plaintext"}, {},
      password, 10);
  if (result.exitStatus != 0) throw std::runtime_error("secret-tool store failed: " + result.err);
}

// In the foreground, so that the process stays ours to stop.
void GnomeKeyring::Run(bool unlock) {
  int in[2];
  if (::pipe(in) != 0) throw std::runtime_error("pipe failed");
  const std::string home = home_.Path().string();
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::dup2(in[0], 0);
    ::close(in[0]);
    ::close(in[1]);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    ::unsetenv("GNOME_KEYRING_CONTROL");
    std::vector<const char*> args = {kDaemon, "--foreground", "--components=secrets"};
    if (unlock) args.push_back("--unlock");
    args.push_back(nullptr);
    ::execv(kDaemon, const_cast<char* const*>(args.data()));
    ::_exit(127);
  }
  ::close(in[0]);
  const auto length = static_cast<ssize_t>(std::char_traits<char>::length(kLoginPassword));
  const bool written = !unlock || ::write(in[1], kLoginPassword, static_cast<std::size_t>(length)) == length;
  ::close(in[1]);
  if (!written) throw std::runtime_error("the login password could not be given to gnome-keyring-daemon");
  WaitForService();
}

void GnomeKeyring::Stop() {
  if (pid_ < 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
  // The bus releases the name when the connection goes; the next daemon must find it free.
  for (int i = 0; i < 100 && SecretServiceOwned(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void GnomeKeyring::WaitForService() const {
  for (int i = 0; i < 200; ++i) {
    if (SecretServiceOwned()) return;
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) throw std::runtime_error("gnome-keyring-daemon ended");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  throw std::runtime_error("gnome-keyring-daemon did not take its name on the bus");
}

bool NoSecretServiceOnBus() { return getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr && !SecretServiceOwned(); }

}  // namespace testsupport
