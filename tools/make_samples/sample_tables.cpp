// The sample rows. Names and notes carry accented Western European text (all
// of it in code page 1252), apostrophes and line breaks, and a few fields are
// left null, so the sample shows how such values travel.
#include "sample_tables.h"

#include <memory>

#include "foxpro/sql/database.h"

namespace samples {
namespace {

SampleTable Customers() {
  return {"customers",
          {"CREATE TABLE customers (cust_id I NOT NULL, company C(40) NOT NULL, contact C(30) NULL,"
           " city C(25) NULL, country C(20) NULL, credit N(10,2) NULL, since D NULL,"
           " active L NOT NULL, notes M NULL)",
           "INSERT INTO customers VALUES (1, 'Alfreds Futterkiste', 'Maria Anders', 'Berlin',"
           " 'Germany', 5000.00, '1998-03-14', .T., 'Prefers delivery on Mondays.')",
           "INSERT INTO customers VALUES (2, 'Ana Trujillo Emparedados y helados', 'Ana Trujillo',"
           " 'México D.F.', 'Mexico', 2500.50, '1999-11-02', .T., NULL)",
           "INSERT INTO customers VALUES (3, 'Bon app''', 'Laurence Lebihan', 'Marseille', 'France',"
           " 12000.00, '2001-06-30', .T., 'Ask for Laurence.\r\nInvoices in French.')",
           "INSERT INTO customers VALUES (4, 'Königlich Essen', 'Philip Cramer', 'Brandenburg',"
           " 'Germany', NULL, '2003-01-20', .F., NULL)",
           "INSERT INTO customers VALUES (5, 'Øresund Fisk A/S', 'Søren Ågård', 'Malmö', 'Sweden',"
           " 750.25, NULL, .T., 'Smørrebrød and gravlax: «fresh» only.')",
           "INSERT INTO customers VALUES (6, 'Café São Jorge', 'João Araújo', 'São Paulo', 'Brazil',"
           " 3300.00, '2010-09-09', .T., 'Pays in advance – always on time.')",
           "INSERT INTO customers VALUES (7, 'Wilman Kala', NULL, 'Helsinki', 'Finland', 0.00,"
           " '2015-12-31', .F., '')",
           "INSERT INTO customers VALUES (8, 'Ñandú Imports', 'Íñigo Muñoz', 'Sevilla', 'Spain',"
           " 18250.75, '2020-02-29', .T., 'Leap-day customer. Notes: “quoted” text, € prices.')"}};
}

SampleTable Products() {
  return {"products",
          {"CREATE TABLE products (prod_id I NOT NULL, name C(40) NOT NULL, category C(20) NULL,"
           " price Y NOT NULL, weight_kg N(8,3) NULL, in_stock I NULL, retired L NOT NULL,"
           " added T NULL, descript M NULL)",
           "INSERT INTO products VALUES (1, 'Chai', 'Beverages', 18.0000, 0.500, 39, .F.,"
           " '2019-04-01 08:30:00', 'Spiced black tea.')",
           "INSERT INTO products VALUES (2, 'Crème brûlée mix', 'Desserts', 7.4500, 0.250, 12, .F.,"
           " '2019-04-02 14:05:30', 'Makes 6 portions.\r\nKeep dry.')",
           "INSERT INTO products VALUES (3, 'Gravad lax', 'Seafood', 26.0000, 1.000, 11, .F.,"
           " '2020-01-15 09:00:00', NULL)",
           "INSERT INTO products VALUES (4, 'Rössle Sauerkraut', 'Produce', 45.6000, 0.800, 0, .T.,"
           " '2018-07-07 23:59:59', 'No longer made.')",
           "INSERT INTO products VALUES (5, 'Queso Manchego La Pastora', 'Dairy', 38.0000, NULL,"
           " 86, .F., NULL, 'Aged 12 months; from La Mancha.')",
           "INSERT INTO products VALUES (6, 'Pâté chinois', 'Meat', 24.0000, 0.450, NULL, .F.,"
           " '2021-11-11 11:11:11', 'Québec classic.')"}};
}

SampleTable Orders() {
  return {"orders",
          {"CREATE TABLE orders (order_id I NOT NULL, cust_id I NOT NULL, prod_id I NOT NULL,"
           " quantity N(6,0) NOT NULL, unit_price Y NOT NULL, ordered T NOT NULL, shipped D NULL,"
           " paid L NOT NULL, comment M NULL)",
           "INSERT INTO orders VALUES (1001, 1, 1, 10, 18.0000, '2023-01-05 10:15:00', '2023-01-07',"
           " .T., NULL)",
           "INSERT INTO orders VALUES (1002, 3, 2, 4, 7.4500, '2023-01-06 16:40:12', '2023-01-09',"
           " .T., 'Gift wrap, please.')",
           "INSERT INTO orders VALUES (1003, 5, 3, 2, 26.0000, '2023-02-14 09:00:00', NULL, .F.,"
           " 'Deliver before the 20th.\r\nCall Søren first.')",
           "INSERT INTO orders VALUES (1004, 6, 6, 1, 24.0000, '2023-03-01 12:00:00', '2023-03-02',"
           " .T., 'Entrega em São Paulo.')",
           "INSERT INTO orders VALUES (1005, 8, 5, 12, 38.0000, '2023-03-15 08:05:45', '2023-03-20',"
           " .F., NULL)",
           "INSERT INTO orders VALUES (1006, 2, 1, 3, 18.0000, '2023-04-01 19:30:00', '2023-04-03',"
           " .T., 'Customer''s own courier.')",
           "INSERT INTO orders VALUES (1007, 4, 4, 5, 45.6000, '2023-04-18 07:45:00', NULL, .F.,"
           " 'Back-ordered: product discontinued.')",
           "INSERT INTO orders VALUES (1008, 1, 2, 8, 7.4500, '2023-05-02 13:20:05', '2023-05-04',"
           " .T., '')"}};
}

}  // namespace

std::vector<SampleTable> SampleTables() { return {Customers(), Orders(), Products()}; }

foxpro::Status WriteSampleTables(foxpro::FileSystem* fs, const std::string& folder) {
  foxpro::sql::DatabaseOptions options;
  options.new_table_codepage_mark = 0x03;  // code page 1252
  auto database = foxpro::sql::Database::Open(fs, folder, options);
  if (!database.ok()) return database.status();
  for (const SampleTable& table : SampleTables()) {
    for (const std::string& statement : table.statements) {
      FOXPRO_RETURN_IF_ERROR((*database)->Execute(statement).WithContext(table.name));
    }
  }
  return foxpro::Status::Ok();
}

}  // namespace samples
