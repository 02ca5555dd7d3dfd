// What the connection window needs of the table window: run its load
// procedure (fill both lists) and show it. The program wires the real table
// window in; tests may pass a recording stand-in.
#ifndef QUILLOMAR_WINDOWS_CONNECTION_TABLE_WINDOW_HOST_H_
#define QUILLOMAR_WINDOWS_CONNECTION_TABLE_WINDOW_HOST_H_

namespace windows {

class TableWindowHost {
 public:
  virtual ~TableWindowHost() = default;
  // Runs the table window's load procedure (loading the window first when it
  // is not loaded yet). Reports its own failures.
  virtual void LoadTableWindow() = 0;
  // Shows the table window, modeless. When it is not loaded yet it is loaded
  // first, which runs its load procedure (the start-up relies on this).
  virtual void ShowTableWindow() = 0;
};

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_CONNECTION_TABLE_WINDOW_HOST_H_
