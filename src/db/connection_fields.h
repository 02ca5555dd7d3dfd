// The connection window's fields as a plain value: the FoxPro option, the two
// FoxPro paths and the ODBC data source name. The connection window hands
// them out (Form1::Fields) at the moment an operation starts; the command
// line fills them from its options.
#ifndef QUILLOMAR_DB_CONNECTION_FIELDS_H_
#define QUILLOMAR_DB_CONNECTION_FIELDS_H_

#include <string>

namespace db {

struct ConnectionFields {
  // True while Option1 ("DBC File:") is selected.
  bool option1 = true;
  // Text1: the database container file.
  std::string text1;
  // Text2: the free-table folder.
  std::string text2;
  // Text3: the ODBC data source name.
  std::string text3;
};

// "Provider=vfpoledb.1;Data Source=" + path + ";Collating Sequence=machine;"
// (option1, text1) or "...general;" (text2), exactly as typed.
std::string FoxproConnectionString(const ConnectionFields& fields);

// "Data Source=" + text3, exactly as typed (the provider "MSDASQL" is set on
// the connection separately).
std::string SybaseConnectionString(const ConnectionFields& fields);

}  // namespace db

#endif  // QUILLOMAR_DB_CONNECTION_FIELDS_H_
