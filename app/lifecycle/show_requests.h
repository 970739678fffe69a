// How a second start reaches the running copy: the running copy listens on
// a local socket beside its single-instance lock, in the user's private
// folder, and a copy that finds the lock taken asks it there to show its
// main window. That is the way back to a program started hidden on a
// desktop with no notification area. The socket takes this one request and
// nothing else.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace app {

class ShowRequestListener : public QObject {
  Q_OBJECT

 public:
  // Starts listening on `socketPath`. Only the holder of the lock may call
  // this: a socket file left there by a copy that died is replaced.
  explicit ShowRequestListener(const QString& socketPath);

  bool Listening() const { return server_.isListening(); }
  QString ErrorText() const { return server_.errorString(); }

  // Called once for each request, from the event loop.
  std::function<void()> OnShowRequest;

 private:
  void Accept();

  QLocalServer server_;
};

// Asks the copy listening on `socketPath` to show its main window; false
// when no copy answers within a second.
bool RequestShow(const QString& socketPath);

}  // namespace app
