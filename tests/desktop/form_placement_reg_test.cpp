#include "desktop/form_placement_reg.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/ini_registry_store.h"

#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;
using desktop::TFormPlacementReg;
using text::operator""_cp1251;

constexpr const char* kKey = "Software\\tessaro";
constexpr const char* kSection = "TMainForm";

QApplication& App() {
  static int argc = 1;
  static char name[] = "form_placement_reg_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

// A form that logs its own show and close handlers and may refuse to close.
class Form : public QWidget {
 public:
  explicit Form(std::vector<std::string>* log = nullptr) : log_(log) {}
  bool RefuseClose = false;

 protected:
  void showEvent(QShowEvent* event) override {
    if (log_) log_->push_back("form show");
    QWidget::showEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (log_) log_->push_back("form close");
    if (RefuseClose) event->ignore();
  }

 private:
  std::vector<std::string>* log_;
};

class FormPlacementRegTest : public ::testing::Test {
 protected:
  FormPlacementRegTest() { App(); }

  // A component on `form` that stores below the test's own folder in section TMainForm.
  std::unique_ptr<TFormPlacementReg> Attach(QWidget& form) {
    auto reg = std::make_unique<TFormPlacementReg>(form, platform::IniRegistryOpener(base_));
    reg->IniFileName = kKey;
    reg->IniSection = kSection;
    return reg;
  }

  platform::IniRegistryStore Store() const { return platform::IniRegistryStore(base_, kKey); }
  std::string Stored(const char* name) const { return Store().ReadString(kSection, name, "<missing>"); }
  void Put(const char* name, const std::string& value) { Store().WriteString(kSection, name, value); }
  bool FileExists() const { return fs::exists(Store().FilePath()); }

  testsupport::TempDir temp_;
  const fs::path base_ = temp_.Path();
};

TEST_F(FormPlacementRegTest, FirstRunKeepsTheDesignPlacementAndTheFirstCloseWritesAllFourValues) {
  std::vector<std::string> log;
  Form form(&log);
  form.setGeometry(100, 120, 300, 200);
  auto reg = Attach(form);
  reg->OnRestorePlacement = [&](TFormPlacementReg& sender) {
    ASSERT_NE(sender.RegIniFile(), nullptr);
    log.push_back("restore " + sender.RegIniFile()->ReadString(kSection, "ShowMain", "default"));
  };
  reg->OnSavePlacement = [&](TFormPlacementReg& sender) {
    ASSERT_NE(sender.RegIniFile(), nullptr);
    sender.RegIniFile()->WriteBool(kSection, "ShowMain", true);
    log.push_back("save");
  };
  EXPECT_FALSE(reg->Restored());

  form.show();
  EXPECT_TRUE(reg->Restored());
  EXPECT_FALSE(reg->Saved());
  EXPECT_EQ(reg->RegIniFile(), nullptr);
  EXPECT_EQ(form.geometry(), QRect(100, 120, 300, 200));
  EXPECT_EQ(form.windowState(), Qt::WindowNoState);
  EXPECT_FALSE(FileExists()) << "restoring writes nothing";

  EXPECT_TRUE(form.close());
  EXPECT_TRUE(reg->Saved());
  EXPECT_EQ(log, (std::vector<std::string>{"restore default", "form show", "form close", "save"}));
  EXPECT_EQ(Stored("Flags"), "0");
  EXPECT_EQ(Stored("ShowCmd"), "1");
  EXPECT_EQ(Stored("MinMaxPos"), "-1,-1,-1,-1");
  EXPECT_EQ(Stored("NormPos"), "100,120,400,320");
  EXPECT_EQ(Stored("ShowMain"), "1");
  EXPECT_EQ(Stored("ActiveControl"), "<missing>") << "only with fpActiveControl";
}

TEST_F(FormPlacementRegTest, StoredPlacementComesBackOnTheNextRun) {
  {
    Form form;
    auto reg = Attach(form);
    form.show();
    form.setGeometry(50, 60, 320, 240);
    form.close();
  }
  Form form;
  form.setGeometry(0, 0, 100, 100);
  auto reg = Attach(form);
  form.show();
  EXPECT_EQ(form.geometry(), QRect(50, 60, 320, 240));
}

TEST_F(FormPlacementRegTest, MaximisedAndMinimisedStatesAreWrittenAsShowCommands) {
  struct Case {
    const char* name;
    Qt::WindowStates state;
    const char* flags;
    const char* showCmd;
  } cases[] = {
      {"normal", Qt::WindowNoState, "0", "1"},
      {"maximised", Qt::WindowMaximized, "0", "3"},
      {"full screen", Qt::WindowFullScreen, "0", "3"},
      {"minimised", Qt::WindowMinimized, "0", "2"},
      {"minimised from maximised", Qt::WindowMinimized | Qt::WindowMaximized, "2", "2"},
  };
  for (const auto& c : cases) {
    Form form;
    form.setGeometry(30, 40, 200, 100);
    auto reg = Attach(form);
    form.show();
    form.setWindowState(c.state);
    form.close();
    EXPECT_EQ(Stored("Flags"), c.flags) << c.name;
    EXPECT_EQ(Stored("ShowCmd"), c.showCmd) << c.name;
    EXPECT_EQ(Stored("NormPos"), "30,40,230,140") << c.name << ": the normal rectangle whatever the state";
  }
}

TEST_F(FormPlacementRegTest, ShowCommandsBecomeWindowStates) {
  struct Case {
    const char* name;
    const char* showCmd;  // nullptr: missing
    const char* flags;
    Qt::WindowStates expected;
  } cases[] = {
      {"missing", nullptr, "0", Qt::WindowNoState},
      {"1 normal", "1", "0", Qt::WindowNoState},
      {"5 show", "5", "0", Qt::WindowNoState},
      {"9 restore", "9", "0", Qt::WindowNoState},
      {"2 minimised", "2", "0", Qt::WindowMinimized},
      {"6 minimise", "6", "0", Qt::WindowMinimized},
      {"2 minimised, restores to maximised", "2", "2", Qt::WindowMinimized | Qt::WindowMaximized},
      {"3 maximised", "3", "0", Qt::WindowMaximized},
      {"0 hidden", "0", "0", Qt::WindowNoState},
      {"7 other", "7", "0", Qt::WindowNoState},
      {"not a number", "max", "0", Qt::WindowNoState},
  };
  for (const auto& c : cases) {
    Store().DeleteValue(kSection, "ShowCmd");
    if (c.showCmd) Put("ShowCmd", c.showCmd);
    Put("Flags", c.flags);
    Form form;
    auto reg = Attach(form);
    form.show();
    EXPECT_EQ(form.windowState(), c.expected) << c.name;
  }
}

TEST_F(FormPlacementRegTest, NormalRectangleWordsMaySeparateByCommasOrBlanks) {
  struct Case {
    const char* name;
    const char* normPos;
    QRect expected;  // the design rectangle is (100, 120, 300, 200): right 400, bottom 320
  } cases[] = {
      {"commas", "10,20,310,220", QRect(10, 20, 300, 200)},
      {"blanks", "10 20 310 220", QRect(10, 20, 300, 200)},
      {"mixed runs", " 10, 20 ,,310   220 ", QRect(10, 20, 300, 200)},
      {"two words only", "10,20", QRect(10, 20, 390, 300)},
      {"a word that is no number", "x,20,310,220", QRect(100, 20, 210, 200)},
      {"right not beyond left", "310,20,310,220", QRect(100, 120, 300, 200)},
      {"beyond any screen", "-2147483648,0,2147483647,100", QRect(100, 120, 300, 200)},
      {"empty", "", QRect(100, 120, 300, 200)},
  };
  for (const auto& c : cases) {
    Put("NormPos", c.normPos);
    Form form;
    form.setGeometry(100, 120, 300, 200);
    auto reg = Attach(form);
    form.show();
    EXPECT_EQ(form.geometry(), c.expected) << c.name;
  }
}

TEST_F(FormPlacementRegTest, FixedSizeFormTakesOnlyThePosition) {
  Put("NormPos", "10,20,810,620");
  Form form;
  form.setGeometry(100, 120, 300, 200);
  form.setFixedSize(300, 200);
  auto reg = Attach(form);
  form.show();
  EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
}

TEST_F(FormPlacementRegTest, EmptyOptionsRestoreNothingButEverySaveWritesAllFourValues) {
  Put("NormPos", "10,20,810,620");
  Put("ShowCmd", "3");
  Form form;
  form.setGeometry(100, 120, 300, 200);
  auto reg = Attach(form);
  reg->Options = {};
  int restores = 0;
  reg->OnRestorePlacement = [&](TFormPlacementReg&) { ++restores; };
  form.show();
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(form.geometry(), QRect(100, 120, 300, 200));
  EXPECT_EQ(form.windowState(), Qt::WindowNoState);
  form.close();
  EXPECT_EQ(Stored("Flags"), "0");
  EXPECT_EQ(Stored("ShowCmd"), "1");
  EXPECT_EQ(Stored("MinMaxPos"), "-1,-1,-1,-1");
  EXPECT_EQ(Stored("NormPos"), "100,120,400,320");
}

TEST_F(FormPlacementRegTest, PositionOptionAloneLeavesTheStateAlone) {
  Put("NormPos", "10,20,310,220");
  Put("ShowCmd", "3");
  Form form;
  auto reg = Attach(form);
  reg->Options = desktop::fpPosition;
  form.show();
  EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
  EXPECT_EQ(form.windowState(), Qt::WindowNoState);
}

TEST_F(FormPlacementRegTest, DialogNeverShownWritesNothing) {
  {
    QDialog dialog;
    auto reg = Attach(dialog);
    int saves = 0;
    reg->OnSavePlacement = [&](TFormPlacementReg&) { ++saves; };
    reg.reset();
    EXPECT_EQ(saves, 0);
  }
  EXPECT_FALSE(FileExists());
}

TEST_F(FormPlacementRegTest, DialogSavesOnceHoweverItCloses) {
  struct Case {
    const char* name;
    void (*close)(QDialog&);
  } cases[] = {
      {"accept", [](QDialog& d) { d.accept(); }},
      {"reject", [](QDialog& d) { d.reject(); }},
      {"close box", [](QDialog& d) { d.close(); }},
  };
  for (const auto& c : cases) {
    Store().DeleteValue(kSection, "NormPos");
    int saves = 0;
    {
      QDialog dialog;
      dialog.setGeometry(10, 20, 200, 100);
      auto reg = Attach(dialog);
      reg->OnSavePlacement = [&](TFormPlacementReg& sender) {
        sender.RegIniFile()->WriteInteger("TConfigWin", "CLBServersWidth", 182);
        ++saves;
      };
      dialog.show();
      c.close(dialog);
      EXPECT_FALSE(dialog.isVisible()) << c.name;
      EXPECT_EQ(saves, 1) << c.name;
    }
    EXPECT_EQ(saves, 1) << c.name << ": destruction after a save saves nothing more";
    EXPECT_EQ(Stored("NormPos"), "10,20,210,120") << c.name;
    EXPECT_EQ(Store().ReadInteger("TConfigWin", "CLBServersWidth", 0), 182) << c.name;
  }
}

TEST_F(FormPlacementRegTest, RefusedCloseSavesNothing) {
  std::vector<std::string> log;
  Form form(&log);
  form.RefuseClose = true;
  auto reg = Attach(form);
  reg->OnSavePlacement = [&](TFormPlacementReg&) { log.push_back("save"); };
  form.show();
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(log, (std::vector<std::string>{"form show", "form close"}));
  EXPECT_FALSE(FileExists());
}

TEST_F(FormPlacementRegTest, InactiveComponentLeavesTheFormEventsAloneButExplicitCallsWork) {
  Put("NormPos", "10,20,310,220");
  Form form;
  form.setGeometry(100, 120, 300, 200);
  auto reg = Attach(form);
  reg->Active = false;
  int saves = 0;
  reg->OnSavePlacement = [&](TFormPlacementReg&) { ++saves; };
  form.show();
  EXPECT_FALSE(reg->Restored());
  EXPECT_EQ(form.geometry(), QRect(100, 120, 300, 200));
  reg->RestorePlacement();
  EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
  form.close();
  EXPECT_EQ(saves, 0);
  reg->SavePlacement();
  EXPECT_EQ(saves, 1);
}

// The main window restores from its creation, again at every show, and is
// destroyed with or without a save since.
TEST_F(FormPlacementRegTest, PlacementIsReadOnceAndDestructionSavesOnlyWithoutAnEarlierSave) {
  Put("NormPos", "10,20,310,220");
  int restores = 0;
  int saves = 0;
  {
    Form form;
    auto reg = Attach(form);
    reg->Options = desktop::fpPosition;
    reg->OnRestorePlacement = [&](TFormPlacementReg&) { ++restores; };
    reg->OnSavePlacement = [&](TFormPlacementReg&) { ++saves; };
    reg->RestorePlacement();
    EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
    Put("NormPos", "500,500,700,700");
    form.show();
    EXPECT_EQ(restores, 2);
    EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200)) << "the placement is read only once";
    form.close();
    EXPECT_EQ(saves, 1);
    form.show();
    EXPECT_FALSE(reg->Saved()) << "every restore clears it";
    form.hide();
  }
  EXPECT_EQ(restores, 3);
  EXPECT_EQ(saves, 2) << "destroyed with no save since the last show";
}

