// The button and the shift state that mouse events on desktop components carry.
#pragma once

#include <QFlags>

namespace desktop {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys held and buttons involved when a mouse event happened.
enum TShiftFlag {
  ssShift = 0x01,
  ssAlt = 0x02,
  ssCtrl = 0x04,
  ssLeft = 0x08,
  ssRight = 0x10,
  ssMiddle = 0x20,
  ssDouble = 0x40,
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)

}  // namespace desktop

Q_DECLARE_OPERATORS_FOR_FLAGS(desktop::TShiftState)
