#include "app/trap.h"

#include <cstdio>
#include <exception>

#include "ado/error.h"
#include "platform/ui/ui.h"

namespace app {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence that starts `text`, or 0 when
// its first byte starts none. `text` is not empty.
std::size_t SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  const auto second = static_cast<unsigned char>(text[1]);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 0;
  }
  return length;
}

// Appends at most `max_characters` characters of `text` to `out` as the
// report shows them (see ErrorReportText). Returns false when characters
// were left over.
bool AppendShown(std::string& out, std::string_view text, std::size_t max_characters) {
  std::size_t at = 0;
  for (std::size_t shown = 0; at < text.size(); ++shown) {
    if (shown == max_characters) return false;
    const std::size_t length = SequenceLength(text.substr(at));
    if (text[at] == '\0') {
      out += "\\0";
      ++at;
    } else if (length == 0) {
      out += kReplacement;
      ++at;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return true;
}

void AppendShown(std::string& out, std::string_view text) {
  AppendShown(out, text, std::string_view::npos);
}

}  // namespace

std::string HandlerContext(std::string_view window, std::string_view handler) {
  std::string context = "in Vantrel2021/08/31.";
  context += window;
  context += ".";
  context += handler;
  context += " ";
  return context;
}

std::string ErrorReportText(std::string_view description, std::string_view context, int line,
                            const std::string* sql) {
  std::string text;
  AppendShown(text, description);
  text += "\r\n";
  AppendShown(text, context);
  text += "at line ";
  // The number is printed without a sign.
  long long magnitude = line < 0 ? -static_cast<long long>(line) : line;
  text += std::to_string(magnitude);
  text += "\r\r";
  text += "Please email screenshot of this message to ";
  text += kSupportAddress;
  if (sql != nullptr) {
    text += "\r\rsql: ";
    if (!AppendShown(text, *sql, kReportSqlCharacters)) {
      text += "\xE2\x80\xA6 (" + std::to_string(sql->size()) + " bytes)";  // "… (N bytes)"
    }
  }
  return text;
}

void ShowErrorReport(ui::Ui& ui, QWidget* owner, std::string_view context, int line,
                     std::string_view description, const std::string* sql) {
  ui.MessageBox(owner, ErrorReportText(description, context, line, sql), ui::kExclamation,
                "Application Error");
}

Trap::Trap(ui::Ui& ui, QWidget* owner, std::string_view window, std::string_view handler)
    : ui_(ui), owner_(owner), context_(HandlerContext(window, handler)) {}

void Trap::Report(int line, std::string_view description) {
  ++reports_;
  try {
    ShowErrorReport(ui_, owner_, context_, line, description, sql_source_);
  } catch (const std::exception& e) {
    // Showing the report must never take the handler down with it; the
    // failure goes to the standard error stream instead.
    std::fprintf(stderr, "The error report for line %d could not be shown: %s\n", line, e.what());
  }
}

void Trap::ReportCurrentFailure(int line) {
  try {
    throw;
  } catch (const ado::Error& e) {
    Report(line, e.description());
  } catch (const std::exception& e) {
    Report(line, e.what());
  } catch (...) {
    Report(line, "Unknown failure");
  }
}

bool Trap::Silent(const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace app