TEST_F(FormPlacementRegTest, MinimisedApplicationStoresShowCommandTwoForTheMainForm) {
  Form form;
  auto reg = Attach(form);
  bool minimized = true;
  reg->ApplicationMinimized = [&] { return minimized; };
  reg->RestorePlacement();
  reg->SavePlacement();
  EXPECT_EQ(Stored("ShowCmd"), "2");
  minimized = false;
  reg->SavePlacement();
  EXPECT_EQ(Stored("ShowCmd"), "1");
}

TEST_F(FormPlacementRegTest, FocusedControlIsKeptWithTheActiveControlOption) {
  Form form;
  auto* layout = new QVBoxLayout(&form);
  auto* host = new QLineEdit(&form);
  host->setObjectName("Host");
  auto* user = new QLineEdit(&form);
  user->setObjectName("UserId");
  layout->addWidget(host);
  layout->addWidget(user);
  auto reg = Attach(form);
  reg->Options = desktop::fpActiveControl;
  form.show();
  user->setFocus();
  form.close();
  EXPECT_EQ(Stored("ActiveControl"), "UserId");

  struct Case {
    const char* name;
    const char* stored;
    std::function<void()> prepare;
    QWidget* expected;
  } cases[] = {
      {"existing control", "UserId", [] {}, user},
      {"no such control", "Passwd", [] {}, host},
      {"disabled control", "UserId", [&] { user->setEnabled(false); }, host},
      {"hidden control", "UserId", [&] { user->hide(); }, host},
  };
  for (const auto& c : cases) {
    Put("ActiveControl", c.stored);
    user->setEnabled(true);
    user->show();
    host->setFocus();
    c.prepare();
    form.show();
    EXPECT_EQ(form.focusWidget(), c.expected) << c.name;
    form.hide();
  }
}

