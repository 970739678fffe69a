#include "app/lifecycle/single_instance.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/qt_environment.h"
#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;

// An environment variable set, or unset, for the object's life.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The working folder changed for the object's life.
class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const fs::path& folder) : old_(fs::current_path()) { fs::current_path(folder); }
  ~ScopedWorkingFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

struct LockPlace {
  const char* name;
  // Makes what XDG_RUNTIME_DIR names below `root`; answers whether it is a
  // folder the lock may use. None: the variable is unset.
  std::function<std::optional<bool>(const fs::path& root)> runtime;
};

const LockPlace kLockPlaces[] = {
    {"a runtime folder of ours",
     [](const fs::path& root) {
       fs::create_directory(root / "run");
       fs::permissions(root / "run", fs::perms::owner_all);
       return std::optional<bool>(true);
     }},
    {"a runtime folder others may enter",
     [](const fs::path& root) {
       fs::create_directory(root / "run");
       fs::permissions(root / "run", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
       return std::optional<bool>(false);
     }},
    {"a runtime folder someone else made",
     [](const fs::path& root) {
       fs::create_directory(root / "run");
       fs::permissions(root / "run", fs::perms::owner_all);
       // Only root can give a folder away; elsewhere a folder open to all stands for the squatter's.
       if (::geteuid() != 0 || ::chown((root / "run").c_str(), 65534, 65534) != 0)
         fs::permissions(root / "run", fs::perms::all);
       return std::optional<bool>(false);
     }},
    {"a link to a folder of ours",
     [](const fs::path& root) {
       fs::create_directory(root / "ours");
       fs::permissions(root / "ours", fs::perms::owner_all);
       fs::create_directory_symlink(root / "ours", root / "run");
       return std::optional<bool>(false);
     }},
    {"no runtime folder", [](const fs::path&) { return std::optional<bool>(); }},
};

TEST(SingleInstance, TheLockLivesOnlyInAPrivateFolderWhereverTheProgramStarts) {
  for (const LockPlace& place : kLockPlaces) {
    SCOPED_TRACE(place.name);
    testsupport::TempDir root;
    const std::optional<bool> usable = place.runtime(root.Path());
    const ScopedVariable runtime("XDG_RUNTIME_DIR", usable ? std::optional((root.Path() / "run").string()) : std::nullopt);
    const ScopedVariable state("XDG_STATE_HOME", (root.Path() / "state").string());
    fs::create_directories(root.Path() / "one");
    fs::create_directories(root.Path() / "two");
    const fs::path expected = (usable.value_or(false) ? root.Path() / "run" : root.Path() / "state" / "tessaro") / "tessaro.lock";

    std::optional<ScopedWorkingFolder> working(root.Path() / "one");
    const app::SingleInstance first;
    EXPECT_TRUE(first.Acquired());
    EXPECT_TRUE(fs::exists(expected)) << expected;
    EXPECT_FALSE(fs::exists(root.Path() / "one" / "tessaro.lock"));
    working.reset();
    working.emplace(root.Path() / "two");
    const app::SingleInstance second;
    EXPECT_FALSE(second.Acquired());
    EXPECT_TRUE(second.HeldByAnotherCopy());
    working.reset();
  }
}

TEST(SingleInstance, WithoutAPrivateFolderThereIsNoLockRatherThanARefusal) {
  testsupport::TempDir root;
  testsupport::WriteText(root.Path() / "file", "not a folder");
  const ScopedVariable runtime("XDG_RUNTIME_DIR", std::nullopt);
  const ScopedVariable state("XDG_STATE_HOME", (root.Path() / "file" / "state").string());
  const app::SingleInstance instance;
  EXPECT_FALSE(instance.Acquired());
  EXPECT_FALSE(instance.HeldByAnotherCopy());
}

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
