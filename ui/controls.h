#pragma once
// Window placement, the controls' factories and the guarded connection of a handler,
// shared by the four windows; the colours and fonts come from style.h.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <functional>

#include "style.h"

class QAbstractButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace geolago::ui {

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

// Makes a file dropped on `field` (one local file, from a file manager) call `dropped`
// with its path, inside guarded(), in place of the text drop of the field.
void acceptFileDrops(QLineEdit* field, std::function<void(const QString&)> dropped);

// Runs `handler` inside guarded() each time `button` is clicked, so that no failure of
// the handler reaches the event loop.
void onClick(QAbstractButton* button, std::function<void()> handler);

}  // namespace geolago::ui
