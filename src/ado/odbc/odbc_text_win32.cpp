// UTF-8 narrow calls on Windows. The driver manager hands narrow text to the
// drivers as it is, or converts it through the process's ANSI code page for
// drivers that only take UTF-16. The C library's locale plays no part, so
// there is nothing to set here: the executables declare UTF-8 as their ANSI
// code page in their manifest (cmake/windows/utf8.manifest), which Windows 10
// (1903) and later honour; older systems use the user's ANSI page and only
// ASCII text is sure to pass. Under Wine the narrow calls reach the host's
// unixODBC drivers unchanged, which take UTF-8.
#include "ado/odbc/odbc_text.h"

namespace ado::odbc {

void PrepareUtf8NarrowCalls() {}

}  // namespace ado::odbc
