// The one failure type of the data-access layer: a description (the
// provider's message) and a non-zero number, as every operation raises it.
#ifndef QUILLOMAR_ADO_ERROR_H_
#define QUILLOMAR_ADO_ERROR_H_

#include <stdexcept>
#include <string>

namespace ado {

// Generic error number for provider failures (the value ADO reports for a
// provider error, E_FAIL as a signed 32-bit number).
inline constexpr long kProviderErrorNumber = -2147467259;

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& description, long number = kProviderErrorNumber)
      : std::runtime_error(description), number_(number == 0 ? kProviderErrorNumber : number) {}

  const char* description() const { return what(); }
  long number() const { return number_; }

 private:
  long number_;
};

}  // namespace ado

#endif  // QUILLOMAR_ADO_ERROR_H_
