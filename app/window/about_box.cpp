#include "app/window/about_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/embedded_resources.h"

namespace app {

namespace {

constexpr int kIconSize = 48;

}  // namespace

QString BuildLine() { return QStringLiteral("Build ") + QStringLiteral(TESSARO_BUILD); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("О программе"));
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
  auto* name = new QLabel(QStringLiteral("<b>Tessaro (POP3)</b>"), this);
  auto* build = new QLabel(BuildLine(), this);
  auto* purpose = new QLabel(QStringLiteral("Проверка почтовых ящиков POP3"), this);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(build);
  texts->addWidget(purpose);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(texts);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace app
