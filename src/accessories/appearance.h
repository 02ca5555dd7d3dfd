// The shared look of both windows: the skin on the connection window, the
// button-face colours, the file test used for optional files beside the
// program, and (through pointer.h and folder_picker.h) the hand pointer and
// the folder chooser. Include this one header to get all of it.
#ifndef QUILLOMAR_ACCESSORIES_APPEARANCE_H_
#define QUILLOMAR_ACCESSORIES_APPEARANCE_H_

#include <QFont>
#include <string>

#include "accessories/folder_picker.h"
#include "accessories/pointer.h"

class QWidget;

namespace accessories {

// The folder that holds the program file, without a trailing separator
// (QCoreApplication::applicationDirPath()). Empty before the application
// object exists.
std::string ProgramFolder();

// Program folder + "/x/o.cjs" and program folder + "/HAND-M.CUR".
std::string SkinPath(const std::string& program_folder);
std::string HandCursorPath(const std::string& program_folder);

// True when the file system can report the last-write time of `path`: an
// ordinary file or a folder. Never throws; any failure (missing, malformed
// path, no access) gives false.
bool FileExists(const std::string& path);

// Connection window, load step 100. Looks for the skin file
// program_folder + "/x/o.cjs"; when no ordinary, visible file of that name
// exists it does nothing. Otherwise it gives the window and its option
// buttons, check boxes, frames and labels the button-face colour, then loads
// the skin into a skin object owned by the window (object name
// "SkinFramework1") and applies it. Throws std::runtime_error with the
// reason when the skin is rejected (unreadable, or a style sheet Qt cannot
// parse); the colours already set stay.
void ApplySkin(QWidget* window, const std::string& program_folder);

// Table window, load step 100: the window and its option buttons, check
// boxes, frames and labels take the button-face colour. Message boxes or
// other windows parented to `window` are not touched.
void ApplyFormColors(QWidget* window);

// Gives one widget the button-face background (the system colour behind
// static controls).
void SetButtonFaceBackground(QWidget* widget);

// Converts a design measure in twips to pixels at `dpi` logical dots per
// inch: 15 twips per pixel at 96 dpi, rounded as (twips + 7) / 15 there.
int TwipsToPixels(int twips, double dpi);

// Arial bold at `points` (Liberation Sans where Arial is not installed).
QFont DesignFont(double points);

// Gives one widget a plain white background (the design colour of frames,
// option buttons and labels before the load runs).
void SetWhiteBackground(QWidget* widget);

}  // namespace accessories

#endif  // QUILLOMAR_ACCESSORIES_APPEARANCE_H_
