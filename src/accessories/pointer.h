// The hand pointer and the mouse-move rules of both windows. Pointer shapes
// (0 default, 11 busy, 99 the window's custom hand pointer) are kept on the
// window by platform/ui/pointer_shape.h, so the ui's busy pointer and these
// rules agree; children inherit the window's cursor unless they have their
// own.
#ifndef QUILLOMAR_ACCESSORIES_POINTER_H_
#define QUILLOMAR_ACCESSORIES_POINTER_H_

#include <string>

class QWidget;

namespace accessories {

// Reads a .cur file (icon directory of type 2) and makes it the custom
// pointer image of `window`, with the hot spot stored in the file. Throws
// std::runtime_error naming the file when it is missing, malformed or not
// an image Qt can read; the window's custom image is then left as it was.
void LoadHandCursor(QWidget* window, const std::string& path);

// Sets the window's pointer shape (0, 11 or 99) and the matching cursor:
// 0 the default arrow, 11 Qt::WaitCursor, 99 the loaded hand image or,
// without one, Qt::PointingHandCursor. Other values count as 0.
void SetPointerShape(QWidget* window, int shape);

// The window's pointer shape as last set (0 for a new window).
int PointerShape(const QWidget* window);

// True while the window shows the busy pointer: shape 11, a wait cursor set
// on the window by any other means, or a wait cursor overriding the whole
// application.
bool IsBusy(const QWidget* window);

// The mouse-move rules, called for the widget under the mouse. A push button
// makes the shape 99; the window's own background, a list, a frame or a text
// box makes it 0; anything else (option buttons, labels, the progress bar)
// keeps the shape as it was. Neither change happens while IsBusy(window).
// The widget's window is found with QWidget::window().
void PointerOnMouseMove(QWidget* widget);

// Wires the rules above to `window` and every widget it holds now: mouse
// tracking on, moves not passed on to parents, and an event filter (owned by
// the window) that calls PointerOnMouseMove for the widget under the mouse.
void InstallPointerRules(QWidget* window);

}  // namespace accessories

#endif  // QUILLOMAR_ACCESSORIES_POINTER_H_
