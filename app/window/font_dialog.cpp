#include "app/window/font_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kSwatchSize = 16;

}  // namespace

TFontDialog::TFontDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Шрифт"));
  // Qt's chooser, embedded without its own buttons; its effects group gives
  // underline and strike-out.
  chooser_ = new QFontDialog(this);
  chooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  chooser_->setWindowFlags(Qt::Widget);
  // The chooser is a dialog of its own and takes Enter and Esc for itself;
  // they end this dialog instead of hiding the chooser.
  connect(chooser_, &QDialog::finished, this, [this](int result) {
    chooser_->setVisible(true);
    done(result);
  });

  colorButton_ = new QPushButton(QStringLiteral("Цвет..."), this);
  connect(colorButton_, &QPushButton::clicked, this, &TFontDialog::ChooseColor);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  applyButton_ = buttons->addButton(QStringLiteral("Применить"), QDialogButtonBox::ApplyRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(applyButton_, &QPushButton::clicked, this, [this] {
    if (OnApply) OnApply();
  });

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(colorButton_);
  bottom->addStretch();
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chooser_);
  layout->addLayout(bottom);
  SetColor(color_);
}

QFont TFontDialog::Font() const { return chooser_->currentFont(); }

void TFontDialog::SetFont(const QFont& font) { chooser_->setCurrentFont(font); }

void TFontDialog::SetColor(const QColor& color) {
  color_ = color;
  QPixmap swatch(kSwatchSize, kSwatchSize);
  swatch.fill(color);
  colorButton_->setIcon(swatch);
}

void TFontDialog::ChooseColor() {
  const QColor chosen = QColorDialog::getColor(color_, this, QStringLiteral("Цвет"));
  if (chosen.isValid()) SetColor(chosen);
}

}  // namespace app
