#include "accessories/folder_picker.h"

#include "platform/ui/ui.h"

namespace accessories {

std::string BrowseFolder(ui::Ui& ui, QWidget* owner, const std::string& prompt,
                         const std::string& start_folder) {
  // The chooser preselects the start folder itself (the job a shell callback
  // would do) and returns the full path or the empty text on cancel; the
  // answer is passed on exactly as given.
  return ui.BrowseFolder(owner, prompt, start_folder);
}

}  // namespace accessories
