// UTF-8 <-> UTF-16 for the Windows seams: the engine's paths and text are
// UTF-8, the wide Windows calls take UTF-16. Included only by *_win32.cpp.
#ifndef QUILLOMAR_FOXPRO_UTIL_WIN32_TEXT_H_
#define QUILLOMAR_FOXPRO_UTIL_WIN32_TEXT_H_

#include <string>
#include <string_view>

namespace foxpro::win32 {

// The UTF-16 form of UTF-8 `text` in *out; false when `text` is not UTF-8.
bool Utf8ToWide(std::string_view text, std::wstring* out);

// The UTF-8 form of UTF-16 `text` (an unpaired surrogate becomes U+FFFD).
std::string WideToUtf8(std::wstring_view text);

// The system's message for error code `error` (GetLastError), in UTF-8,
// without the trailing line break; "error N" when the system has none.
std::string ErrorText(unsigned long error);

}  // namespace foxpro::win32

#endif  // QUILLOMAR_FOXPRO_UTIL_WIN32_TEXT_H_
