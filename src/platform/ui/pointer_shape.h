// The pointer state of a window: its current shape (0 default, 11 busy, 99
// custom) and its custom pointer image. Both live on the window itself as
// dynamic properties so that every Ui implementation, the hover rules and the
// load handlers agree on them.
#ifndef QUILLOMAR_PLATFORM_UI_POINTER_SHAPE_H_
#define QUILLOMAR_PLATFORM_UI_POINTER_SHAPE_H_

#include <QCursor>

class QWidget;

namespace ui {

// The shape last set on `window` (kDefaultPointer when none was set).
int PointerShape(const QWidget* window);

// Records `shape` on `window` and shows the matching pointer: 0 the default,
// 11 the busy pointer, 99 the window's custom image (the pointing hand when no
// image was loaded). Other values are recorded and show the default pointer.
void ApplyPointerShape(QWidget* window, int shape);

// Sets the custom pointer image that shape 99 shows.
void SetCustomPointerImage(QWidget* window, const QCursor& cursor);

// True once a custom pointer image was set on `window`.
bool HasCustomPointerImage(const QWidget* window);

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_POINTER_SHAPE_H_
