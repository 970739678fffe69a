#include "app/lifecycle/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace app {

namespace {

QString DefaultLockPath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
      .filePath(QStringLiteral("tessaro.lock"));
}

}  // namespace

SingleInstance::SingleInstance(const QString& lockPath)
    : lock_(std::make_unique<QLockFile>(lockPath.isEmpty() ? DefaultLockPath() : lockPath)) {
  // A running copy holds the lock however long it runs; only a lock whose
  // process is gone counts as stale.
  lock_->setStaleLockTime(0);
  acquired_ = lock_->tryLock(0);
}

}  // namespace app
