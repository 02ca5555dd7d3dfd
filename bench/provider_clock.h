// Time spent inside the data-access providers, for the copy benchmark: the
// registered providers are wrapped so that every statement, query and row
// fetch is timed. While a provider call runs, no event loop can, so the
// benchmark sets the gaps between event-loop passes against these times.
#ifndef QUILLOMAR_BENCH_PROVIDER_CLOCK_H_
#define QUILLOMAR_BENCH_PROVIDER_CLOCK_H_

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ado/provider.h"

namespace bench {

struct ProviderClock {
  using Clock = std::chrono::steady_clock;

  double inside = 0;   // seconds inside provider calls since Take()
  double slowest = 0;  // the slowest single call since Reset()

  // Returns the time inside provider calls since the last Take().
  double Take() { return std::exchange(inside, 0.0); }
  void Reset() {
    inside = 0;
    slowest = 0;
  }

  // Runs `call` and counts its time, also when it throws.
  template <typename Call>
  auto Time(Call&& call) {
    struct Count {
      ProviderClock& clock;
      Clock::time_point start = Clock::now();
      ~Count() {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        clock.inside += seconds;
        clock.slowest = std::max(clock.slowest, seconds);
      }
    } count{*this};
    return call();
  }
};

inline ProviderClock& TheProviderClock() {
  static ProviderClock clock;
  return clock;
}

class TimedCursor : public ado::Cursor {
 public:
  explicit TimedCursor(std::unique_ptr<ado::Cursor> inner) : inner_(std::move(inner)) {}
  const std::vector<ado::FieldInfo>& Fields() const override { return inner_->Fields(); }
  bool Fetch(std::vector<ado::Value>* row) override {
    return TheProviderClock().Time([&] { return inner_->Fetch(row); });
  }
  std::int64_t KnownRowCount() const override { return inner_->KnownRowCount(); }

 private:
  std::unique_ptr<ado::Cursor> inner_;
};

class TimedSession : public ado::Session {
 public:
  explicit TimedSession(std::unique_ptr<ado::Session> inner) : inner_(std::move(inner)) {}
  void Execute(std::string_view sql) override {
    TheProviderClock().Time([&] { inner_->Execute(sql); });
  }
  std::unique_ptr<ado::Cursor> Query(std::string_view sql, ado::CursorPlace place) override {
    return std::make_unique<TimedCursor>(
        TheProviderClock().Time([&] { return inner_->Query(sql, place); }));
  }
  std::unique_ptr<ado::Cursor> Tables() override {
    return std::make_unique<TimedCursor>(TheProviderClock().Time([&] { return inner_->Tables(); }));
  }

 private:
  std::unique_ptr<ado::Session> inner_;
};

// Wraps the providers registered under `names` (after they are registered).
inline void TimeProviders(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const ado::ProviderFactory* found = ado::FindProvider(name);
    if (found == nullptr) continue;
    ado::ProviderFactory inner = *found;
    ado::RegisterProvider(name, [inner](const std::string& connection_string) {
      std::unique_ptr<ado::Session> session =
          TheProviderClock().Time([&] { return inner(connection_string); });
      return std::unique_ptr<ado::Session>(std::make_unique<TimedSession>(std::move(session)));
    });
  }
}

}  // namespace bench

#endif  // QUILLOMAR_BENCH_PROVIDER_CLOCK_H_
