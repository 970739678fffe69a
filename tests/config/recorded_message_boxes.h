// Message boxes that show nothing: each is recorded with its kind and text,
// and a confirmation gets the answer the test prepared.
#pragma once

#include <QString>

#include <ostream>
#include <string>
#include <vector>

#include "desktop/message_boxes.h"

namespace testsupport {

struct ShownBox {
  std::string kind;  // "confirm", "error" or "information"
  QString text;

  bool operator==(const ShownBox&) const = default;
};

class RecordedMessageBoxes : public desktop::MessageBoxes {
 public:
  bool ConfirmAnswer = true;
  std::vector<ShownBox> Shown;

  bool Confirm(QWidget*, const QString& text) override {
    Shown.push_back({"confirm", text});
    return ConfirmAnswer;
  }
  void Error(QWidget*, const QString& text) override { Shown.push_back({"error", text}); }
  void Information(QWidget*, const QString& text) override { Shown.push_back({"information", text}); }
};

// For gtest's failure messages.
inline void PrintTo(const ShownBox& box, std::ostream* out) {
  *out << box.kind << " \"" << box.text.toStdString() << "\"";
}

}  // namespace testsupport
