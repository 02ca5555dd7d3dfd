// UTF-8 narrow calls on POSIX systems: the drivers convert text between the
// database and the narrow calls through the C library's character type.
#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "ado/odbc/odbc_text.h"

namespace ado::odbc {
namespace {

bool IsUtf8Locale() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr &&
         (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

// The character type must be UTF-8, or non-ASCII text is lost. Only
// LC_CTYPE is changed, so number formats stay as they are.
void PrepareUtf8NarrowCalls() {
  if (IsUtf8Locale()) return;
  std::setlocale(LC_CTYPE, "");
  if (IsUtf8Locale()) return;
  std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace ado::odbc
