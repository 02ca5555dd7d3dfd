// The connection window's fields, as every operation reads them at the moment
// it opens a connection: the FoxPro option, the two FoxPro paths and the data
// source name. The connection window implements it; tests use a plain struct.
#ifndef QUILLOMAR_DB_CONNECTION_FIELDS_H_
#define QUILLOMAR_DB_CONNECTION_FIELDS_H_

#include <string>

namespace db {

class ConnectionFields {
 public:
  virtual ~ConnectionFields() = default;
  // True while Option1 ("DBC File:") is selected.
  virtual bool Option1() const = 0;
  // Text1: the database container file.
  virtual std::string Text1() const = 0;
  // Text2: the free-table folder.
  virtual std::string Text2() const = 0;
  // Text3: the ODBC data source name.
  virtual std::string Text3() const = 0;
};

// A fixed set of fields, for tests and tools.
struct FixedFields : ConnectionFields {
  bool option1 = true;
  std::string text1, text2, text3;
  bool Option1() const override { return option1; }
  std::string Text1() const override { return text1; }
  std::string Text2() const override { return text2; }
  std::string Text3() const override { return text3; }
};

// "Provider=vfpoledb.1;Data Source=" + path + ";Collating Sequence=machine;"
// (Option1, Text1) or "...general;" (Text2), exactly as typed.
std::string FoxproConnectionString(const ConnectionFields& fields);

// "Data Source=" + Text3, exactly as typed (the provider "MSDASQL" is set on
// the connection separately).
std::string SybaseConnectionString(const ConnectionFields& fields);

}  // namespace db

#endif  // QUILLOMAR_DB_CONNECTION_FIELDS_H_
