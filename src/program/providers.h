// Registers the data-access providers the program reaches its two sides
// through: "vfpoledb.1" (FoxPro) and "MSDASQL" (ODBC).
#ifndef QUILLOMAR_PROGRAM_PROVIDERS_H_
#define QUILLOMAR_PROGRAM_PROVIDERS_H_

namespace program {

// Registers every provider built into the program. Safe to call repeatedly.
void RegisterProviders();

}  // namespace program

#endif  // QUILLOMAR_PROGRAM_PROVIDERS_H_
