#pragma once
// The colours and the two fonts of the windows and of the chart, with no widget: the
// batch command draws the chart with them too.
//
// The layouts name two fonts the Debian desktop does not ship: "Garamond" is drawn in a
// face derived from EB Garamond at build time (lining figures in place of its old-style
// ones, see lining_figures.py) and "MS Sans Serif" in Liberation Sans. Sizes are
// character heights in pixels, as the layouts give them (12 pt at 96 dpi = 16 px).

#include <QColor>
#include <QFont>

namespace geolago::drawing {

inline const QColor clBlack{0, 0, 0};
inline const QColor clRed{255, 0, 0};
inline const QColor clYellow{255, 255, 0};
inline const QColor clBlue{0, 0, 255};
inline const QColor clWhite{255, 255, 255};
inline const QColor clAqua{0, 255, 255};
inline const QColor clTeal{0, 128, 128};
inline const QColor clOlive{128, 128, 0};
inline const QColor clSilver{192, 192, 192};
inline const QColor clNavy{0, 0, 128};

// The face standing for "Garamond", at `pixelSize`, bold or regular. Needs the
// application object.
QFont garamond(int pixelSize, bool bold);

// The face standing for "MS Sans Serif", regular.
QFont sansSerif(int pixelSize);

}  // namespace geolago::drawing
