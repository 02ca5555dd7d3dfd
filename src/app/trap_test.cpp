// The failure trap and the error report: the text byte for byte and the rules
// for where a handler goes on after a failing step.
#include "app/trap.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ado/error.h"
#include "platform/ui/scripted_ui.h"

namespace app {
namespace {

constexpr char kRequest[] = "Please email screenshot of this message to support@quillomar.example";

struct ReportCase {
  const char* name;
  std::string description;
  int line;
  const char* sql;  // null: not a transfer handler
  std::string expected;
};

TEST(ErrorReport, TextIsComposedByteForByte) {
  const std::string context = "in Vantrel2021/08/31.Form1.PushButton1_Click ";
  const std::string request = kRequest;
  const ReportCase cases[] = {
      {"plain", "Division by zero", 108, nullptr,
       "Division by zero\r\nin Vantrel2021/08/31.Form1.PushButton1_Click at line 108\r\r" +
           request},
      {"empty description", "", 100, nullptr,
       "\r\nin Vantrel2021/08/31.Form1.PushButton1_Click at line 100\r\r" + request},
      {"sql tail", "syntax error", 244, "INSERT INTO \"t\" VALUES(1)",
       "syntax error\r\nin Vantrel2021/08/31.Form1.PushButton1_Click at line 244\r\r" + request +
           "\r\rsql: INSERT INTO \"t\" VALUES(1)"},
      {"empty sql", "x", 102, "", "x\r\n" + context + "at line 102\r\r" + request + "\r\rsql: "},
      {"no sign", "x", -7, nullptr, "x\r\n" + context + "at line 7\r\r" + request},
      {"line breaks inside description kept", "a\nb\r", 2147483647, nullptr,
       "a\nb\r\r\n" + context + "at line 2147483647\r\r" + request},
  };
  for (const ReportCase& c : cases) {
    std::string sql = c.sql == nullptr ? "" : c.sql;
    EXPECT_EQ(ErrorReportText(c.description, context, c.line, c.sql ? &sql : nullptr), c.expected)
        << c.name;
  }
  EXPECT_EQ(ErrorReportText("x", context, -2147483647 - 1, nullptr),
            "x\r\n" + context + "at line 2147483648\r\r" + request);
}

// The part of a report after "sql: ".
std::string SqlShown(const std::string& sql) {
  const std::string text = ErrorReportText("x", "in c ", 244, &sql);
  return text.substr(text.find("\r\rsql: ") + 7);
}

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(ErrorReport, LongStatementsAreCutAtACharacterAfter4000) {
  const std::string a3999 = Repeat("a", 3999);
  const std::string euro = "\xE2\x82\xAC";  // three bytes, one character
  struct Case {
    const char* name;
    std::string sql;
    std::string shown;
  } const cases[] = {
      {"short", "SELECT 1", "SELECT 1"},
      {"exactly 4000", Repeat("a", 4000), Repeat("a", 4000)},
      {"4001", Repeat("a", 4001), Repeat("a", 4000) + "\xE2\x80\xA6 (4001 bytes)"},
      {"4000 multi-byte characters are not cut", Repeat(euro, 4000), Repeat(euro, 4000)},
      {"multi-byte character at the cut", a3999 + euro + euro,
       a3999 + euro + "\xE2\x80\xA6 (4005 bytes)"},
      {"four-byte character just past the cut", Repeat("a", 4000) + "\xF0\x9F\x98\x80",
       Repeat("a", 4000) + "\xE2\x80\xA6 (4004 bytes)"},
      {"invalid bytes count as one character each", a3999 + "\xFF\xFE",
       a3999 + "\xEF\xBF\xBD\xE2\x80\xA6 (4001 bytes)"},
  };
  for (const Case& c : cases) EXPECT_EQ(SqlShown(c.sql), c.shown) << c.name;

  // A statement of megabytes is shown as quickly and as short as any other.
  const std::string huge =
      Repeat("INSERT INTO \"t\" VALUES('\xC3\xA9') ", 5 * 1024 * 1024 / 29 + 1);
  const std::string shown = SqlShown(huge);
  EXPECT_TRUE(shown.ends_with("\xE2\x80\xA6 (" + std::to_string(huge.size()) + " bytes)"));
  EXPECT_LT(shown.size(), 4300u);  // 4,000 characters, a few of two bytes
  EXPECT_TRUE(huge.starts_with(shown.substr(0, shown.size() - 40)));
}

TEST(ErrorReport, RawBytesBecomeVisibleValidText) {
  const std::string fffd = "\xEF\xBF\xBD";
  struct Case {
    const char* name;
    std::string raw;
    std::string shown;
  } const cases[] = {
      {"valid text kept", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"zero byte", std::string("a\0b", 3), "a\\0b"},
      {"Latin-1 byte", "caf\xE9", "caf" + fffd},
      {"stray continuation", "\x80x", fffd + "x"},
      {"cut sequence at the end", "x\xE2\x82", "x" + fffd + fffd},
      {"cut sequence before ASCII", "\xE2\x82y", fffd + fffd + "y"},
      {"overlong", "\xC0\xAF\xE0\x80\xAF", Repeat(fffd, 5)},
      {"surrogate", "\xED\xA0\x80", Repeat(fffd, 3)},
      {"past U+10FFFF", "\xF4\x90\x80\x80", Repeat(fffd, 4)},
      {"largest code point kept", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SqlShown(c.raw), c.shown) << c.name;
    const std::string text = ErrorReportText(c.raw, "in c ", 100);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), c.shown) << c.name;
  }
}

