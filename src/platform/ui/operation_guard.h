// Keeps database operations from nesting. Handlers yield to the event loop
// while they work, so a click can arrive in the middle of an operation; a
// click that would start a second database operation is ignored.
#ifndef QUILLOMAR_PLATFORM_UI_OPERATION_GUARD_H_
#define QUILLOMAR_PLATFORM_UI_OPERATION_GUARD_H_

namespace ui {

// Usage at the top of a handler that works on a database:
//   OperationGuard guard;
//   if (!guard.acquired()) return;  // another operation is running
class OperationGuard {
 public:
  OperationGuard() : acquired_(!Running()) {
    if (acquired_) Running() = true;
  }
  ~OperationGuard() {
    if (acquired_) Running() = false;
  }
  OperationGuard(const OperationGuard&) = delete;
  OperationGuard& operator=(const OperationGuard&) = delete;

  bool acquired() const { return acquired_; }
  // True while any guarded operation runs.
  static bool Busy() { return Running(); }

 private:
  static bool& Running() {
    static bool running = false;
    return running;
  }
  bool acquired_;
};

}  // namespace ui

#endif  // QUILLOMAR_PLATFORM_UI_OPERATION_GUARD_H_
