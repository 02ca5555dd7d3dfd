#include "program/providers.h"

#if QUILLOMAR_HAVE_ADO_ODBC
#include "ado/odbc/odbc_provider.h"
#endif
#if QUILLOMAR_HAVE_ADO_FOXPRO
#include "ado/foxpro/foxpro_provider.h"
#endif

namespace program {

void RegisterProviders() {
#if QUILLOMAR_HAVE_ADO_ODBC
  ado::odbc::RegisterOdbcProvider();
#endif
#if QUILLOMAR_HAVE_ADO_FOXPRO
  ado::foxpro::RegisterFoxproProvider();
#endif
}

}  // namespace program
