// Creates the data-access connection objects of the connection recipes. The
// creation can be replaced for a scope, which lets tests make it fail the way
// a missing data-access component would.
#ifndef QUILLOMAR_DB_NEW_CONNECTION_H_
#define QUILLOMAR_DB_NEW_CONNECTION_H_

#include <functional>
#include <memory>

#include "ado/connection.h"

namespace db {

// A new, closed connection. Throws what the installed creator throws.
std::unique_ptr<ado::Connection> NewConnection();

// Replaces the creator while the object lives (nests; not thread-safe).
class ScopedConnectionCreator {
 public:
  using Creator = std::function<std::unique_ptr<ado::Connection>()>;
  explicit ScopedConnectionCreator(Creator creator);
  ~ScopedConnectionCreator();
  ScopedConnectionCreator(const ScopedConnectionCreator&) = delete;
  ScopedConnectionCreator& operator=(const ScopedConnectionCreator&) = delete;

 private:
  Creator previous_;
};

}  // namespace db

#endif  // QUILLOMAR_DB_NEW_CONNECTION_H_
