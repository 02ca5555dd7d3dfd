// The folder picker beside the free-table folder field: a modal folder
// chooser with an owner, a prompt and a folder to preselect.
#ifndef QUILLOMAR_ACCESSORIES_FOLDER_PICKER_H_
#define QUILLOMAR_ACCESSORIES_FOLDER_PICKER_H_

#include <string>

class QWidget;

namespace ui {
class Ui;
}

namespace accessories {

// Shows the ui's folder chooser owned by `owner` (may be null) with `prompt`,
// preselecting `start_folder` when it is not empty. Returns the chosen
// folder's full path exactly as the chooser gives it (nothing appended or
// cut), or the empty text when the user cancels. Failures of the chooser
// travel to the caller.
std::string BrowseFolder(ui::Ui& ui, QWidget* owner, const std::string& prompt,
                         const std::string& start_folder);

}  // namespace accessories

#endif  // QUILLOMAR_ACCESSORIES_FOLDER_PICKER_H_
