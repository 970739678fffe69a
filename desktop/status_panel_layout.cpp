#include "desktop/status_panel_layout.h"

#include <algorithm>
#include <cstddef>

namespace desktop {

std::vector<int> StatusPanelRightEdges(const std::vector<int>& widths, int barWidth) {
  const std::size_t count = std::min(widths.size(), static_cast<std::size_t>(kMaxLaidOutPanels));
  std::vector<int> edges(count);
  int edge = 0;
  for (std::size_t i = 0; i < count; ++i) {
    edge += widths[i];
    edges[i] = edge;
  }
  if (count > 0) edges.back() = barWidth;
  return edges;
}

}  // namespace desktop
