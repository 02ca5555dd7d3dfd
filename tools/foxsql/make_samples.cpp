// foxsamples FOLDER: writes the sample FoxPro free tables (customers, orders,
// products) into FOLDER, replacing earlier copies. The build runs it to fill
// the Samples/ folder beside the program.
#include <iostream>
#include <string>
#include <vector>

#include "foxpro/codepage/codepage.h"
#include "foxpro/sql/database.h"

namespace {

const char* const kStatements[] = {
    "CREATE TABLE customers (id I NOT NULL, name C(40), city C(30), country C(20), "
    "balance Y, since D, active L, notes M)",
    "INSERT INTO customers VALUES(1, 'Alfreds Futterkiste', 'Berlin', 'Germany', 1250.5, "
    "'2019-03-14', .T., 'Prefers e-mail.')",
    "INSERT INTO customers VALUES(2, 'Ana Trujillo Emparedados', 'México D.F.', 'Mexico', 0, "
    "'2020-07-01', .T., NULL)",
    "INSERT INTO customers VALUES(3, 'Bólido Comidas preparadas', 'Madrid', 'Spain', -75.25, "
    "'2021-11-30', .F., 'Account on hold.\r\nCall before shipping.')",
    "INSERT INTO customers VALUES(4, 'Königlich Essen', 'Brandenburg', 'Germany', NULL, NULL, .T., "
    "'It''s a new customer.')",
    "INSERT INTO customers VALUES(5, 'Frères Dupont', 'Lyon', 'France', 310, '2023-01-09', NULL, "
    "'')",
    "CREATE TABLE products (id I NOT NULL, name V(40), price Y, weight B(3), stock I, added D, "
    "discontinued L, description M)",
    "INSERT INTO products VALUES(1, 'Chai', 18, 0.5, 39, '2018-05-02', .F., 'Tea from India.')",
    "INSERT INTO products VALUES(2, 'Crème brûlée', 4.5, 0.125, 0, '2022-02-28', .F., NULL)",
    "INSERT INTO products VALUES(3, 'Gnocchi di nonna Alice', 38, 1, 21, '2019-09-17', .T., "
    "'Fresh pasta.\r\nKeep cool.')",
    "INSERT INTO products VALUES(4, 'Røgede sild', 9.5, NULL, 5, NULL, .F., 'Smoked herring.')",
    "CREATE TABLE orders (id I NOT NULL, customer I, ordered T, amount N(10,2), paid L, note M)",
    "INSERT INTO orders VALUES(10248, 1, '2024-07-04 09:15:00', 440, .T., NULL)",
    "INSERT INTO orders VALUES(10249, 3, '2024-07-05 14:02:31.250', 1863.4, .F., 'Deliver to "
    "the back door.')",
    "INSERT INTO orders VALUES(10250, 2, '2024-07-08 08:00:00', 1552.6, .T., '')",
    "INSERT INTO orders VALUES(10251, 4, NULL, NULL, NULL, 'Draft order, not placed yet.')",
    "INSERT INTO orders VALUES(10252, 5, '2024-07-09 17:45:10', 3597.9, .T., 'Paid by card.')",
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: foxsamples FOLDER\n";
    return 2;
  }
  foxpro::sql::DatabaseOptions options;
  options.new_table_codepage_mark = foxpro::MarkFromCodePage(1252);
  auto db = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), argv[1], options);
  if (!db.ok()) {
    std::cerr << "foxsamples: " << db.status().message() << "\n";
    return 1;
  }
  for (const char* table : {"customers", "products", "orders"}) {
    (void)(*db)->Execute(std::string("DROP TABLE ") + table);  // absent the first time
  }
  for (const char* statement : kStatements) {
    foxpro::Status status = (*db)->Execute(statement);
    if (!status.ok()) {
      std::cerr << "foxsamples: " << status.message() << "\n  in: " << statement << "\n";
      return 1;
    }
  }
  return 0;
}
