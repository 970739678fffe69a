// The program's entry: one copy per user, started hidden with only its tray
// icon, checking mail at once; it ends through the exit command or with the
// desktop session, saving every setting either way.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTranslator>
#include <memory>

#include "app/window/embedded_resources.h"
#include "app/window/main_form.h"
#include "app/window/main_form_services.h"
#include "app/lifecycle/session_end_signals.h"
#include "app/lifecycle/show_requests.h"
#include "app/lifecycle/single_instance.h"
#include "app/lifecycle/wake_signals.h"
#include "desktop/message_boxes.h"
#include "platform/core_dumps.h"
#include "platform/freed_memory.h"

namespace {

// Qt's own dialogs (files, fonts, colours) speak the program's language when
// the desktop has Qt's Russian translation.
void InstallQtTranslation(QApplication& application, QTranslator& translator) {
  if (translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    application.installTranslator(&translator);
}

}  // namespace

int main(int argc, char* argv[]) {
  // The passwords stay out of core files.
  if (!platform::ForbidCoreDumps()) qWarning("core dumps could not be turned off");
  platform::KeepFreedMemoryForReuse();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tessaro"));
  const app::SingleInstance instance;
  if (instance.HeldByAnotherCopy()) {
    // Without a notification area the running copy has no other way back to its window.
    if (!app::RequestShow(instance.ShowSocketPath())) qWarning("the running copy did not answer");
    desktop::QtMessageBoxes().Error(nullptr, QStringLiteral("Программа уже запущена!"));
    return 0;
  }
  // Without a private folder for the lock a second copy cannot be told apart; the program still runs.
  if (!instance.Acquired()) qWarning("no private folder for the single-instance lock");
  QApplication::setWindowIcon(app::ProgramIcon());
  QApplication::setQuitOnLastWindowClosed(false);
  QTranslator translator;
  InstallQtTranslation(application, translator);

  app::TMainForm mainForm(app::DesktopServices());
  // The end may come before the loop runs, during the first pass or the
  // first configuration dialog; exit, unlike quit, also ends a modal loop
  // that is running then.
  bool terminated = false;
  QObject::connect(&mainForm, &app::TMainForm::Terminated, &application, [&terminated] {
    terminated = true;
    QCoreApplication::exit(0);
  });
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &mainForm,
                   [&mainForm](QSessionManager&) { mainForm.Run(&app::TMainForm::WMQueryEndSession); });
  std::unique_ptr<app::ShowRequestListener> showRequests;
  if (instance.Acquired()) {
    showRequests = std::make_unique<app::ShowRequestListener>(instance.ShowSocketPath());
    if (!showRequests->Listening()) qWarning("no socket for a second start: %s", qPrintable(showRequests->ErrorText()));
    showRequests->OnShowRequest = [&mainForm] { mainForm.Run(&app::TMainForm::NShowClick); };
  }
  app::SessionEndSignals sessionEnd;
  sessionEnd.OnSessionEnd = [&mainForm] { mainForm.Run(&app::TMainForm::WMQueryEndSession); };
  app::WakeSignals wake;
  wake.OnWake = [&mainForm] { mainForm.Run(&app::TMainForm::SystemWake); };

  mainForm.Run(&app::TMainForm::FormCreate);
  if (terminated) return 0;
  return QApplication::exec();
}
