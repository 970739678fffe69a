// A python3-dbusmock template serving its name on the session or the system
// bus while the object lives, and the calls it has recorded.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QVariantList>
#include <vector>

namespace testsupport {

class DbusMock {
 public:
  enum class Bus { kSession, kSystem };

  DbusMock(const QString& templateName, const QString& service, Bus bus);
  ~DbusMock();
  DbusMock(const DbusMock&) = delete;
  DbusMock& operator=(const DbusMock&) = delete;

  // Whether the service has come up on its bus.
  bool Registered();
  // A method of the template's org.freedesktop.DBus.Mock interface on `path`; whether it answered.
  bool Call(const QString& path, const QString& method, const QVariantList& arguments);
  // The arguments of each call of `method` on `path`, in order.
  std::vector<QVariantList> Calls(const QString& path, const QString& method);

 private:
  QDBusConnection Connection() const;

  QString service_;
  Bus bus_;
  QProcess mock_;
};

}  // namespace testsupport
