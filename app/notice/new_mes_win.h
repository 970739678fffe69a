// The new-mail notice: a small window above all others that counts the new
// messages since it was last dismissed and the messages in the mailboxes.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "app/notice/notice_status_bar.h"

namespace app {

class TNewMesWin : public QDialog {
  Q_OBJECT

 public:
  explicit TNewMesWin(QWidget* owner = nullptr);
  ~TNewMesWin() override;

  // Fired once, when the window closes or is destroyed, whichever comes
  // first: whoever keeps a reference to the window drops it then.
  std::function<void(TNewMesWin* sender)> OnRelease;

  void SetNewCount(int count);
  int NewCount() const { return newCount_; }
  void SetTotalCount(int count);
  int TotalCount() const { return totalCount_; }

  QLabel* Image1() const { return image1_; }
  NoticeStatusBar* StatusBarNew() const { return statusBarNew_; }
  NoticeStatusBar* StatusBarAll() const { return statusBarAll_; }
  QPushButton* Button1() const { return button1_; }

 public slots:
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormClose();
  void Release();

  QLabel* image1_;
  NoticeStatusBar* statusBarNew_;
  NoticeStatusBar* statusBarAll_;
  QPushButton* button1_;
  int newCount_ = 0;
  int totalCount_ = 0;
  bool centred_ = false;
};

}  // namespace app
