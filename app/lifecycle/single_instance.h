// The guard against a second running copy: a lock file per user in the
// runtime directory, held for the program's life. A lock left by a copy that
// died is taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace app {

class SingleInstance {
 public:
  // `lockPath` empty: "tessaro.lock" in the user's runtime directory.
  explicit SingleInstance(const QString& lockPath = QString());

  // False when another copy holds the lock.
  bool Acquired() const { return acquired_; }

 private:
  std::unique_ptr<QLockFile> lock_;
  bool acquired_ = false;
};

}  // namespace app
