#include "app/trap.h"

#include <exception>

#include "ado/error.h"
#include "platform/ui/ui.h"

namespace app {

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
  std::string text(description);
  text += "\r\n";
  text += context;
  text += "at line ";
  // The number is printed without a sign.
  long long magnitude = line < 0 ? -static_cast<long long>(line) : line;
  text += std::to_string(magnitude);
  text += "\r\r";
  text += "Please email screenshot of this message to ";
  text += kSupportAddress;
  if (sql != nullptr) {
    text += "\r\rsql: ";
    text += *sql;
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
  } catch (...) {
    // Showing the report must never take the handler down with it.
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
