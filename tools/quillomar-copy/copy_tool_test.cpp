// The command line and the console boxes of quillomar-copy.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console.h"
#include "options.h"

namespace copytool {
namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

TEST(CopyOptions, ParsesWhatTheUsageTextSays) {
  struct Case {
    std::string args;
    bool terminal;
    ParseResult::Kind kind;
    std::string error_part;  // kUsageError: a part of the message
  };
  const std::vector<Case> cases = {
      {"--folder d --dsn s --to-sql", false, ParseResult::Kind::kRun, ""},
      {"--dbc=a.dbc --dsn=s --to-foxpro -- --odd", true, ParseResult::Kind::kRun, ""},
      {"--help", false, ParseResult::Kind::kHelp, ""},
      {"", false, ParseResult::Kind::kUsageError, "--dbc FILE or --folder DIR"},
      {"--folder d --to-sql", false, ParseResult::Kind::kUsageError, "--dsn NAME"},
      {"--folder d --dsn s", false, ParseResult::Kind::kUsageError, "--to-sql or --to-foxpro"},
      {"--folder d --dbc f --dsn s --to-sql", false, ParseResult::Kind::kUsageError, "once"},
      {"--folder d --dsn s --to-sql --to-foxpro", false, ParseResult::Kind::kUsageError, "once"},
      {"--folder d --dsn s --to-sql --overwrite ask", false, ParseResult::Kind::kUsageError,
       "needs a terminal"},
      {"--folder d --dsn s --to-sql --overwrite maybe", true, ParseResult::Kind::kUsageError,
       "ask, yes or no"},
      {"--folder d --dsn s --to-sql --mode fast", false, ParseResult::Kind::kUsageError,
       "rows or batch"},
      {"--folder d --dsn s --to-sql --batch 0", false, ParseResult::Kind::kUsageError, "--batch"},
      {"--folder d --dsn s --to-sql --batch 12x", false, ParseResult::Kind::kUsageError, "--batch"},
      {"--folder d --dsn s --to-sql --quiet=1", false, ParseResult::Kind::kUsageError, "no value"},
      {"--folder d --dsn s --to-sql --dsn", false, ParseResult::Kind::kUsageError, "needs a value"},
      {"--folder d --dsn= --to-sql", false, ParseResult::Kind::kUsageError, "data source name"},
      {"--folder d --dsn s --to-sql --fast", false, ParseResult::Kind::kUsageError, "unknown"},
  };
  for (const Case& c : cases) {
    const ParseResult r = ParseArguments(Split(c.args), c.terminal);
    EXPECT_EQ(r.kind, c.kind) << c.args << ": " << r.error;
    EXPECT_NE(r.error.find(c.error_part), std::string::npos) << c.args << ": " << r.error;
  }
}

TEST(CopyOptions, DefaultsDependOnTheTerminal) {
  ParseResult r = ParseArguments(Split("--folder d --dsn s --to-foxpro b A"), false);
  ASSERT_EQ(r.kind, ParseResult::Kind::kRun);
  EXPECT_FALSE(r.options.dbc);
  EXPECT_EQ(r.options.foxpro_path, "d");
  EXPECT_EQ(r.options.direction, Direction::kToFoxpro);
  EXPECT_EQ(r.options.overwrite, Overwrite::kNo);
  EXPECT_EQ(r.options.mode, Mode::kBatch);
  EXPECT_EQ(r.options.batch_rows, kDefaultBatchRows);
  EXPECT_EQ(r.options.tables, (std::vector<std::string>{"b", "A"}));
  r = ParseArguments(Split("--dsn s --dbc f --to-sql --mode rows --batch 500 -q"), true);
  ASSERT_EQ(r.kind, ParseResult::Kind::kRun);
  EXPECT_EQ(r.options.overwrite, Overwrite::kAsk);
  EXPECT_EQ(r.options.mode, Mode::kRows);
  EXPECT_EQ(r.options.batch_rows, 500);
  EXPECT_TRUE(r.options.quiet);
}

TEST(CopyConsole, ReportsCountAndQuestionsFollowTheCommandLine) {
  EXPECT_EQ(WithNewlines("a\r\nb\rc\n\r\rd"), "a\nb\nc\n\n\nd");
  std::ostringstream err;
  ConsoleProgress progress(err, false);
  ConsoleUi no(err, progress, Overwrite::kNo, nullptr);
  EXPECT_EQ(no.MessageBox(nullptr, "Would you like to overwrite t?", ui::kYesNo, "Overwrite?"),
            ui::kAnswerNo);
  std::vector<std::string> asked;
  ConsoleUi ask(err, progress, Overwrite::kAsk, [&](const std::string& q) {
    asked.push_back(q);
    return true;
  });
  EXPECT_EQ(ask.MessageBox(nullptr, "Q?", ui::kYesNo, "Overwrite?"), ui::kAnswerYes);
  EXPECT_EQ(asked, std::vector<std::string>{"Q?"});

  progress.StartTable("t", 2);
  progress.SetValue(50);
  no.MessageBox(nullptr, "failed\r\nin x at line 274\r\rsql: INSERT", ui::kExclamation,
                "Application Error");
  progress.SetValue(100);
  progress.EndTable();
  EXPECT_EQ(no.failures(), 1);
  const std::string text = err.str();
  EXPECT_NE(text.find("Would you like to overwrite t? no\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Application Error:\nfailed\nin x at line 274\n\nsql: INSERT\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("t: 2 of 2 rows in "), std::string::npos) << text;
  EXPECT_NE(text.find(", 1 failure\n"), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos) << "no live line without a terminal";
}

}  // namespace
}  // namespace copytool
