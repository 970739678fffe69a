#include "app/view/message_view.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <string>

#include "app/attachments/attachment_commands.h"
#include "app/attachments/attachment_list_widget.h"
#include "app/view/file_splitter.h"
#include "app/attachments/file_types.h"
#include "app/notice/notice_status_bar.h"
#include "desktop/busy_cursor.h"
#include "desktop/qt_text.h"

namespace app {

namespace {

constexpr int kHeaderLabelWidth = 48;
constexpr int kSmallestRowHeight = 19;
constexpr int kSpacerHeight = 2;
constexpr int kSmallestBodyHeight = 4;
constexpr int kInitialFilesViewHeight = 73;

NoticeStatusBar* MakeHeaderRow(const QString& label, const char* name, QWidget* parent) {
  auto* row = new NoticeStatusBar(label, kHeaderLabelWidth, parent);
  row->setObjectName(QLatin1String(name));
  row->Label()->setAlignment(Qt::AlignCenter);
  // Mail headers are the sender's text, never markup.
  row->Value()->setTextFormat(Qt::PlainText);
  row->setFixedHeight(std::max(kSmallestRowHeight, row->fontMetrics().height() + 6));
  return row;
}

std::string JoinedWithCrLf(const mail::Lines& lines) {
  std::string text;
  text.reserve(lines.ByteSize() + 2 * lines.size());
  for (std::size_t index = 0; index < lines.size(); ++index) {
    if (index > 0) text += "\r\n";
    text += lines[index];
  }
  return text;
}

QString MessageHint(const mail::TKelMsg& message) {
  return QStringLiteral("Сервер: (%1)  Пользователь: (%2)")
      .arg(desktop::ToQString(message.AccountHost), desktop::ToQString(message.AccountUserId));
}

void SetScrollBars(QPlainTextEdit& body, bool wordWrap) {
  body.setLineWrapMode(wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  body.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  body.setHorizontalScrollBarPolicy(wordWrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

}  // namespace

MessageView::MessageView(QWidget* parent)
    : QWidget(parent),
      sbFrom_(MakeHeaderRow(QStringLiteral("От"), "SBFrom", this)),
      sbSubject_(MakeHeaderRow(QStringLiteral("Тема"), "SBSubject", this)),
      sbDate_(MakeHeaderRow(QStringLiteral("Дата"), "SBDate", this)),
      panel1_(new QWidget(this)),
      memo1_(new QPlainTextEdit(this)),
      fileLV_(new AttachmentListWidget(this)),
      fileSplit_(new FileSplitter(memo1_, fileLV_, this)) {
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setFixedHeight(kSpacerHeight);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setReadOnly(true);
  memo1_->setMinimumHeight(kSmallestBodyHeight);
  SetScrollBars(*memo1_, false);
  fileSplit_->setObjectName(QStringLiteral("FileSplit"));
  fileLV_->setObjectName(QStringLiteral("FileLV"));
  fileLV_->setFixedHeight(kInitialFilesViewHeight);
  fileLV_->OnMouseDown = [this](const QMouseEvent& event) { FileLVMouseDown(event); };
  fileLV_->OnMouseMove = [this](const QMouseEvent& event) { FileLVMouseMove(event); };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QWidget* part : {static_cast<QWidget*>(sbFrom_), static_cast<QWidget*>(sbSubject_),
                        static_cast<QWidget*>(sbDate_), panel1_})
    layout->addWidget(part);
  layout->addWidget(memo1_, 1);
  layout->addWidget(fileSplit_);
  layout->addWidget(fileLV_);

  ShowMessage(nullptr);
}

void MessageView::ShowMessage(const mail::TKelMsg* message) {
  fileLV_->clear();
  files_.clear();
  if (message == nullptr) {
    ShowHeaders({}, {}, {});
    memo1_->clear();
    SetMessageHint({});
    ShowFileList(false);
    return;
  }
  ShowHeaders(desktop::ToQString(message->From), desktop::ToQString(message->Subject),
              desktop::ToQString(message->Date));
  ShowBody(message->Text);
  SetMessageHint(MessageHint(*message));
  FillFileList(message->AttachedFiles);
}

void MessageView::ShowHeaders(const QString& from, const QString& subject, const QString& date) {
  sbFrom_->SetValue(from);
  sbSubject_->SetValue(subject);
  sbDate_->SetValue(date);
}

void MessageView::ShowBody(const mail::Lines& text) {
  // A body that cannot be shown must not cost the headers and the attachments.
  try {
    memo1_->setPlainText(desktop::ToQString(JoinedWithCrLf(text)));
  } catch (const std::exception&) {
    memo1_->clear();
  }
}

void MessageView::FillFileList(const mail::TAttachedFiles& files) {
  if (files.Count() == 0) {
    ShowFileList(false);
    return;
  }
  files_.reserve(files.Count());
  for (std::size_t index = 0; index < files.Count(); ++index) {
    const mail::TAttachedFile& file = files.Items(index);
    const QString caption = desktop::ToQString(file.FileName);
    new QListWidgetItem(FileTypeIcon(caption), caption, fileLV_);
    files_.push_back(&file);
  }
  fileLV_->setCurrentRow(0);
  ShowFileList(true);
}

void MessageView::ShowFileList(bool shown) {
  fileLV_->setVisible(shown);
  fileSplit_->setVisible(shown);
}

void MessageView::SetMessageHint(const QString& hint) {
  for (QWidget* part : {static_cast<QWidget*>(sbFrom_), static_cast<QWidget*>(sbSubject_),
                        static_cast<QWidget*>(sbDate_), panel1_, static_cast<QWidget*>(memo1_),
                        static_cast<QWidget*>(fileSplit_), static_cast<QWidget*>(fileLV_)})
    part->setStatusTip(hint);
}

void MessageView::SetWordWrap(bool on) {
  desktop::BusyScope busy;
  // The caret is a place in the text and survives re-wrapping by itself; the
  // top line is a line number, which the new layout would not keep.
  const int topLine = memo1_->verticalScrollBar()->value();
  SetScrollBars(*memo1_, on);
  memo1_->verticalScrollBar()->setValue(topLine);
}

bool MessageView::WordWrap() const { return memo1_->lineWrapMode() != QPlainTextEdit::NoWrap; }

QFont MessageView::BodyFont() const { return memo1_->font(); }

void MessageView::SetBodyFont(const QFont& font) { memo1_->setFont(font); }

QColor MessageView::BodyColor() const { return memo1_->palette().color(QPalette::Text); }

void MessageView::SetBodyColor(const QColor& color) {
  QPalette palette = memo1_->palette();
  palette.setColor(QPalette::Text, color);
  memo1_->setPalette(palette);
}

int MessageView::FilesViewHeight() const { return fileLV_->maximumHeight(); }

void MessageView::SetFilesViewHeight(int height) {
  fileLV_->setFixedHeight(std::max(FileSplitter::kMinSize, height));
}

const mail::TAttachedFile* MessageView::SelectedFile() const {
  const QList<QListWidgetItem*> selected = fileLV_->selectedItems();
  if (selected.isEmpty()) return nullptr;
  return files_.at(static_cast<std::size_t>(fileLV_->row(selected.front())));
}

QListWidget* MessageView::FileList() const { return fileLV_; }

bool MessageView::Idle() const { return !IsIdle || IsIdle(); }

void MessageView::FileLVMouseDown(const QMouseEvent& event) {
  if (!Idle() || SelectedFile() == nullptr) return;
  if (event.modifiers() != Qt::NoModifier) return;
  if (event.type() == QEvent::MouseButtonDblClick && event.buttons() == Qt::LeftButton) {
    if (OnViewFile) OnViewFile();
  } else if (event.type() == QEvent::MouseButtonPress && event.buttons() == Qt::RightButton) {
    if (OnFileMenu) OnFileMenu(event.globalPosition().toPoint());
  }
}

void MessageView::FileLVMouseMove(const QMouseEvent& event) {
  if (!Idle()) return;
  QString hint = memo1_->statusTip();
  if (const QListWidgetItem* item = fileLV_->itemAt(event.position().toPoint()))
    hint = AttachmentHint(*files_.at(static_cast<std::size_t>(fileLV_->row(item))));
  if (hint == fileLV_->statusTip()) return;
  fileLV_->setStatusTip(hint);
  // The pointer stays inside the list, so no enter event would show the new hint.
  QStatusTipEvent tip(hint);
  QCoreApplication::sendEvent(fileLV_, &tip);
}

}  // namespace app
