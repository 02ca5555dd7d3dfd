// What the connection window's load handler needs for its look: the skin,
// the file test and the custom pointer image. The program passes the real
// window appearance; NoAppearance leaves the design look.
#ifndef QUILLOMAR_WINDOWS_CONNECTION_FORM_APPEARANCE_H_
#define QUILLOMAR_WINDOWS_CONNECTION_FORM_APPEARANCE_H_

#include <string>

class QWidget;

namespace windows {

class FormAppearance {
 public:
  virtual ~FormAppearance() = default;
  // Skins `form` when the skin file beside the program is present. May throw;
  // the load handler reports it for its first step.
  virtual void ApplySkin(QWidget* form) = 0;
  // True when the file system knows `path` (a folder counts). Never throws.
  virtual bool FileExists(const std::string& path) = 0;
  // Loads the cursor file at `path` as the custom pointer image of `form`.
  // Throws when the file cannot be read as a pointer image.
  virtual void LoadCustomPointer(QWidget* form, const std::string& path) = 0;
};

// The design look only: no skin, no file, no pointer image.
class NoAppearance : public FormAppearance {
 public:
  void ApplySkin(QWidget*) override {}
  bool FileExists(const std::string&) override { return false; }
  void LoadCustomPointer(QWidget*, const std::string&) override {}
};

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_CONNECTION_FORM_APPEARANCE_H_
