// Both sides' connection tests. They share one shape: the creation of the
// connection object lies outside the test's own catch, everything after it
// turns into false.
#include <exception>

#include "db/foxpro.h"
#include "db/new_connection.h"
#include "db/sybase.h"

namespace db {

bool TestFoxproConnection(const ConnectionFields& fields) {
  std::unique_ptr<ado::Connection> connection = NewConnection();
  bool result = false;
  try {
    connection->SetCursorLocation(2);
    connection->Open(FoxproConnectionString(fields));
    result = true;
  } catch (...) {
    result = false;
  }
  return result;
}

bool TestSybaseConnection(const ConnectionFields& fields) {
  std::unique_ptr<ado::Connection> connection = NewConnection();
  bool result = false;
  try {
    connection->SetProvider(kSybaseProvider);
    connection->Open(SybaseConnectionString(fields));
    result = true;
  } catch (...) {
    result = false;
  }
  return result;
}

}  // namespace db
