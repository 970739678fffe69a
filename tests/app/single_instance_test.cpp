#include "app/lifecycle/single_instance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "tests/support/qt_environment.h"

namespace {

TEST(SingleInstance, SecondCopyIsRefusedWhileTheFirstRuns) {
  QTemporaryDir folder;
  const QString lock = folder.filePath(QStringLiteral("tessaro.lock"));
  std::optional<app::SingleInstance> first(lock);
  EXPECT_TRUE(first->Acquired());
  EXPECT_FALSE(app::SingleInstance(lock).Acquired());
  first.reset();
  EXPECT_TRUE(app::SingleInstance(lock).Acquired());
}

TEST(SingleInstance, LockOfACopyThatDiedIsTakenOver) {
  QTemporaryDir folder;
  const QString lock = folder.filePath(QStringLiteral("tessaro.lock"));
  {
    // A lock file naming a process that no longer runs, as a crash leaves it.
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("999999999\ntessaro\n\n");
  }
  EXPECT_TRUE(app::SingleInstance(lock).Acquired());
}

}  // namespace
