#include "accessories/appearance.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <system_error>

#include "accessories/skin.h"

namespace accessories {
namespace {

namespace fs = std::filesystem;

// Bit 1 of the skin's option set: the skin may colour the window.
constexpr std::uint32_t kSkinSetsColors = 1;

// A file counts as hidden when its name starts with a dot, or when the
// folder's ".hidden" file (the desktop file managers' list of hidden names)
// names it.
bool IsHidden(const fs::path& path) {
  const std::string name = path.filename().string();
  if (!name.empty() && name.front() == '.') return true;
  std::ifstream listing(path.parent_path() / ".hidden");
  std::string line;
  while (std::getline(listing, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == name) return true;
  }
  return false;
}

// The skin file matches only as an ordinary, visible file.
bool SkinFileMatches(const std::string& path) {
  std::error_code error;
  const fs::path file(path);
  if (!fs::is_regular_file(file, error) || error) return false;
  return !IsHidden(file);
}

bool IsStaticControl(const QWidget* widget) {
  return qobject_cast<const QRadioButton*>(widget) != nullptr ||
         qobject_cast<const QCheckBox*>(widget) != nullptr ||
         qobject_cast<const QGroupBox*>(widget) != nullptr ||
         qobject_cast<const QLabel*>(widget) != nullptr;
}

void SetBackground(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, color);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// Colours the window and the static controls that belong to it (not those of
// message boxes or other windows parented to it).
void ColorWindowAndStaticControls(QWidget* window) {
  SetButtonFaceBackground(window);
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->window() == window && IsStaticControl(child)) SetButtonFaceBackground(child);
  }
}

}  // namespace

std::string ProgramFolder() { return QCoreApplication::applicationDirPath().toStdString(); }

std::string SkinPath(const std::string& program_folder) { return program_folder + "/x/o.cjs"; }

std::string HandCursorPath(const std::string& program_folder) {
  return program_folder + "/HAND-M.CUR";
}

bool FileExists(const std::string& path) {
  try {
    std::error_code error;
    [[maybe_unused]] const auto written = fs::last_write_time(fs::path(path), error);
    return !error;
  } catch (const std::bad_alloc&) {
    // A path the library cannot even form (allocation failure) is missing.
    return false;
  }
}

int TwipsToPixels(int twips, double dpi) {
  if (dpi <= 0) dpi = 96;
  return static_cast<int>(std::floor((static_cast<double>(twips) * dpi + 720.0) / 1440.0));
}

QFont DesignFont(double points) {
  QFont font("Arial");
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

void SetButtonFaceBackground(QWidget* widget) {
  SetBackground(widget, widget->palette().color(QPalette::Button));
}

void SetWhiteBackground(QWidget* widget) { SetBackground(widget, Qt::white); }

void ApplySkin(QWidget* window, const std::string& program_folder) {
  if (window == nullptr) throw std::invalid_argument("ApplySkin: no window");
  const std::string path = SkinPath(program_folder);
  if (!SkinFileMatches(path)) return;
  ColorWindowAndStaticControls(window);
  auto* skin = window->findChild<Skin*>("SkinFramework1", Qt::FindDirectChildrenOnly);
  if (skin == nullptr) {
    skin = new Skin(window);
    skin->setObjectName("SkinFramework1");
  }
  skin->LoadSkin(path, "");
  skin->SetApplyOptions(skin->ApplyOptions() | kSkinSetsColors);
  skin->SetApplyToWindows(true);
  skin->SetApplyToDialogs(true);
  skin->ApplyWindow(window);
}

void ApplyFormColors(QWidget* window) {
  if (window == nullptr) throw std::invalid_argument("ApplyFormColors: no window");
  ColorWindowAndStaticControls(window);
}

}  // namespace accessories
