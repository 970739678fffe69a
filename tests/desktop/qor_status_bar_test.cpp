#include "desktop/qor_status_bar.h"

#include <gtest/gtest.h>

#include "tests/support/qt_environment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QRegion>
#include <memory>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "desktop/status_panel_layout.h"
#include "desktop/status_panel_painter.h"

namespace desktop {
namespace {


const QColor kBackground(Qt::white);
const QColor kFontColor(Qt::black);
const QColor kFill(Qt::blue);
const QColor kTextOverFill(Qt::yellow);

// Without antialiasing every text pixel has exactly the pen's colour.
StatusBarLook PlainLook() {
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  font.setStyleStrategy(QFont::NoAntialias);
  return {kBackground, kFontColor, font};
}

QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

bool ColumnHas(const QImage& image, int x, const QColor& color) {
  for (int y = 0; y < image.height(); ++y)
    if (Pixel(image, x, y) == color) return true;
  return false;
}

// First and last column holding anything but the background; -1 when blank.
std::pair<int, int> InkColumns(const QImage& image) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < image.width(); ++x)
    if (ColumnHas(image, x, kFontColor)) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

class StatusBarTest : public ::testing::Test {
 protected:
  TQorStatusPanel& AddGauge(TQorStatusBar& bar, int position, const QString& text = {}) {
    TQorStatusPanel& panel = bar.Panels().Add();
    panel.SetPanelType(sptGauge);
    panel.SetText(text);
    panel.GaugeAttrs().SetColor(kFill);
    panel.GaugeAttrs().SetTextColor(kTextOverFill);
    panel.GaugeAttrs().SetPosition(position);
    return panel;
  }

  TQorStatusBar bar_;
};

struct GaugeCase {
  const char* name;
  int position;
  int filled;  // of 200 pixels
};

const GaugeCase kGaugeCases[] = {
    {"empty at 0", 0, 0},
    {"37 percent", 37, 74},
    {"full at 100", 100, 200},
};

TEST_F(StatusBarTest, GaugeFillsItsShareAndTextChangesColourAtTheEdgeOfTheFill) {
  // Solid blocks all along the panel, so that the text crosses the edge wherever it is.
  const QString blocks(40, QChar(0x2588));
  for (const GaugeCase& row : kGaugeCases) {
    SCOPED_TRACE(row.name);
    TQorStatusPanel& panel = AddGauge(bar_, row.position, blocks);
    const QImage image = RenderStatusPanel(panel, QSize(200, 20), PlainLook());
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_EQ(Pixel(image, x, 0), x < row.filled ? kFill : kBackground) << "top row, x " << x;
      for (int y = 0; y < image.height(); ++y) {
        const QColor pixel = Pixel(image, x, y);
        if (x < row.filled)
          ASSERT_TRUE(pixel == kFill || pixel == kTextOverFill) << x << "," << y;
        else
          ASSERT_TRUE(pixel == kBackground || pixel == kFontColor) << x << "," << y;
      }
    }
    if (row.filled > 0) {
      EXPECT_TRUE(ColumnHas(image, row.filled - 1, kTextOverFill));
    }
    if (row.filled < image.width()) {
      EXPECT_TRUE(ColumnHas(image, row.filled, kFontColor));
    }
  }
}

TEST_F(StatusBarTest, GaugeShowsThePercentageInTheColourOfItsSide) {
  for (const GaugeCase& row : kGaugeCases) {
    SCOPED_TRACE(row.name);
    TQorStatusPanel& panel = AddGauge(bar_, row.position);
    panel.SetAlignment(taCenter);
    const QImage image = RenderStatusPanel(panel, QSize(200, 20), PlainLook());
    panel.SetText(QString::number(row.position) + "%");
    EXPECT_EQ(image, RenderStatusPanel(panel, QSize(200, 20), PlainLook()));
    panel.SetText("done");
    EXPECT_NE(image, RenderStatusPanel(panel, QSize(200, 20), PlainLook()));
    const bool textOverFill = row.position == 100;
    bool seen = false;
    for (int x = 0; x < image.width(); ++x) {
      seen = seen || ColumnHas(image, x, textOverFill ? kTextOverFill : kFontColor);
      EXPECT_FALSE(ColumnHas(image, x, textOverFill ? kFontColor : kTextOverFill)) << x;
    }
    EXPECT_TRUE(seen);
  }
}

struct ClampCase {
  const char* name;
  int value;
  int position;
};

TEST_F(StatusBarTest, PositionIsHeldToZeroToHundred) {
  const ClampCase cases[] = {
      {"inside", 37, 37}, {"lowest", 0, 0}, {"highest", 100, 100},
      {"just above", 101, 100}, {"far above", 250, 100}, {"below", -5, 0},
  };
  TQorGaugeAttrs& gauge = AddGauge(bar_, 50).GaugeAttrs();
  for (const ClampCase& row : cases) {
    SCOPED_TRACE(row.name);
    gauge.SetPosition(row.value);
    EXPECT_EQ(gauge.Position(), row.position);
  }
}

