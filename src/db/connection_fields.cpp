#include "db/connection_fields.h"

namespace db {

std::string FoxproConnectionString(const ConnectionFields& fields) {
  if (fields.Option1()) {
    return "Provider=vfpoledb.1;Data Source=" + fields.Text1() + ";Collating Sequence=machine;";
  }
  return "Provider=vfpoledb.1;Data Source=" + fields.Text2() + ";Collating Sequence=general;";
}

std::string SybaseConnectionString(const ConnectionFields& fields) {
  return "Data Source=" + fields.Text3();
}

}  // namespace db
