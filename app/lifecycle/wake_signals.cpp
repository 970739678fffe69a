#include "app/lifecycle/wake_signals.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace app {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kNetworkManager = QStringLiteral("org.freedesktop.NetworkManager");

}  // namespace

WakeSignals::WakeSignals() {
  QDBusConnection::systemBus().connect(kLogin, QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.login1.Manager"),
                                       QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
  ListenToTheNetwork();
}

// NetworkManager, when it runs, knows best whether the network is there;
// otherwise whichever backend Qt has.
void WakeSignals::ListenToTheNetwork() {
  const QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
  const bool networkManager = bus != nullptr && bus->isServiceRegistered(kNetworkManager);
  using Network = QNetworkInformation;
  const bool loaded = networkManager ? Network::loadBackendByName(QStringLiteral("networkmanager"))
                                     : Network::loadBackendByFeatures(Network::Feature::Reachability);
  if (!loaded) return;
  const QNetworkInformation* network = QNetworkInformation::instance();
  online_ = network->reachability() == QNetworkInformation::Reachability::Online;
  connect(network, &QNetworkInformation::reachabilityChanged, this, &WakeSignals::ReachabilityChanged);
}

void WakeSignals::PrepareForSleep(bool sleeping) {
  if (!sleeping) Wake();
}

void WakeSignals::ReachabilityChanged(QNetworkInformation::Reachability reachability) {
  const bool wasOnline = online_;
  online_ = reachability == QNetworkInformation::Reachability::Online;
  if (online_ && !wasOnline) Wake();
}

void WakeSignals::Wake() {
  if (OnWake) OnWake();
}

}  // namespace app
