// One QApplication for the whole test program, made before the first test and
// ended before main returns: Qt's platform plugin is gone by the time static
// objects are destroyed. Including this header is enough.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace testsupport {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "tessaro_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] inline const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace testsupport
