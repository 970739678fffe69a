// The guard against a second running copy: a lock file per user in a folder
// only the user may enter (platform/lock_folder.h), held for the program's
// life. A lock left by a copy that died is taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace app {

class SingleInstance {
 public:
  // `lockPath` empty: "tessaro.lock" in the user's lock folder.
  explicit SingleInstance(const QString& lockPath = QString());

  bool Acquired() const { return acquired_; }
  // Not acquired because another copy holds the lock; false also when no
  // private folder could be had for it.
  bool HeldByAnotherCopy() const { return lock_ && !acquired_; }
  // The socket beside the lock where the holder takes requests to show its
  // window (show_requests.h); empty without a private folder.
  QString ShowSocketPath() const { return showSocketPath_; }

 private:
  std::unique_ptr<QLockFile> lock_;  // null: no private folder for it
  bool acquired_ = false;
  QString showSocketPath_;
};

}  // namespace app
