// The main window's view of one message: the header rows "От", "Тема",
// "Дата", the body, and under it, behind a splitter, the attachment list.
// It shows what it is given; which message that is, and whether the program
// is idle, is the main window's business.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <vector>

#include "mail/message.h"

class QListWidget;
class QMouseEvent;
class QPlainTextEdit;

namespace app {

class AttachmentListWidget;
class FileSplitter;
class NoticeStatusBar;

class MessageView : public QWidget {
  Q_OBJECT
 public:
  explicit MessageView(QWidget* parent = nullptr);

  // The display half of ShowCurrentMessage: fills the rows, the body (CR LF
  // between lines) and the attachment list (first item selected; list and
  // splitter hidden when there is none), and puts the message hint on every
  // part. Null empties everything and removes the hints.
  void ShowMessage(const mail::TKelMsg* message);

  // TBWordWrapClick's effect: wrap at the window's edge when on; the caret
  // position and the top visible line are kept.
  void SetWordWrap(bool on);
  bool WordWrap() const;

  QFont BodyFont() const;
  void SetBodyFont(const QFont& font);
  // The body's text colour (the stored font keeps a colour of its own).
  QColor BodyColor() const;
  void SetBodyColor(const QColor& color);

  int FilesViewHeight() const;
  void SetFilesViewHeight(int height);

  // The attached file of the selected item, or null.
  const mail::TAttachedFile* SelectedFile() const;

  // The list's mouse handlers act only while this answers true (the program is idle).
  std::function<bool()> IsIdle;
  // Left double click, exactly: view the selected file.
  std::function<void()> OnViewFile;
  // Right button, exactly: open the attachment menu at this screen position.
  std::function<void(QPoint)> OnFileMenu;

  QListWidget* FileList() const;

 private:
  void ShowHeaders(const QString& from, const QString& subject, const QString& date);
  void ShowBody(const mail::Lines& text);
  void FillFileList(const mail::TAttachedFiles& files);
  void ShowFileList(bool shown);
  void SetMessageHint(const QString& hint);
  bool Idle() const;
  void FileLVMouseDown(const QMouseEvent& event);
  void FileLVMouseMove(const QMouseEvent& event);

  NoticeStatusBar* sbFrom_;
  NoticeStatusBar* sbSubject_;
  NoticeStatusBar* sbDate_;
  QWidget* panel1_;
  QPlainTextEdit* memo1_;
  AttachmentListWidget* fileLV_;
  FileSplitter* fileSplit_;
  std::vector<const mail::TAttachedFile*> files_;  // what the list's items refer to, by row
};

}  // namespace app