TEST_F(FormPlacementRegTest, ErrorsOfTheFormEventsGoToOnErrorAndExplicitCallsRaise) {
  std::ofstream(base_ / "file") << "not a folder";
  Form form;
  TFormPlacementReg reg(form, platform::IniRegistryOpener((base_ / "file").string()));
  reg.IniFileName = kKey;
  reg.IniSection = kSection;
  std::vector<std::string> errors;
  reg.OnError = [&](TFormPlacementReg&, const std::string& message) { errors.push_back(message); };
  form.show();
  EXPECT_TRUE(form.close()) << "a failed save does not hold the window open";
  EXPECT_EQ(errors, std::vector<std::string>{std::string("Ошибка создания ключа TMainForm"_cp1251)});
  EXPECT_FALSE(reg.Saved());
  EXPECT_THROW(reg.SavePlacement(), platform::RegistryError);
  EXPECT_EQ(reg.RegIniFile(), nullptr) << "the key is closed before the error leaves";
}

TEST_F(FormPlacementRegTest, SaveStoresThePlacementAndTheFormsValuesTogetherAtItsEnd) {
  Form form;
  form.setGeometry(100, 120, 300, 200);
  auto reg = Attach(form);
  std::vector<std::string> duringSave;
  reg->OnSavePlacement = [&](TFormPlacementReg& sender) {
    sender.RegIniFile()->WriteInteger(kSection, "Time", 5000);
    duringSave = {sender.RegIniFile()->ReadString(kSection, "NormPos", "<missing>"),
                  sender.RegIniFile()->ReadString(kSection, "Time", "<missing>"), FileExists() ? "file" : "no file"};
  };
  form.show();
  form.close();
  EXPECT_EQ(duringSave, (std::vector<std::string>{"100,120,400,320", "5000", "no file"}));
  EXPECT_EQ(testsupport::ReadFile(Store().FilePath()),
            "[TMainForm]\nFlags=0\nShowCmd=1\nMinMaxPos=-1,-1,-1,-1\nNormPos=100,120,400,320\nTime=5000\n");
}

