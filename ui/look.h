#pragma once
// Colours, fonts, window placement and the controls' factories shared by the four
// windows.
//
// The layouts name two fonts the Debian desktop does not ship: "Garamond" is drawn in
// EB Garamond and "MS Sans Serif" in Liberation Sans. Sizes are character heights in
// pixels, as the layouts give them (12 pt at 96 dpi = 16 px).

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <functional>

class QAbstractButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace geolago::ui {

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

// The face standing for "Garamond", at `pixelSize`, bold or regular.
QFont garamond(int pixelSize, bool bold);

// The face standing for "MS Sans Serif", regular.
QFont sansSerif(int pixelSize);

// The system's button face, on which the grids draw their fixed cells.
QColor buttonFace();

// Paints `widget`'s own background in `background` (window role) and its texts in
// `text`. Palettes, not style sheets: a style sheet would also recolour the buttons
// inside a window.
void setWindowColours(QWidget* widget, const QColor& background, const QColor& text);

// Colours of an edit field: `text` on `base`.
void setFieldColours(QWidget* widget, const QColor& text, const QColor& base);

// Colour of a label's text, on whatever lies behind it.
void setTextColour(QWidget* widget, const QColor& text);

// Places a top-level window by its outer frame: left, top on the screen, and the outer
// width and height. The client area is what remains inside a usual frame.
void placeWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight);

// Sizes a top-level window by its outer frame and centres it on its screen.
void placeWindowCentred(QWidget* window, int outerWidth, int outerHeight);

// Shows a window without a modal loop and brings it to the front; a window that is
// already visible only comes to the front.
void bringToFront(QWidget* window);

// The controls. Each is created in `parent` under the object name `name`; positions and
// sizes are in pixels in the parent's client area.

// A label at (left, top) that sizes itself to its text; in `font` when given, else in
// its parent's font.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  const QFont* font = nullptr);

// A single-line edit field, empty.
QLineEdit* makeEdit(QWidget* parent, const char* name, int left, int top, int width, int height,
                    const QFont& font);

// A push button in the system's colours that never acts as the default button: Enter
// presses nothing.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, int left, int top,
                        int width, int height);

// A panel with a raised one-pixel frame, black, its texts yellow.
QFrame* makePanel(QWidget* parent, const char* name, int left, int top, int width, int height);

// Runs `handler` inside guarded() each time `button` is clicked, so that no failure of
// the handler reaches the event loop.
void onClick(QAbstractButton* button, std::function<void()> handler);

}  // namespace geolago::ui
