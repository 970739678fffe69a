#include "mail/message.h"

#include <stdexcept>

namespace mail {

namespace {

void CheckIndex(std::size_t index, std::size_t count) {
  if (index >= count) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

void TKelMsg::LetContentGo(StoredAt where) {
  Text = Lines();
  for (std::size_t index = 0; index < AttachedFiles.Count(); ++index) {
    TAttachedFile& file = AttachedFiles.Items(index);
    file.Data.reset();
    file.EncodedLines.reset();
  }
  ContentStored = std::move(where);
}

TKelMsg& TKelMsgList::Items(std::size_t index) {
  CheckIndex(index, items_.size());
  return *items_[index];
}

const TKelMsg& TKelMsgList::Items(std::size_t index) const {
  CheckIndex(index, items_.size());
  return *items_[index];
}

std::size_t TKelMsgList::Add(std::unique_ptr<TKelMsg> message) {
  // An empty entry would only fail later, in whoever reads it.
  if (!message) throw std::invalid_argument("TKelMsgList::Add: no message");
  items_.push_back(std::move(message));
  return items_.size() - 1;
}

void TKelMsgList::Delete(std::size_t index) {
  CheckIndex(index, items_.size());
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TKelMsgList::Clear() { items_.clear(); }

}  // namespace mail
