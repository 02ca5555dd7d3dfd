#include "db/connection_fields.h"

#include "db/connect.h"

namespace db {

std::string FoxproConnectionString(const ConnectionFields& fields) {
  const std::string head = std::string("Provider=") + kFoxproProvider + ";Data Source=";
  if (fields.option1) return head + fields.text1 + ";Collating Sequence=machine;";
  return head + fields.text2 + ";Collating Sequence=general;";
}

std::string SybaseConnectionString(const ConnectionFields& fields) {
  return "Data Source=" + fields.text3;
}

}  // namespace db
