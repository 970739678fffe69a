#include "platform/qt_keyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QMap>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr const char* kSecretService = "org.freedesktop.secrets";
constexpr const char* kKwallets[] = {"org.kde.kwalletd6", "org.kde.kwalletd5"};

// Serves the event loop, user input aside, until `sender` emits `signal` or `limit` has passed.
template <typename Sender, typename Signal>
void WaitFor(const Sender* sender, Signal signal, std::chrono::milliseconds limit) {
  QEventLoop loop;
  QObject::connect(sender, signal, &loop, &QEventLoop::quit);
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// What a finished job left; shared with the job's handler, so that a job that
// outlives its wait (it deletes itself when it finishes) writes into memory
// that is still there.
struct JobOutcome {
  bool finished = false;
  QKeychain::Error error = QKeychain::OtherError;
  QString errorText;
  QString text;
};

std::shared_ptr<JobOutcome> Run(QKeychain::Job* job, std::chrono::milliseconds limit) {
  auto outcome = std::make_shared<JobOutcome>();
  job->setAutoDelete(true);
  QObject::connect(job, &QKeychain::Job::finished, job, [outcome](QKeychain::Job* done) {
    outcome->finished = true;
    outcome->error = done->error();
    outcome->errorText = done->errorString();
    if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done)) outcome->text = read->textData();
  });
  job->start();
  WaitFor(job, &QKeychain::Job::finished, limit);
  if (!outcome->finished) outcome->errorText = QStringLiteral("связка ключей не ответила вовремя");
  return outcome;
}

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

enum class Probe { kLocked, kNotLocked, kNoService };

// Asks the Secret Service whether the entry sits behind a lock. SearchItems
// never prompts, unlike a lookup, which asks the user to unlock and, when
// nobody can answer, reports no password at all.
Probe ProbeLock(const QString& service, const QString& key) {
  qDBusRegisterMetaType<QMap<QString, QString>>();
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kSecretService),
                                                     QStringLiteral("/org/freedesktop/secrets"),
                                                     QStringLiteral("org.freedesktop.Secret.Service"),
                                                     QStringLiteral("SearchItems"));
  const QMap<QString, QString> attributes{{QStringLiteral("server"), service}, {QStringLiteral("user"), key}};
  call << QVariant::fromValue(attributes);
  const auto limit = static_cast<int>(QtKeyring::kReadLimit.count());
  QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(call, limit));
  if (!watcher.isFinished()) WaitFor(&watcher, &QDBusPendingCallWatcher::finished, QtKeyring::kReadLimit);
  const QDBusMessage reply = watcher.reply();
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) return Probe::kNoService;
  const auto unlocked = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0));
  const auto locked = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1));
  return unlocked.isEmpty() && !locked.isEmpty() ? Probe::kLocked : Probe::kNotLocked;
}

KeyringRead Unavailable(const QString& why) {
  return {KeyringRead::Outcome::kUnavailable, {}, Utf8(QStringLiteral("связка ключей недоступна: ") + why)};
}

}  // namespace

QtKeyring::QtKeyring(std::string service) : service_(std::move(service)) {}

bool QtKeyring::Available() {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  const QStringList activatable = bus.interface()->activatableServiceNames();
  const auto offered = [&](const char* name) {
    const QString service = QString::fromLatin1(name);
    return bus.interface()->isServiceRegistered(service).value() || activatable.contains(service);
  };
  if (offered(kSecretService)) return true;
  for (const char* wallet : kKwallets)
    if (offered(wallet)) return true;
  return false;
}

KeyringRead QtKeyring::Read(const std::string& key) {
  if (!QDBusConnection::sessionBus().isConnected()) return Unavailable(QStringLiteral("нет сеансовой шины D-Bus"));
  const QString service = QString::fromStdString(service_);
  const QString name = QString::fromStdString(key);
  if (ProbeLock(service, name) == Probe::kLocked) return {KeyringRead::Outcome::kLocked, {}, {}};
  auto* job = new QKeychain::ReadPasswordJob(service);
  job->setKey(name);
  const std::shared_ptr<JobOutcome> outcome = Run(job, kReadLimit);
  if (!outcome->finished) return Unavailable(outcome->errorText);
  switch (outcome->error) {
    case QKeychain::NoError:
      return {KeyringRead::Outcome::kPassword, Utf8(outcome->text), {}};
    case QKeychain::EntryNotFound:
      return {KeyringRead::Outcome::kNoEntry, {}, {}};
    case QKeychain::AccessDenied:  // libsecret's answer for a locked item
    case QKeychain::AccessDeniedByUser:
      return {KeyringRead::Outcome::kLocked, {}, {}};
    default:
      return Unavailable(outcome->errorText);
  }
}

KeyringWrite QtKeyring::Write(const std::string& key, const std::string& password) {
  if (!QDBusConnection::sessionBus().isConnected()) return {false, "нет сеансовой шины D-Bus"};
  auto* job = new QKeychain::WritePasswordJob(QString::fromStdString(service_));
  job->setKey(QString::fromStdString(key));
  job->setTextData(QString::fromStdString(password));
  const std::shared_ptr<JobOutcome> outcome = Run(job, kWriteLimit);
  if (outcome->finished && outcome->error == QKeychain::NoError) return {true, {}};
  return {false, Utf8(outcome->errorText)};
}

bool QtKeyring::Remove(const std::string& key) {
  if (!QDBusConnection::sessionBus().isConnected()) return false;
  auto* job = new QKeychain::DeletePasswordJob(QString::fromStdString(service_));
  job->setKey(QString::fromStdString(key));
  const std::shared_ptr<JobOutcome> outcome = Run(job, kReadLimit);
  return outcome->finished && (outcome->error == QKeychain::NoError || outcome->error == QKeychain::EntryNotFound);
}

}  // namespace platform
