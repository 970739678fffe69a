#include "config/open_config_win.h"

#include <QCheckBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTimeEdit>

#include <utility>

#include "config/interval_time.h"

namespace config {

void FillConfigWin(TConfigWin& win, const TMainSettings& settings) {
  win.Time()->setTime(IntervalToTime(settings.Interval));
  win.CacheMessages()->setChecked(settings.CacheMessages);
  win.ShowMain()->setChecked(settings.ShowMain);
  win.ShowDialog()->setChecked(settings.ShowDialog);
  win.ShowSound()->setChecked(settings.ShowSound);
  win.ShowNotify()->setChecked(settings.ShowNotify);
  win.DeleteConf()->setChecked(settings.DeleteConf);
  win.ShowConfig()->setChecked(!settings.ShowConfig);
}

void ReadConfigWin(const TConfigWin& win, TMainSettings& settings) {
  settings.Interval = TimeToInterval(win.Time()->time());
  settings.CacheMessages = win.CacheMessages()->isChecked();
  settings.ShowMain = win.ShowMain()->isChecked();
  settings.ShowDialog = win.ShowDialog()->isChecked();
  settings.ShowSound = win.ShowSound()->isChecked();
  settings.ShowNotify = win.ShowNotify()->isChecked();
  settings.DeleteConf = win.DeleteConf()->isChecked();
  settings.ShowConfig = !win.ShowConfig()->isChecked();
}

bool OpenConfigWin(QWidget* owner, TAccountList& accounts, TMainSettings& settings,
                   desktop::MessageBoxes& messageBoxes, platform::RegistryOpener registryOpener,
                   platform::Keyring* keyring) {
  // The owner takes its children along should it go while the dialog runs.
  const QPointer<TConfigWin> win =
      new TConfigWin(accounts, messageBoxes, owner, std::move(registryOpener), nullptr, keyring);
  const auto destroy = qScopeGuard([&win] { delete win.data(); });
  FillConfigWin(*win, settings);
  const bool accepted = win->exec() == QDialog::Accepted && win;
  if (accepted) ReadConfigWin(*win, settings);
  return accepted;
}

}  // namespace config