struct FillCase {
  const char* name;
  int width;
  int position;
  int filled;
};

TEST(GaugeFillWidth, RoundsToTheNearestPixel) {
  const FillCase cases[] = {
      {"exact", 200, 37, 74},  {"half rounds up", 199, 50, 100}, {"below half rounds down", 10, 33, 3},
      {"above half rounds up", 10, 36, 4}, {"nothing", 150, 0, 0}, {"whole", 123, 100, 123},
  };
  for (const FillCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(GaugeFillWidth(row.width, row.position), row.filled);
  }
}

TEST_F(StatusBarTest, BorderWidthKeepsTheContentInsideAMargin) {
  TQorStatusPanel& panel = AddGauge(bar_, 100, " ");
  panel.SetBorderWidth(3);
  const QImage image = RenderStatusPanel(panel, QSize(100, 20), PlainLook());
  EXPECT_EQ(Pixel(image, 2, 10), kBackground);
  EXPECT_EQ(Pixel(image, 3, 10), kFill);
  EXPECT_EQ(Pixel(image, 96, 10), kFill);
  EXPECT_EQ(Pixel(image, 97, 10), kBackground);
  EXPECT_EQ(Pixel(image, 50, 2), kBackground);
  EXPECT_EQ(Pixel(image, 50, 3), kFill);
}

TEST_F(StatusBarTest, DisabledPanelShowsOnlyItsBackground) {
  TQorStatusPanel& panel = AddGauge(bar_, 60);
  panel.SetEnabled(false);
  QImage blank(QSize(100, 20), QImage::Format_ARGB32_Premultiplied);
  blank.fill(kBackground);
  EXPECT_EQ(RenderStatusPanel(panel, blank.size(), PlainLook()), blank);
}

struct AlignmentCase {
  const char* name;
  TAlignment alignment;
};

TEST_F(StatusBarTest, TextPanelPlacesItsTextByAlignment) {
  const AlignmentCase cases[] = {{"left", taLeftJustify}, {"right", taRightJustify}, {"centre", taCenter}};
  TQorStatusPanel& panel = bar_.Panels().Add();
  panel.SetText("MMMM");
  for (const AlignmentCase& row : cases) {
    SCOPED_TRACE(row.name);
    panel.SetAlignment(row.alignment);
    const QImage image = RenderStatusPanel(panel, QSize(200, 20), PlainLook());
    const auto [first, last] = InkColumns(image);
    ASSERT_GE(first, 0);
    const int leftGap = first;
    const int rightGap = image.width() - 1 - last;
    switch (row.alignment) {
      case taLeftJustify:
        EXPECT_LE(leftGap, 2);
        break;
      case taRightJustify:
        // The right edge is moved in by one pixel.
        EXPECT_GE(rightGap, 1);
        EXPECT_LE(rightGap, 3);
        break;
      case taCenter:
        EXPECT_LE(std::abs(leftGap - rightGap), 2);
        break;
    }
  }
}

TEST_F(StatusBarTest, AmpersandIsDrawnAsItIs) {
  TQorStatusPanel& panel = bar_.Panels().Add();
  panel.SetText("A&B");
  const QImage single = RenderStatusPanel(panel, QSize(200, 20), PlainLook());
  panel.SetText("A&&B");
  EXPECT_NE(single, RenderStatusPanel(panel, QSize(200, 20), PlainLook()));
  panel.SetText("AB");
  EXPECT_NE(single, RenderStatusPanel(panel, QSize(200, 20), PlainLook()));
}

struct LayoutCase {
  const char* name;
  std::vector<int> widths;
  int barWidth;
  std::vector<int> edges;
};

TEST(StatusPanelRightEdges, LastPanelReachesTheRightEdge) {
  const LayoutCase cases[] = {
      {"text and gauge", {200, 50}, 600, {200, 600}},
      {"one panel fills the bar", {50}, 600, {600}},
      {"three panels", {200, 50, 10}, 600, {200, 250, 600}},
      {"last panel wider than the room left", {200, 500}, 600, {200, 600}},
      {"bar narrower than the panels before the last", {200, 50}, 150, {200, 150}},
      {"no panels", {}, 600, {}},
  };
  for (const LayoutCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(StatusPanelRightEdges(row.widths, row.barWidth), row.edges);
  }
}

TEST(StatusPanelRightEdges, AtMost128PanelsAreLaidOut) {
  const std::vector<int> edges = StatusPanelRightEdges(std::vector<int>(130, 2), 1000);
  ASSERT_EQ(edges.size(), 128u);
  EXPECT_EQ(edges[126], 254);
  EXPECT_EQ(edges[127], 1000);
}

