// Registers the data-access providers the program reaches its two sides
// through: "vfpoledb.1" (FoxPro) and "MSDASQL" (ODBC).
#ifndef QUILLOMAR_APP_PROVIDERS_H_
#define QUILLOMAR_APP_PROVIDERS_H_

namespace app {

// Registers every provider built into the program. Safe to call repeatedly.
void RegisterProviders();

}  // namespace app

#endif  // QUILLOMAR_APP_PROVIDERS_H_
