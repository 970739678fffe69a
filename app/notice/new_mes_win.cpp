#include "app/notice/new_mes_win.h"

#include <QFrame>
#include <QScreen>
#include <utility>

#include "app/window/embedded_resources.h"

namespace app {

namespace {

constexpr QSize kClientSize(304, 71);
constexpr int kLabelWidth = 175;
constexpr qreal kSmallestPointSize = 6;

// The panels keep their widths whatever the desktop's font; the text
// shrinks until every label fits instead.
QFont FittingFont(QFont font, const NoticeStatusBar& first, const NoticeStatusBar& second) {
  while (font.pointSizeF() > kSmallestPointSize && !(first.LabelFits(font) && second.LabelFits(font)))
    font.setPointSizeF(font.pointSizeF() - 0.5);
  return font;
}

}  // namespace

TNewMesWin::TNewMesWin(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      image1_(new QLabel(this)),
      statusBarNew_(new NoticeStatusBar(QStringLiteral("Получено новых писем"), kLabelWidth, this)),
      statusBarAll_(new NoticeStatusBar(QStringLiteral("Всего писем в почтовом ящике"), kLabelWidth, this)),
      button1_(new QPushButton(QStringLiteral("OK"), this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Информация"));
  setFixedSize(kClientSize);
  setFont(FittingFont(font(), *statusBarNew_, *statusBarAll_));

  auto* topLine = new QFrame(this);
  topLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  topLine->setGeometry(0, 0, kClientSize.width(), 2);

  image1_->setPixmap(NoticeIcon());
  image1_->setGeometry(8, 7, 32, 32);
  statusBarNew_->setGeometry(48, 7, 248, 19);
  statusBarAll_->setGeometry(48, 27, 248, 19);
  button1_->setGeometry(221, 48, 75, 21);
  button1_->setDefault(true);
  button1_->setFocus();
  connect(button1_, &QPushButton::clicked, this, &TNewMesWin::Button1Click);
  // Every way out of a dialog (OK, the close box, Escape) ends in finished.
  connect(this, &QDialog::finished, this, &TNewMesWin::FormClose);

  SetNewCount(0);
  SetTotalCount(0);
}

// FormDestroy: a window destroyed without closing lets go of its reference too.
TNewMesWin::~TNewMesWin() { Release(); }

void TNewMesWin::SetNewCount(int count) {
  newCount_ = count;
  statusBarNew_->SetValue(QString::number(count));
}

void TNewMesWin::SetTotalCount(int count) {
  totalCount_ = count;
  statusBarAll_->SetValue(QString::number(count));
}

void TNewMesWin::showEvent(QShowEvent* event) {
  // Centred once, as it first opens, frame included where the platform
  // already knows the frame; elsewhere the client area is centred.
  if (!centred_) {
    centred_ = true;
    const QRect frame = frameGeometry();
    move(screen()->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
  }
  QDialog::showEvent(event);
}

void TNewMesWin::Button1Click() {
  Release();
  close();
}

// The window deletes itself once closed (WA_DeleteOnClose).
void TNewMesWin::FormClose() { Release(); }

void TNewMesWin::Release() {
  if (auto released = std::exchange(OnRelease, nullptr)) released(this);
}

}  // namespace app
