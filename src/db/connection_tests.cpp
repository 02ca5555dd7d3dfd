// Both sides' connection tests. They share one shape: the creation of the
// connection object lies outside the test's own catch, everything after it
// turns into false, silently: a failure to open is the answer, not a fault.
#include <exception>

#include "db/connect.h"
#include "db/foxpro.h"
#include "db/new_connection.h"
#include "db/sybase.h"

namespace db {

bool TestFoxproConnection(const ConnectionFields& fields) {
  std::unique_ptr<ado::Connection> connection = NewConnection();
  bool result = false;
  try {
    connection->SetCursorLocation(2);
    OpenFoxpro(*connection, fields);
    result = true;
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

bool TestSybaseConnection(const ConnectionFields& fields) {
  std::unique_ptr<ado::Connection> connection = NewConnection();
  bool result = false;
  try {
    SetSybaseProvider(*connection);
    OpenSybase(*connection, fields);
    result = true;
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

}  // namespace db
