// The code page for new tables on POSIX systems: from the locale variables.
#include <cstdlib>

#include "foxpro/codepage/codepage.h"

namespace foxpro {

int CodePageForEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return CodePageForLocale(value);
  }
  return 1252;
}

}  // namespace foxpro
