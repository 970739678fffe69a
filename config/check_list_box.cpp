#include "config/check_list_box.h"

#include <QMouseEvent>

namespace config {

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TCheckListBox::AddEntry(const QString& text, bool checked) {
  auto* entry = new QListWidgetItem(text, this);
  entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TCheckListBox::Checked(int row) const { return item(row)->checkState() == Qt::Checked; }

void TCheckListBox::SetChecked(int row, bool checked) {
  item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TCheckListBox::mousePressEvent(QMouseEvent* event) {
  Watched([&] {
    // Qt leaves the selection alone on a press on a check box; here that
    // press selects the entry first, and the mark toggles on the release.
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && pressed.isValid()) setCurrentIndex(pressed);
    QListWidget::mousePressEvent(event);
  });
}

void TCheckListBox::mouseMoveEvent(QMouseEvent* event) {
  Watched([&] { QListWidget::mouseMoveEvent(event); });
}

void TCheckListBox::mouseReleaseEvent(QMouseEvent* event) {
  Watched([&] { QListWidget::mouseReleaseEvent(event); });
}

void TCheckListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  Watched([&] { QListWidget::mouseDoubleClickEvent(event); });
}

void TCheckListBox::keyPressEvent(QKeyEvent* event) {
  Watched([&] { QListWidget::keyPressEvent(event); });
}

QItemSelectionModel::SelectionFlags TCheckListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
  const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
  return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : command;
}

std::vector<bool> TCheckListBox::CheckMarks() const {
  std::vector<bool> marks(static_cast<std::size_t>(count()));
  for (int row = 0; row < count(); ++row) marks[static_cast<std::size_t>(row)] = Checked(row);
  return marks;
}

template <typename Handle>
void TCheckListBox::Watched(Handle handle) {
  const int rowBefore = currentRow();
  const std::vector<bool> marksBefore = CheckMarks();
  handle();
  if (currentRow() != rowBefore) emit Click();
  if (CheckMarks() != marksBefore) emit ClickCheck();
}

}  // namespace config
