// Test helpers for the copies: a table list over a vector and a progress bar
// that records what it was set to. The ui is platform/ui's ScriptedUi.
#ifndef QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_
#define QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_

#include <string>
#include <vector>

#include "platform/ui/scripted_ui.h"
#include "transfer/testing/vector_table_list.h"
#include "transfer/transfer.h"

namespace transfer::testing {

// "at line N" of every error report `ui` showed, in order (-1 for a report
// without a line).
inline std::vector<int> ReportLines(const ui::ScriptedUi& ui) {
  std::vector<int> lines;
  for (const ui::UiCall& b : ui.MessagesTitled("Application Error")) {
    auto at = b.text.find("at line ");
    lines.push_back(at == std::string::npos ? -1 : std::stoi(b.text.substr(at + 8)));
  }
  return lines;
}

class RecordingProgress : public ProgressBar {
 public:
  void SetValue(double value) override { values.push_back(value); }
  void SetText(const std::string& value) override { texts.push_back(value); }
  std::vector<double> values;
  std::vector<std::string> texts;
};

}  // namespace transfer::testing

#endif  // QUILLOMAR_TRANSFER_TESTING_STAND_INS_H_
