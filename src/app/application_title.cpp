#include "app/application_title.h"

#include <cstddef>

namespace app {
namespace {

constexpr std::size_t kMaxTitleCharacters = 40;

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string& Title() {
  static std::string title = kProductName;
  return title;
}

}  // namespace

std::string ApplicationTitleFrom(std::string_view product) {
  std::string title(product);
  do {
    std::size_t blank = title.rfind(' ');
    if (blank == std::string::npos) return title;
    title.erase(blank);
  } while (CharacterCount(title) > kMaxTitleCharacters);
  return title;
}

void SetApplicationTitle() { Title() = ApplicationTitleFrom(kProductName); }

const std::string& ApplicationTitle() { return Title(); }

}  // namespace app
