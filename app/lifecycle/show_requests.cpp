#include "app/lifecycle/show_requests.h"

#include <QLocalSocket>

namespace app {

namespace {

constexpr int kRequestLimitMs = 1000;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");

}  // namespace

ShowRequestListener::ShowRequestListener(const QString& socketPath) {
  QLocalServer::removeServer(socketPath);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &ShowRequestListener::Accept);
  server_.listen(socketPath);
}

// Reads no more than the request's length; anything else closes the connection.
void ShowRequestListener::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() < kShowRequest.size()) return;
      const bool asked = socket->read(kShowRequest.size()) == kShowRequest;
      socket->disconnectFromServer();
      if (asked && OnShowRequest) OnShowRequest();
    });
  }
}

bool RequestShow(const QString& socketPath) {
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(kRequestLimitMs)) return false;
  socket.write(kShowRequest);
  const bool sent = socket.waitForBytesWritten(kRequestLimitMs);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace app
