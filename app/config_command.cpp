// The configuration command: the dialog over the account list and the
// options, and what an OK changes.
#include "app/main_form.h"
#include "app/try_finally.h"

namespace app {

void TMainForm::TBConfigClick() {
  timer1_.SetEnabled(false);
  UpdateToolButtons();
  ShowCurrentMessage();
  TryFinally(
      [&] {
        if (kelPOP2_.Connected()) return;
        CollectWidgetState();
        if (!services_.OpenConfigDialog(this, settings_.AccountList, settings_, *services_.MessageBoxes,
                                        services_.RegistryOpener))
          return;
        timer1_.SetInterval(settings_.Interval);
        formPlacementReg1_.SavePlacement();
        timer1_.SetEnabled(true);
        Timer1Timer();
      },
      [&] {
        timer1_.SetEnabled(true);
        UpdateToolButtons();
        ShowCurrentMessage();
      });
}

}  // namespace app
