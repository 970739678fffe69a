// Where the panels of a status bar lie, from the left edge of the bar.
#pragma once

#include <vector>

namespace desktop {

// Panels beyond this count are not laid out and not shown.
inline constexpr int kMaxLaidOutPanels = 128;

// The right edge of each panel laid out: the sum of its width and the widths of
// all panels to its left, except that the last one laid out ends at `barWidth`.
std::vector<int> StatusPanelRightEdges(const std::vector<int>& widths, int barWidth);

}  // namespace desktop
