// The configuration command: the dialog over the account list and the
// options, and what an OK changes.
#include "app/window/long_command.h"
#include "app/window/main_form.h"

namespace app {

void TMainForm::TBConfigClick() {
  const LongCommand command(*this, {.refresh = true});
  if (kelPOP2_.Connected()) return;
  CollectWidgetState();
  if (!services_.OpenConfigDialog(this, settings_.AccountList, settings_, *services_.MessageBoxes,
                                  services_.RegistryOpener, services_.Keyring.get()))
    return;
  timer1_.SetInterval(settings_.Interval);
  formPlacementReg1_.SavePlacement();
  timer1_.SetEnabled(true);
  Timer1Timer();
}

}  // namespace app
