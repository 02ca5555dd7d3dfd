// The skin object of the connection window ("SkinFramework1"): it loads a
// skin file (a Qt style sheet whose selectors name the windows by object name
// and reach their controls with ">", so message boxes stay plain), holds an
// option set, and applies the skin to a window.
#ifndef QUILLOMAR_ACCESSORIES_SKIN_H_
#define QUILLOMAR_ACCESSORIES_SKIN_H_

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

class QWidget;

namespace accessories {

class Skin : public QObject {
  Q_OBJECT

 public:
  explicit Skin(QObject* parent = nullptr);

  // Loads the skin file at `path`; `ini` names a section of a multi-skin file
  // and must be empty here. Throws std::runtime_error when the file cannot be
  // read or Qt cannot parse it as a style sheet.
  void LoadSkin(const std::string& path, const std::string& ini);

  // A 32-bit set of option bits; bit 1 lets the skin set the window colours.
  std::uint32_t ApplyOptions() const { return options_; }
  void SetApplyOptions(std::uint32_t options) { options_ = options; }

  // Whether the skin covers windows and dialogs.
  void SetApplyToWindows(bool on) { windows_ = on; }
  void SetApplyToDialogs(bool on) { dialogs_ = on; }
  bool ApplyToWindows() const { return windows_; }
  bool ApplyToDialogs() const { return dialogs_; }

  // Applies the loaded skin to `window`. Throws std::runtime_error when no
  // skin is loaded or `window` is null.
  void ApplyWindow(QWidget* window);

  // The loaded style sheet (empty before LoadSkin).
  const QString& sheet() const { return sheet_; }

  // True when Qt parses `sheet` as a style sheet without complaint.
  static bool Parses(const QString& sheet);

 private:
  QString sheet_;
  bool loaded_ = false;
  std::uint32_t options_ = 0;
  bool windows_ = false;
  bool dialogs_ = false;
};

}  // namespace accessories

#endif  // QUILLOMAR_ACCESSORIES_SKIN_H_
