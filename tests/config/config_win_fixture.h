// A configuration dialog over a given account list, with its registry in a
// folder of the test's own and its message boxes recorded, and the user's
// ways of acting on it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <filesystem>
#include <memory>
#include <string>

#include "config/check_list_box.h"
#include "config/config_win.h"
#include "desktop/form_placement_reg.h"
#include "platform/ini_registry_store.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/qt_environment.h"
#include "tests/support/temp_files.h"

namespace testsupport {

inline constexpr const char* kConfigKey = "Software\\tessaro";

class ConfigWinFixture : public ::testing::Test {
 protected:
  // Created and shown, as the opener does it (not modally, so the test goes on).
  std::unique_ptr<config::TConfigWin> Open(config::TAccountList& accounts,
                                           std::unique_ptr<platform::TcpClient> connection = nullptr,
                                           platform::Keyring* keyring = nullptr) {
    auto win = std::make_unique<config::TConfigWin>(accounts, boxes_, nullptr, platform::IniRegistryOpener(base_),
                                                    std::move(connection), keyring);
    win->FormPlacementReg1().IniFileName = kConfigKey;
    win->show();
    return win;
  }

  platform::IniRegistryStore Store() const { return platform::IniRegistryStore(base_, kConfigKey); }

  FakeMessageBoxes boxes_;
  testsupport::TempDir temp_;
  const std::string base_ = temp_.Path().string();
};

// The user clicks entry `row`: the list moves its selection, then reports it.
inline void Pick(config::TConfigWin& win, int row) {
  win.CLBServers()->setCurrentRow(row);
  win.CLBServersClick();
}

// The user clicks entry `row`'s check box: the press picks the entry, then
// the mark under the mouse flips.
inline void ClickCheckBox(config::TConfigWin& win, int row) {
  config::TCheckListBox& list = *win.CLBServers();
  if (list.currentRow() != row) Pick(win, row);
  list.SetChecked(row, !list.Checked(row));
  win.CLBServersClickCheck();
}

// The user selects the whole text of an edit and types over it.
inline void Type(QLineEdit& edit, const QString& text) {
  edit.selectAll();
  QKeyEvent typed(QEvent::KeyPress, text.isEmpty() ? Qt::Key_Backspace : Qt::Key_unknown, Qt::NoModifier, text);
  QCoreApplication::sendEvent(&edit, &typed);
}

}  // namespace testsupport