TEST_F(StatusBarTest, PanelsFollowTheBarsWidth) {
  bar_.Panels().Add().SetWidth(200);
  AddGauge(bar_, 0);
  bar_.resize(600, 22);
  EXPECT_EQ(bar_.PanelRect(0), QRect(0, 0, 200, 22));
  EXPECT_EQ(bar_.PanelRect(1), QRect(200, 0, 400, 22));
  bar_.resize(800, 22);
  EXPECT_EQ(bar_.PanelRect(1), QRect(200, 0, 600, 22));
  bar_.Panels()[0].SetWidth(150);
  EXPECT_EQ(bar_.PanelRect(1), QRect(150, 0, 650, 22));
  EXPECT_EQ(bar_.PanelRect(2), QRect());
}

// Records what each paint was asked to cover.
class RecordingStatusBar : public TQorStatusBar {
 public:
  std::vector<QRect> painted;

 protected:
  void paintEvent(QPaintEvent* event) override {
    painted.push_back(event->region().boundingRect());
    TQorStatusBar::paintEvent(event);
  }
};

void Flush() {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The main window's arrangement: a text panel 200 wide and a centred gauge.
void AddMainWindowPanels(TQorStatusBar& bar) {
  TQorStatusPanel& text = bar.Panels().Add();
  text.SetWidth(200);
  TQorStatusPanel& gauge = bar.Panels().Add();
  gauge.SetPanelType(sptGauge);
  gauge.SetAlignment(taCenter);
}

TEST_F(StatusBarTest, ChangesRepaintOnlyTheirPanelAndUnchangedValuesNothing) {
  RecordingStatusBar bar;
  AddMainWindowPanels(bar);
  bar.resize(600, 24);
  bar.show();
  Flush();
  TQorStatusPanel& text = bar.Panels()[0];
  TQorGaugeAttrs& gauge = bar.Panels()[1].GaugeAttrs();
  const struct {
    const char* name;
    std::function<void()> change;
    std::vector<QRect> painted;
  } steps[] = {
      {"new position", [&] { gauge.SetPosition(37); }, {bar.PanelRect(1)}},
      {"same position", [&] { gauge.SetPosition(37); }, {}},
      {"clamped to the same position", [&] { gauge.SetPosition(37); gauge.SetPosition(100); }, {bar.PanelRect(1)}},
      {"above 100 when at 100", [&] { gauge.SetPosition(140); }, {}},
      {"new text", [&] { text.SetText("Reading 1"); }, {bar.PanelRect(0)}},
      {"same text", [&] { text.SetText("Reading 1"); }, {}},
      {"simple text while the panels show", [&] { bar.SetSimpleText("Ready"); }, {}},
      {"same mode", [&] { bar.SetSimplePanel(false); }, {}},
      {"same gauge colour", [&] { gauge.SetColor(gauge.Color()); }, {}},
      {"new width moves the panels after it", [&] { text.SetWidth(180); }, {QRect(0, 0, 600, 24)}},
      {"simple mode", [&] { bar.SetSimplePanel(true); }, {QRect(0, 0, 600, 24)}},
      {"panel change in simple mode", [&] { gauge.SetPosition(5); text.SetText("Reading 2"); }, {}},
      {"same simple text", [&] { bar.SetSimpleText("Ready"); }, {}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    bar.painted.clear();
    step.change();
    Flush();
    EXPECT_EQ(bar.painted, step.painted);
  }
}

// The panel's inner area as the bar shows it.
QImage ShownPanel(TQorStatusBar& bar, int index) {
  return bar.grab(bar.PanelRect(index).adjusted(1, 1, -1, -1)).toImage().convertToFormat(
      QImage::Format_ARGB32_Premultiplied);
}

TEST_F(StatusBarTest, PanelModeShowsEachPanelAsDrawnAndSimpleModeKeepsItsText) {
  AddMainWindowPanels(bar_);
  bar_.resize(600, 24);
  bar_.SetSimplePanel(true);
  bar_.SetSimpleText("First");
  const QImage first = bar_.grab().toImage();
  bar_.SetSimpleText("Second");
  const QImage second = bar_.grab().toImage();
  EXPECT_NE(first, second);

  bar_.Panels()[0].SetText("Reading 3");
  bar_.Panels()[1].GaugeAttrs().SetPosition(37);
  bar_.SetSimplePanel(false);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const QRect inner = bar_.PanelRect(i).adjusted(1, 1, -1, -1);
    EXPECT_EQ(ShownPanel(bar_, i), RenderStatusPanel(bar_.Panels()[i], inner.size(), bar_.Look()));
  }
  EXPECT_NE(bar_.grab().toImage(), second);

  bar_.SetSimpleText("First");
  bar_.SetSimplePanel(true);
  EXPECT_EQ(bar_.grab().toImage(), first);
}

}  // namespace
}  // namespace desktop
