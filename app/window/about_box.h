// TAboutBox: the program's name and build, shown modally.
#pragma once

#include <QDialog>
#include <QString>

namespace app {

// "Build " followed by the build number this program was configured with.
QString BuildLine();

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace app
