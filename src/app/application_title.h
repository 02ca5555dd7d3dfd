// The product name and the application title derived from it, which titles
// every message box that names no title of its own.
#ifndef QUILLOMAR_APP_APPLICATION_TITLE_H_
#define QUILLOMAR_APP_APPLICATION_TITLE_H_

#include <string>
#include <string_view>

namespace app {

// The window caption of the connection window.
inline constexpr char kProductName[] = "Quillomar";

// The title for `product`: cut at the last blank (the blank and everything
// after it go), at least once, and again while the result is longer than 40
// characters. A text without a blank to cut at is returned as it stands.
std::string ApplicationTitleFrom(std::string_view product);

// Sets the application title from kProductName.
void SetApplicationTitle();

// The application title; kProductName until SetApplicationTitle ran.
const std::string& ApplicationTitle();

}  // namespace app

#endif  // QUILLOMAR_APP_APPLICATION_TITLE_H_
