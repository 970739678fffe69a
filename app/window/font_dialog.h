// The body font dialog: face, style, size, underline and strike-out from Qt's
// own font chooser, a text colour, and an Apply button that hands the choice
// over while the dialog stays open.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <functional>

class QFontDialog;
class QPushButton;

namespace app {

class TFontDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFontDialog(QWidget* parent = nullptr);

  QFont Font() const;
  void SetFont(const QFont& font);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);

  // The Apply button; an empty event is not called.
  std::function<void()> OnApply;

  QFontDialog* FontChooser() const { return chooser_; }
  QPushButton* ColorButton() const { return colorButton_; }
  QPushButton* ApplyButton() const { return applyButton_; }

 private:
  void ChooseColor();

  QFontDialog* chooser_;
  QPushButton* colorButton_;
  QPushButton* applyButton_;
  QColor color_ = Qt::black;
};

}  // namespace app
