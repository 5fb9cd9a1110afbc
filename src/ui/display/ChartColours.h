#pragma once

#include <QColor>

#include "core/Channels.h"

namespace brennic {

// A configured colour (0x00BBGGRR) as a Qt colour.
inline QColor ToQColor(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Fixed drawing colours of the display.
inline constexpr Colour kGridColour = kFixedColours[3];     // grey grid lines
inline constexpr Colour kPumpOnColour = kFixedColours[1];   // green
inline constexpr Colour kPumpOffColour = kFixedColours[0];  // red

}  // namespace brennic