TEST_F(FormPlacementRegTest, SaveWhoseFormEventRaisesStoresNothing) {
  Put("Time", "1");
  const std::string before = testsupport::ReadFile(Store().FilePath());
  Form form;
  auto reg = Attach(form);
  reg->OnSavePlacement = [](TFormPlacementReg& sender) {
    sender.RegIniFile()->WriteInteger(kSection, "Time", 5000);
    throw std::runtime_error("the form could not collect its settings");
  };
  form.show();
  EXPECT_THROW(reg->SavePlacement(), std::runtime_error);
  EXPECT_FALSE(reg->Saved());
  EXPECT_EQ(testsupport::ReadFile(Store().FilePath()), before);
}

TEST_F(FormPlacementRegTest, ErrorOfTheFormsOwnSaveReachesOnErrorAsWindows1251) {
  Form form;
  auto reg = Attach(form);
  reg->OnSavePlacement = [](TFormPlacementReg&) { throw std::runtime_error("Диск переполнен"); };
  std::vector<std::string> errors;
  reg->OnError = [&](TFormPlacementReg&, const std::string& message) { errors.push_back(message); };
  form.show();
  form.close();
  EXPECT_EQ(errors, std::vector<std::string>{std::string("Диск переполнен"_cp1251)});
}

TEST_F(FormPlacementRegTest, KeyAndSectionDefaultToTheProgramAndTheFormClass) {
  QDialog dialog;
  TFormPlacementReg reg(dialog, platform::IniRegistryOpener(base_));
  EXPECT_EQ(reg.KeyPath(), "Software\\form_placement_reg_test");
  EXPECT_EQ(reg.Section(), "QDialog");
  reg.IniFileName = "Software\\other";
  reg.IniSection = "TConfigWin";
  EXPECT_EQ(reg.KeyPath(), "Software\\other");
  EXPECT_EQ(reg.Section(), "TConfigWin");
}

}  // namespace