TEST(ErrorReport, ContextNamesWindowAndHandler) {
  EXPECT_EQ(HandlerContext("Form2", "PushButton3_Click"),
            "in Vantrel2021/08/31.Form2.PushButton3_Click ");
}

// What a step does in a scripted handler.
enum class Outcome { kRuns, kAdoError, kStdError, kInt, kCString };

void RunOutcome(Outcome outcome) {
  switch (outcome) {
    case Outcome::kRuns:
      return;
    case Outcome::kAdoError:
      throw ado::Error("Could not open the table", 1429);
    case Outcome::kStdError:
      throw std::out_of_range("index out of range");
    case Outcome::kInt:
      throw 42;
    case Outcome::kCString:
      throw "raw text";
  }
}

struct StepCase {
  const char* name;
  std::vector<std::pair<int, Outcome>> steps;
  std::vector<int> reported_lines;
  std::vector<std::string> descriptions;
};

TEST(Trap, EveryFailingStepIsReportedAndTheHandlerGoesOn) {
  const StepCase cases[] = {
      {"nothing fails", {{100, Outcome::kRuns}, {102, Outcome::kRuns}}, {}, {}},
      {"first step",
       {{100, Outcome::kAdoError}, {102, Outcome::kRuns}},
       {100},
       {"Could not open the table"}},
      {"two reports in one click",
       {{100, Outcome::kStdError}, {102, Outcome::kRuns}, {104, Outcome::kAdoError}},
       {100, 104},
       {"index out of range", "Could not open the table"}},
      {"shared number",
       {{124, Outcome::kRuns}, {124, Outcome::kStdError}},
       {124},
       {"index out of range"}},
      {"non-standard throws",
       {{100, Outcome::kInt}, {102, Outcome::kCString}},
       {100, 102},
       {"Unknown failure", "Unknown failure"}},
      {"last step",
       {{100, Outcome::kRuns}, {150, Outcome::kAdoError}},
       {150},
       {"Could not open the table"}},
  };
  for (const StepCase& c : cases) {
    ui::ScriptedUi ui;
    Trap trap(ui, nullptr, "Form1", "Form_Load");
    int ran_after = 0;
    for (const auto& [line, outcome] : c.steps) {
      trap.Step(line, [&, o = outcome] { RunOutcome(o); });
      ++ran_after;
    }
    EXPECT_EQ(ran_after, static_cast<int>(c.steps.size())) << c.name;
    ASSERT_EQ(ui.Messages().size(), c.reported_lines.size()) << c.name;
    EXPECT_EQ(trap.reports(), static_cast<int>(c.reported_lines.size())) << c.name;
    for (std::size_t i = 0; i < ui.Messages().size(); ++i) {
      EXPECT_EQ(ui.Messages()[i].text,
                ErrorReportText(c.descriptions[i], "in Vantrel2021/08/31.Form1.Form_Load ",
                                c.reported_lines[i]))
          << c.name;
      EXPECT_EQ(ui.Messages()[i].style, ui::kExclamation) << c.name;
      EXPECT_EQ(ui.Messages()[i].title, "Application Error") << c.name;
    }
  }
}

