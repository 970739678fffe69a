// Keeps the main window's new-mail notice: created on demand, counting new
// mail over check passes while it stays open, gone once it is closed.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/notice/new_mes_win.h"

namespace app {

class NewMailNotice {
 public:
  // The notice windows belong to `owner`, the main window.
  explicit NewMailNotice(QWidget* owner);
  NewMailNotice(const NewMailNotice&) = delete;
  NewMailNotice& operator=(const NewMailNotice&) = delete;
  ~NewMailNotice();

  // A check pass counted newCount new messages; the list now holds
  // totalCount. Opens the notice if needed, adds to its new-mail count,
  // replaces its total and shows it without modality. A pass without new
  // mail changes nothing.
  void Notify(int newCount, int totalCount);
  // Closes the notice if it is open; used whenever the main window hides.
  void CloseNotice();

  // The open notice, or null.
  TNewMesWin* NewMesWin() const { return newMesWin_; }

 private:
  QWidget* owner_;
  QPointer<TNewMesWin> newMesWin_;
};

}  // namespace app
