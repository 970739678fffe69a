#include "app/notice/new_mail_notice.h"

#include <limits>

namespace app {

namespace {

// A count that cannot grow any more stays at its largest value rather than
// turning negative.
int SaturatingAdd(int count, int added) {
  return count > std::numeric_limits<int>::max() - added ? std::numeric_limits<int>::max() : count + added;
}

}  // namespace

NewMailNotice::NewMailNotice(QWidget* owner) : owner_(owner) {}

NewMailNotice::~NewMailNotice() {
  if (!newMesWin_) return;
  newMesWin_->OnRelease = nullptr;
  delete newMesWin_;
}

void NewMailNotice::Notify(int newCount, int totalCount) {
  if (newCount <= 0) return;
  if (!newMesWin_) {
    newMesWin_ = new TNewMesWin(owner_);
    newMesWin_->OnRelease = [this](TNewMesWin* sender) {
      if (newMesWin_ == sender) newMesWin_ = nullptr;
    };
  }
  newMesWin_->SetNewCount(SaturatingAdd(newMesWin_->NewCount(), newCount));
  newMesWin_->SetTotalCount(totalCount);
  // The window is always on top; on an already open notice this only raises it.
  newMesWin_->show();
  newMesWin_->raise();
}

void NewMailNotice::CloseNotice() {
  if (newMesWin_) newMesWin_->close();
}

}  // namespace app