TEST(Trap, FailingBranchTestOrLoopHeadEntersTheBody) {
  struct Case {
    const char* name;
    Outcome head;
    bool value;
    bool entered;
    int reports;
  } cases[] = {
      {"true test", Outcome::kRuns, true, true, 0},
      {"false test", Outcome::kRuns, false, false, 0},
      {"failing test", Outcome::kAdoError, false, true, 1},
      {"failing loop head", Outcome::kStdError, false, true, 1},
  };
  for (const Case& c : cases) {
    ui::ScriptedUi ui;
    Trap trap(ui, nullptr, "Form1", "Form_Load");
    bool entered = trap.Test(134, [&] {
      RunOutcome(c.head);
      return c.value;
    });
    EXPECT_EQ(entered, c.entered) << c.name;
    EXPECT_EQ(trap.reports(), c.reports) << c.name;
  }
}

TEST(Trap, FailureInCalledProcedureReportsTheCallingStep) {
  ui::ScriptedUi ui;
  Trap trap(ui, nullptr, "Form1", "Form_Load");
  std::vector<std::string> trace;
  auto procedure = [&] {
    trace.push_back("procedure start");
    throw ado::Error("skin rejected");
  };
  trap.Step(100, [&] {
    procedure();
    trace.push_back("after call, same statement");
  });
  trap.Step(104, [&] { trace.push_back("next step"); });
  EXPECT_EQ(trace, (std::vector<std::string>{"procedure start", "next step"}));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            ErrorReportText("skin rejected", "in Vantrel2021/08/31.Form1.Form_Load ", 100));
}

TEST(Trap, SqlTailOnlyOnceTheHandlerHoldsAStatement) {
  ui::ScriptedUi ui;
  Trap trap(ui, nullptr, "Form2", "PushButton3_Click");
  trap.Step(100, [] { throw ado::Error("no connection"); });
  trap.SetSql("CREATE TABLE \"a\"(\"b\" TEXT)");
  trap.Step(200, [] { throw ado::Error("table exists"); });
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text.find("sql: "), std::string::npos);
  EXPECT_TRUE(ui.Messages()[1].text.ends_with("\r\rsql: CREATE TABLE \"a\"(\"b\" TEXT)"));
}

TEST(Trap, WatchedStatementIsReportedAsItStandsAtTheFailure) {
  ui::ScriptedUi ui;
  Trap trap(ui, nullptr, "Form2", "PushButton4_Click");
  std::string sql;
  trap.WatchSql(&sql);
  trap.Step(100, [] { throw ado::Error("no connection"); });
  sql = "INSERT INTO \"t\" VALUES(";
  sql += "'x')";
  trap.Step(258, [] { throw ado::Error("refused"); });
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_TRUE(ui.Messages()[0].text.ends_with("\r\rsql: ")) << ui.Messages()[0].text;
  EXPECT_TRUE(ui.Messages()[1].text.ends_with("\r\rsql: INSERT INTO \"t\" VALUES('x')"));
}

TEST(Trap, SilentStretchEndsAtFirstFailureWithoutReport) {
  ui::ScriptedUi ui;
  Trap trap(ui, nullptr, "Form1", "PushButton1_Click");
  std::vector<int> ran;
  bool ok = trap.Silent([&] {
    ran.push_back(102);
    RunOutcome(Outcome::kAdoError);
    ran.push_back(104);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ran, std::vector<int>{102});
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(trap.Silent([] {}));
}

TEST(Trap, EvalGivesFallbackOnFailure) {
  ui::ScriptedUi ui;
  Trap trap(ui, nullptr, "Form1", "Form_Load");
  EXPECT_EQ(trap.Eval<int>(
                100, [] { return 7; }, -1),
            7);
  EXPECT_EQ(trap.Eval<int>(
                102, []() -> int { throw std::bad_alloc(); }, -1),
            -1);
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST(Trap, AFailingReportBoxEscapesNothing) {
  ui::ScriptedUi ui;
  ui.FailNext(ui::UiCall::Kind::kMessageBox);
  ui.FailNext(ui::UiCall::Kind::kMessageBox);
  Trap trap(ui, nullptr, "Form1", "Form_Load");
  EXPECT_NO_THROW(trap.Step(100, [] { throw 1; }));
  EXPECT_NO_THROW(trap.Test(102, []() -> bool { throw std::runtime_error("x"); }));
  EXPECT_EQ(trap.reports(), 2);
}

}  // namespace
}  // namespace app
