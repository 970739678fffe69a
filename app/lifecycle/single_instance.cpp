#include "app/lifecycle/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <string>

#include "platform/lock_folder.h"

namespace app {

namespace {

// Empty when no private folder can be had.
QString DefaultLockPath() {
  const std::optional<std::string> folder = platform::DefaultLockFolder();
  return folder ? QDir(QFile::decodeName(folder->c_str())).filePath(QStringLiteral("tessaro.lock")) : QString();
}

}  // namespace

SingleInstance::SingleInstance(const QString& lockPath) {
  const QString path = lockPath.isEmpty() ? DefaultLockPath() : lockPath;
  if (path.isEmpty()) return;
  showSocketPath_ = QFileInfo(path).dir().filePath(QStringLiteral("tessaro.show"));
  lock_ = std::make_unique<QLockFile>(path);
  // A running copy holds the lock however long it runs; only a lock whose
  // process is gone counts as stale.
  lock_->setStaleLockTime(0);
  acquired_ = lock_->tryLock(0);
}

}  // namespace app
