#include "db/connect.h"

namespace db {

void OpenFoxpro(ado::Connection& connection, const ConnectionFields& fields) {
  connection.Open(FoxproConnectionString(fields));
}

void SetSybaseProvider(ado::Connection& connection) { connection.SetProvider(kSybaseProvider); }

void OpenSybase(ado::Connection& connection, const ConnectionFields& fields) {
  connection.Open(SybaseConnectionString(fields));
}

}  // namespace db
