#include "form2_fixture.h"

#include <cstdlib>

namespace windows::testing {

PrivateDataSources& Sources() {
  static PrivateDataSources sources;
  return sources;
}

namespace {

// Makes the private databases before the first test, so that they exist
// before the first ODBC call reads the data sources.
class SourcesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { Sources(); }
};

[[maybe_unused]] ::testing::Environment* const kSources =
    ::testing::AddGlobalTestEnvironment(new SourcesEnvironment);

}  // namespace

Form2Test::Form2Test() {
  // A FoxPro side that cannot open unless a test says otherwise.
  fields_.option1 = false;
  fields_.text2 = program_dir_.filePath("no-such-folder").toStdString();
  form_ = std::make_unique<Form2>(ui_, fields_, &connection_window_);
  form_->SetProgramFolder(program_dir_.path().toStdString());
  form_->SetUnloadAction([this] { ++unloads_; });
}

std::vector<std::string> Form2Test::Names(const db::TableList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.ListCount(); ++i) names.push_back(list.List(i));
  return names;
}

void Form2Test::Fill(db::TableList& list, const std::vector<std::string>& names) {
  for (const auto& name : names) list.AddItem(name);
}

void Form2Test::Select(db::TableList& list, const std::vector<std::string>& names) {
  for (int i = 0; i < list.ListCount(); ++i) {
    bool wanted = false;
    for (const auto& name : names) wanted = wanted || list.List(i) == name;
    list.SetSelected(i, wanted);
  }
}

void Form2Test::MakeCurrent(db::TableList& list, const std::string& name) {
  for (int i = 0; i < list.ListCount(); ++i) {
    if (list.List(i) == name) {
      list.SetListIndex(i);
      return;
    }
  }
  ADD_FAILURE() << "no entry " << name;
}

std::vector<Report> Form2Test::Reports() const {
  std::vector<Report> reports;
  for (const ui::UiCall& call : ui_.CallsOf(ui::UiCall::Kind::kMessageBox)) {
    if (call.title != "Application Error") continue;
    Report report;
    report.description = call.text.substr(0, call.text.find("\r\n"));
    const std::size_t at = call.text.find("at line ");
    if (at != std::string::npos) report.line = std::atoi(call.text.c_str() + at + 8);
    reports.push_back(report);
  }
  return reports;
}

std::vector<int> Form2Test::ReportLines() const {
  std::vector<int> lines;
  for (const Report& report : Reports()) lines.push_back(report.line);
  return lines;
}

std::vector<std::string> Form2Test::Infos() const {
  std::vector<std::string> texts;
  for (const ui::UiCall& call : ui_.CallsOf(ui::UiCall::Kind::kMessageBox)) {
    if (call.title != "Application Error") texts.push_back(call.text);
  }
  return texts;
}

bool Form2Test::UseServer(Server server) {
  fields_.text3 = Sources().Name(server);
  if (fields_.text3.empty()) return false;
  Sources().Empty(server);
  return true;
}

}  // namespace windows::testing
