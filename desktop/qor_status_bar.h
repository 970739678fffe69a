// TQorStatusBar: a status line that shows either one text across its whole
// width (simple mode) or a row of panels, each a text or a percent gauge.
// Panel changes made in simple mode are kept and show when the panels do; each
// change repaints only what it concerns.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "desktop/qor_status_panel.h"
#include "desktop/status_panel_painter.h"

class QPaintEvent;

namespace desktop {

class TQorStatusBar;

// The bar's panels, left to right; they live as long as the bar.
class TQorStatusPanels {
 public:
  explicit TQorStatusPanels(TQorStatusBar& bar) : bar_(bar) {}
  TQorStatusPanels(const TQorStatusPanels&) = delete;
  TQorStatusPanels& operator=(const TQorStatusPanels&) = delete;

  TQorStatusPanel& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TQorStatusPanel& operator[](int index) { return *items_[static_cast<std::size_t>(index)]; }
  const TQorStatusPanel& operator[](int index) const { return *items_[static_cast<std::size_t>(index)]; }

 private:
  TQorStatusBar& bar_;
  std::vector<std::unique_ptr<TQorStatusPanel>> items_;
};

class TQorStatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit TQorStatusBar(QWidget* parent = nullptr);
  ~TQorStatusBar() override;

  // True: SimpleText across the whole bar; false: the panels.
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool value);
  // Kept while the panels show.
  const QString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const QString& value);
  TQorStatusPanels& Panels() { return panels_; }
  const TQorStatusPanels& Panels() const { return panels_; }

  // Where panel `index` lies in panel mode; empty for a panel not laid out.
  QRect PanelRect(int index) const;
  // The background, font colour and font the panels draw with: the widget's own.
  StatusBarLook Look() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class TQorStatusPanel;
  friend class TQorStatusPanels;

  std::vector<int> RightEdges() const;
  QRect PanelRect(const std::vector<int>& edges, int index) const;
  void PaintSimpleText(QPainter& painter, const StatusBarLook& look);
  void PaintPanels(QPainter& painter, const QRect& dirty, const StatusBarLook& look);
  void RepaintPanel(int index);
  void RepaintFromPanel(int index);

  bool simplePanel_ = false;
  QString simpleText_;
  TQorStatusPanels panels_;
};

}  // namespace desktop
