// The ODBC declarations, included the same way on every system: the one
// place that knows Windows' ODBC headers need <windows.h> before them (they
// use its types without including it), where unixODBC's stand alone.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_API_H_
#define QUILLOMAR_ADO_ODBC_ODBC_API_H_

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#endif  // QUILLOMAR_ADO_ODBC_ODBC_API_H_
