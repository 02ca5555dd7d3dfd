// The code page for new tables on Windows: the system's ANSI code page, the
// one FoxPro itself gives new tables there.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "foxpro/codepage/codepage.h"

namespace foxpro {

int CodePageForEnvironment() {
  const UINT ansi = GetACP();
  if (ansi != CP_UTF8) return static_cast<int>(ansi);
  // A program or a system set to UTF-8 as its ANSI page: FoxPro tables have
  // no such page, so take the one the user's language has by default.
  DWORD page = 0;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&page), sizeof page / sizeof(wchar_t)) > 0 &&
      page != 0 && page != CP_UTF8) {
    return static_cast<int>(page);
  }
  return 1252;
}

}  // namespace foxpro
