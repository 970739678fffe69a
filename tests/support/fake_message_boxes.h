// Message boxes that show nothing. Every box is recorded in Shown with its
// kind and text. A box the test announced with Expect must come in its turn,
// of its kind and with its text; it gets the announced answer, and what the
// test wanted done while it is open is done. Any other box gets
// ConfirmAnswer, or, made with Unannounced::kFail, fails the test.
#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "desktop/message_boxes.h"

namespace testsupport {

enum class BoxKind { Confirm, Warning, Error, Information };

inline const char* BoxKindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Confirm:
      return "confirm";
    case BoxKind::Warning:
      return "warning";
    case BoxKind::Error:
      return "error";
    case BoxKind::Information:
      return "information";
  }
  return "?";
}

struct ShownBox {
  std::string kind;  // BoxKindName
  QString text;

  bool operator==(const ShownBox&) const = default;
};

// For gtest's failure messages.
inline void PrintTo(const ShownBox& box, std::ostream* out) {
  *out << box.kind << " \"" << box.text.toStdString() << "\"";
}

enum class Unannounced { kAnswer, kFail };

class FakeMessageBoxes : public desktop::MessageBoxes {
 public:
  explicit FakeMessageBoxes(Unannounced unannounced = Unannounced::kAnswer) : unannounced_(unannounced) {}

  std::vector<ShownBox> Shown;
  bool ConfirmAnswer = true;  // for a confirmation nobody announced
  std::ostream* Echo = nullptr;  // where each box is also written as it opens

  void Expect(BoxKind kind, const QString& text, bool answer = true, std::function<void()> during = {}) {
    expected_.push_back({kind, text, answer, std::move(during)});
  }
  bool AllShown() const { return expected_.empty(); }

  bool Confirm(QWidget*, const QString& text) override { return Show(BoxKind::Confirm, text); }
  bool Warn(QWidget*, const QString& text) override { return Show(BoxKind::Warning, text); }
  void Error(QWidget*, const QString& text) override { Show(BoxKind::Error, text); }
  void Information(QWidget*, const QString& text) override { Show(BoxKind::Information, text); }

 private:
  struct Announced {
    BoxKind kind;
    QString text;
    bool answer;
    std::function<void()> during;
  };

  bool Show(BoxKind kind, const QString& text) {
    Shown.push_back({BoxKindName(kind), text});
    if (Echo) *Echo << "message box: " << text.toStdString() << "\n";
    if (expected_.empty()) {
      if (unannounced_ == Unannounced::kAnswer) return ConfirmAnswer;
      ADD_FAILURE() << "unexpected " << BoxKindName(kind) << " box: " << text.toStdString();
      return false;
    }
    Announced box = std::move(expected_.front());
    expected_.pop_front();
    EXPECT_EQ(BoxKindName(kind), std::string(BoxKindName(box.kind)));
    EXPECT_EQ(text.toStdString(), box.text.toStdString());
    if (box.during) box.during();
    return box.answer;
  }

  Unannounced unannounced_;
  std::deque<Announced> expected_;
};

}  // namespace testsupport
