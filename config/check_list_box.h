// A list of entries with check marks that tells apart what the user does
// from what the program does: Click fires after a mouse or key event of the
// user moved the current entry, ClickCheck after one toggled a check mark
// (Click first when one event did both). Changes made through the list's
// functions fire neither.
//
// The current entry is the selection: it is always selected, and a
// Ctrl-click does not deselect it. A mouse press on an entry selects it, on
// its check box too, before the release toggles the mark under the mouse.
#pragma once

#include <QListWidget>

#include <vector>

namespace config {

class TCheckListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TCheckListBox(QWidget* parent = nullptr);

  // Appends an entry with a check box.
  void AddEntry(const QString& text, bool checked);
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);

 signals:
  void Click();
  void ClickCheck();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;

 private:
  std::vector<bool> CheckMarks() const;
  // Runs Qt's own handling of a user event, then reports what it changed.
  template <typename Handle>
  void Watched(Handle handle);
};

}  // namespace config
