#include "app/providers.h"

#if QUILLOMAR_HAVE_ADO_ODBC
#include "ado/odbc/odbc_provider.h"
#endif

namespace app {

void RegisterProviders() {
#if QUILLOMAR_HAVE_ADO_ODBC
  ado::odbc::RegisterOdbcProvider();
#endif
  // The FoxPro provider registers here once it is built in.
}

}  // namespace app
