#include "db/new_connection.h"

#include <utility>

namespace db {
namespace {

ScopedConnectionCreator::Creator& Current() {
  static ScopedConnectionCreator::Creator creator;
  return creator;
}

}  // namespace

std::unique_ptr<ado::Connection> NewConnection() {
  if (Current()) return Current()();
  return std::make_unique<ado::Connection>();
}

ScopedConnectionCreator::ScopedConnectionCreator(Creator creator)
    : previous_(std::exchange(Current(), std::move(creator))) {}

ScopedConnectionCreator::~ScopedConnectionCreator() { Current() = std::move(previous_); }

}  // namespace db
