/* run_test.cpp: the import run against the recording ODBC stand-in and a
 * scripted front end: the order of the whole run, every ODBC call failing
 * in turn, Cancel at every point, the commit at the end, how each run
 * ended, and the teardown releasing exactly what was obtained, in the
 * reverse order. */
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "charset.h"
#include "columns.h"
#include "dry_run.h"
#include "fake_odbc.h"
#include "run.h"
#include "scripted_ui.h"
#include "temp_cdf.h"

namespace {

const char kPeople[] = "Name,Age@N\r\nann,41\r\nbob,7\r\n";

int32_t g_outcome; /* what the last RunScripted returned */

std::vector<std::string> RunScripted(const UiScript &script, const OdbcFault &fault = OdbcFault()) {
  ResetFakeOdbc(fault);
  UseScriptedUi(script);
  g_outcome = RunImport(nullptr);
  return g_callLog;
}

const std::vector<std::string> kConnect = {
  "SQLAllocEnv()", "SQLAllocConnect(env)",
  "SQLDriverConnect(dbc,null,DSN=Lumetra Data Source;Charset=UTF-8,NTS,1024,0)",
  "SQLAllocStmt(dbc)"};
const char kCommit[] = "SQLEndTran(2,dbc,0)"; /* SQL_HANDLE_DBC, SQL_COMMIT */
const std::vector<std::string> kTeardown = {"SQLFreeStmt(stmt,1)", "SQLDisconnect(dbc)", "SQLFreeConnect(dbc)",
                                            "SQLFreeEnv(env)", "DestroyProgressWindow"};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto &p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Run, WholeImportInOrder) {
  TempFolder dir;
  UiScript script;
  script.chosenFile = dir.Write("people.v2.cdf", kPeople);
  std::vector<std::string> log = RunScripted(script);
  std::vector<std::string> want = Join({
    {"CreateProgressWindow", "ChooseImportFile(window)"},
    kConnect,
    {"SQLExecDirect(stmt,CREATE TABLE \"people\"(\"Name\"LPWSTR,\"Age\"I4),NTS)",
     ExpectedBinding(1, 0, COL_TEXT), ExpectedBinding(2, 1, COL_NUMBER),
     "SQLPrepare(stmt,INSERT INTO \"people\" VALUES (?,?),NTS)", "SQLExecute(stmt)", "SQLExecute(stmt)", kCommit},
    kTeardown,
  });
  EXPECT_EQ(log, want);
  EXPECT_EQ(g_countShown, "2");
  EXPECT_EQ(g_pumps, 5); /* before the table, after it, after the prepare, after each insert */
  EXPECT_TRUE(g_messages.empty());
  EXPECT_EQ(g_outcome, RUN_IMPORTED);
}

TEST(Run, EndsBeforeOdbc) {
  TempFolder dir;
  const struct { const char *name; std::string chosen; const char *message; } cases[] = {
    {"chooser cancelled", "", nullptr},
    {"missing file", dir.path + "/missing.cdf", "Could not open file missing.cdf: No such file or directory"},
    {"a folder", dir.path + "/sub", "Could not open file sub: Is a directory"},
    {"header error", dir.Write("bad.cdf", "\"Name\"x,Age\r\n"),
     "Error reading file bad.cdf, line 1, field 1: a closing quote is followed by something else than a comma or a line "
     "break"},
    {"empty file", dir.Write("empty.cdf", ""),
     "Error reading file empty.cdf: there is no header line; the first line must name the columns, such as "
     "Name,Born@D,Amount@N"},
    {"header without a column", dir.Write("quotes.cdf", "\"\"\r\n1,2\r\n"),
     "Error reading file quotes.cdf: there is no header line; the first line must name the columns, such as "
     "Name,Born@D,Amount@N"},
  };
  ASSERT_EQ(mkdir((dir.path + "/sub").c_str(), 0700), 0);
  for (const auto &c : cases) {
    UiScript script;
    script.chosenFile = c.chosen;
    std::vector<std::string> log = RunScripted(script);
    std::vector<std::string> want = {"CreateProgressWindow", "ChooseImportFile(window)"};
    if (c.message) want.push_back(std::string("ShowMessage(window,") + c.message + ")");
    want.push_back("DestroyProgressWindow");
    EXPECT_EQ(log, want) << c.name;
    EXPECT_EQ(g_outcome, c.message ? RUN_FAILED : RUN_CANCELLED) << c.name;
  }
}

/* Each ODBC call of the run failing: the message shown, and what the
 * teardown releases afterwards. */
TEST(Run, EveryOdbcCallFailingInTurn) {
  TempFolder dir;
  std::string file = dir.Write("people.cdf", kPeople);
  const std::vector<std::string> noStmt = {"SQLDisconnect(dbc)", "SQLFreeConnect(dbc)", "SQLFreeEnv(env)",
                                           "DestroyProgressWindow"};
  const struct { const char *call; int occurrence; std::string shown; const char *errorHandles; std::vector<std::string> tail; const char *count; } cases[] = {
    {"SQLAllocEnv", 1, "ODBC call failed", nullptr, {"DestroyProgressWindow"}, ""},
    {"SQLAllocConnect", 1, "driver says no", "SQLError(env,null,null", {"SQLFreeEnv(env)", "DestroyProgressWindow"}, ""},
    {"SQLDriverConnect", 1, "driver says no", "SQLError(env,dbc,null", noStmt, ""},
    {"SQLAllocStmt", 1, "driver says no", "SQLError(env,dbc,null", noStmt, ""},
    {"SQLExecDirect", 1, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLBindParameter", 2, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLPrepare", 1, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLExecute", 1, "people.cdf, line 2: driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLExecute", 2, "people.cdf, line 3: driver says no", "SQLError(env,dbc,stmt", kTeardown, "1"},
    /* the commit at the end: its error comes from the connection */
    {"SQLEndTran", 1, "driver says no", "SQLError(env,dbc,null", kTeardown, "2"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.call) + " #" + std::to_string(c.occurrence));
    OdbcFault fault;
    fault.call = c.call;
    fault.occurrence = c.occurrence;
    fault.message = "driver says no";
    UiScript script;
    script.chosenFile = file;
    std::vector<std::string> log = RunScripted(script, fault);
    EXPECT_EQ(g_messages, std::vector<std::string>{c.shown});
    std::vector<std::string> errors = LoggedCalls("SQLError");
    if (c.errorHandles) {
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors[0].rfind(c.errorHandles, 0), 0u) << errors[0];
    } else {
      EXPECT_TRUE(errors.empty());
    }
    ASSERT_GE(log.size(), c.tail.size() + 1);
    EXPECT_EQ(std::vector<std::string>(log.end() - (long)c.tail.size(), log.end()), c.tail);
    EXPECT_EQ(log[log.size() - c.tail.size() - 1], std::string("ShowMessage(window,") + c.shown + ")");
    EXPECT_EQ(g_countShown, c.count);
    EXPECT_EQ(g_outcome, RUN_FAILED);
    /* after a failure with records counted, the run commits what it can
     * and asks the table what it holds */
    size_t commits = (std::string(c.call) == "SQLEndTran") + (*c.count != 0);
    EXPECT_EQ(LoggedCalls("SQLEndTran").size(), commits);
  }
}

/* A failure that takes counted rows with it (a refused commit, a lost
 * connection): the count shown becomes what the table holds, and the
 * records it lacks are named after the failure. */
TEST(Run, CountedRowsLostWithAFailureAreNamed) {
  TempFolder dir;
  std::string file = dir.Write("t.cdf", "n@N\n1\n2\n3\n4\n");
  const struct { const char *call; int occurrence, lost; const char *count; std::vector<std::string> shown; } cases[] = {
    {"SQLEndTran", 1, 4, "0", {"driver says no", "records 1-4 not stored: the table keeps the 0 before them"}},
    {"SQLEndTran", 1, 1, "3", {"driver says no", "record 4 not stored: the table keeps the 3 before it"}},
    {"SQLExecute", 4, 2, "1", {"t.cdf, line 5: driver says no", "records 2-3 not stored: the table keeps the 1 before them"}},
    {"SQLExecute", 4, 0, "3", {"t.cdf, line 5: driver says no"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.call) + " losing " + std::to_string(c.lost));
    OdbcFault fault;
    fault.call = c.call;
    fault.occurrence = c.occurrence;
    fault.message = "driver says no";
    fault.lostRows = c.lost;
    UiScript script;
    script.chosenFile = file;
    RunScripted(script, fault);
    EXPECT_EQ(g_messages, c.shown);
    EXPECT_EQ(g_countShown, c.count);
    EXPECT_EQ(g_outcome, RUN_FAILED);
  }
}

TEST(Run, SuccessWithInfoPassesSilently) {
  TempFolder dir;
  for (const char *call : {"SQLDriverConnect", "SQLExecDirect", "SQLBindParameter", "SQLPrepare", "SQLExecute", "SQLEndTran"}) {
    OdbcFault fault;
    fault.call = call;
    fault.rc = SQL_SUCCESS_WITH_INFO;
    UiScript script;
    script.chosenFile = dir.Write("people.cdf", kPeople);
    RunScripted(script, fault);
    EXPECT_TRUE(g_messages.empty()) << call;
    EXPECT_TRUE(LoggedCalls("SQLError").empty()) << call;
    EXPECT_EQ(g_countShown, "2") << call;
    EXPECT_EQ(g_outcome, RUN_IMPORTED) << call;
  }
}

TEST(Run, CancelAtEveryPump) {
  TempFolder dir;
  std::string file = dir.Write("people.cdf", std::string(kPeople) + "cid,3\r\n");
  /* Cancel in the record loop still commits the rows so far. */
  const struct { int pump; size_t creates, prepares, executes, commits; const char *count; int32_t outcome; } cases[] = {
    {1, 0, 0, 0, 0, "", RUN_CANCELLED},  {2, 1, 0, 0, 0, "", RUN_CANCELLED},
    {3, 1, 1, 0, 0, "", RUN_CANCELLED},  {4, 1, 1, 1, 1, "1", RUN_CANCELLED},
    {5, 1, 1, 2, 1, "2", RUN_CANCELLED}, {0, 1, 1, 3, 1, "3", RUN_IMPORTED},
  };
  for (const auto &c : cases) {
    UiScript script;
    script.chosenFile = file;
    script.cancelAtPump = c.pump;
    std::vector<std::string> log = RunScripted(script);
    EXPECT_EQ(LoggedCalls("SQLExecDirect").size(), c.creates) << c.pump;
    EXPECT_EQ(LoggedCalls("SQLPrepare").size(), c.prepares) << c.pump;
    EXPECT_EQ(LoggedCalls("SQLExecute").size(), c.executes) << c.pump;
    EXPECT_EQ(LoggedCalls("SQLEndTran").size(), c.commits) << c.pump;
    EXPECT_EQ(g_countShown, c.count) << c.pump;
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(g_outcome, c.outcome) << c.pump;
    EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), kTeardown) << c.pump;
  }
}

/* A commit refused after Cancel is a failure, shown like any other. */
TEST(Run, CommitFailingAfterCancel) {
  TempFolder dir;
  UiScript script;
  script.chosenFile = dir.Write("people.cdf", kPeople);
  script.cancelAtPump = 4;
  OdbcFault fault;
  fault.call = "SQLEndTran";
  fault.message = "disk I/O error";
  std::vector<std::string> log = RunScripted(script, fault);
  EXPECT_EQ(g_messages, std::vector<std::string>{"disk I/O error"});
  EXPECT_EQ(g_outcome, RUN_FAILED);
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), kTeardown);
}

TEST(Run, LinesWithoutRecordsAndTheEndOfTheFile) {
  TempFolder dir;
  const struct { const char *name; std::string content; size_t executes; const char *count; const char *message; } cases[] = {
    {"last line without line break", "a,b\n1,2\n3,4", 2, "2", nullptr},
    {"one-field lines skipped", "a,b\n1,2\nlonely\n\n3,4\n", 2, "2", nullptr},
    {"header only, no line break", "a,b", 0, "", nullptr},
    {"header only, with line break", "a,b\r\n", 0, "", nullptr},
    {"0 byte in a record line", std::string("a,b\n1,2\n3,\0" "4\n5,6\n", 16), 1, "1",
     "Error reading file t.cdf, line 3, column b: the file holds a 0 byte, which is no text"},
    {"0 bytes padding the end", std::string("a,b\n1,2\n3,4\n\0\0\x1a\0", 16), 2, "2", nullptr},
    {"table of one column", "Name\nann\nbob\n", 2, "2", nullptr},
  };
  for (const auto &c : cases) {
    UiScript script;
    script.chosenFile = dir.Write("t.cdf", c.content);
    RunScripted(script);
    EXPECT_EQ(LoggedCalls("SQLExecute").size(), c.executes) << c.name;
    EXPECT_EQ(g_countShown, c.count) << c.name;
    EXPECT_EQ(g_messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << c.name;
    EXPECT_EQ(LoggedCalls("SQLPrepare").size(), 1u) << c.name;
  }
}

TEST(Run, RecordErrorAfterInserts) {
  TempFolder dir;
  UiScript script;
  script.chosenFile = dir.Write("t.cdf", "a,b\n1,2\n3,\"4\"x\n5,6\n");
  std::vector<std::string> log = RunScripted(script);
  EXPECT_EQ(LoggedCalls("SQLExecute").size(), 1u);
  EXPECT_EQ(g_messages, std::vector<std::string>{"Error reading file t.cdf, line 3, column b: a closing quote is followed by "
                                                 "something else than a comma or a line break"});
  EXPECT_EQ(g_outcome, RUN_FAILED);
  EXPECT_EQ(LoggedCalls("SQLEndTran").size(), 1u); /* the record before is committed */
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), kTeardown);
}

/* Every reason the reader gives, each with the line to mend: line breaks
 * of every kind, blank lines and quoted line breaks counted as an editor
 * shows them. */
TEST(Run, ReadFailuresSayWhyAndWhere) {
  TempFolder dir;
  std::string wide;
  for (int i = 0; i < 257; i++) wide += (i ? ",c" : "c") + std::to_string(i);
  const std::string tooLong = "Name,Notes\n" "a,b\n" "c," + std::string(32768, 'x') + "\n";
  const std::string longName = "\n" + std::string(8192, 'n') + ",b\n";
  const struct { const char *name; std::string content; size_t executes; std::string reason; } cases[] = {
    {"more than 256 columns", wide + "\n1,2\n", 0,
     "line 1, field 257: the header line has more than 256 fields, more columns than a table can take"},
    {"a name too long", longName, 0, "line 2, field 1: a column name is longer than 8,191 bytes"},
    {"a field too long", tooLong, 1, "line 3, column Notes: a field is longer than 32,767 bytes"},
    {"quote never closed", "a,b\n1,2\n3,\"open\n4,5\n", 1,
     "line 3, column b: a quoted field starts here and is not closed before the end of the file"},
    {"quote never closed, escape last", "a,b\n1,2\n3,\"open\\", 1,
     "line 3, column b: a quoted field starts here and is not closed before the end of the file"},
    {"0 byte", std::string("a,b\n1,2\n3,4\n5,\0" "6\n", 17), 2, "line 4, column b: the file holds a 0 byte, which is no text"},
    {"byte after a quote, CR LF", "a,b\r\n1,2\r\n3,\"4\"x\r\n", 1,
     "line 3, column b: a closing quote is followed by something else than a comma or a line break"},
    {"backslash after a quote", "a,b\n1,\"2\"\\n\n", 0,
     "line 2, column b: a closing quote is followed by something else than a comma or a line break"},
    {"blank lines counted", "\n\na,b\n1,2\n\n\r\n3,\"x\"y\n", 1,
     "line 7, column b: a closing quote is followed by something else than a comma or a line break"},
    {"quoted line breaks counted", "a,b\n\"two\r\nlines\",2\n\"x\"y,3\n", 1,
     "line 4, column a: a closing quote is followed by something else than a comma or a line break"},
    {"lone CR ends a line", "a,b\r1,2\r3,4\r\"5\" ,6\r", 2,
     "line 4, column a: a closing quote is followed by something else than a comma or a line break"},
    {"UTF-8 mark before the header", "\xef\xbb\xbf" "a,b\n1,\"2\"x\n", 0,
     "line 2, column b: a closing quote is followed by something else than a comma or a line break"},
  };
  for (const auto &c : cases) {
    UiScript script;
    script.chosenFile = dir.Write("t.cdf", c.content);
    RunScripted(script);
    EXPECT_EQ(LoggedCalls("SQLExecute").size(), c.executes) << c.name;
    EXPECT_EQ(g_messages, std::vector<std::string>{"Error reading file t.cdf, " + c.reason}) << c.name;
    EXPECT_EQ(g_outcome, RUN_FAILED) << c.name;
  }
}

/* A refused insert names the record's line, and the column and its value
 * when the driver's text names the parameter. */
TEST(Run, RefusedValueNamesLineColumnAndValue) {
  TempFolder dir;
  std::string file = dir.Write("people.cdf", "Name,Mr@O,Mrs@O,Born@D,Amt@N\n\nann,0,1,19991231,1\n"
                                             "bob,1,0,19620431,22\n" + std::string(70, 'z') + ",1,1,x,3\n");
  const struct { int occurrence; const char *driver, *shown; } cases[] = {
    {2, "[Lumetra] Datetime field overflow: 1962-04-31 is no calendar date (parameter 3)",
     "people.cdf, line 4, column Born, value \"19620431\": [Lumetra] Datetime field overflow: 1962-04-31 is no "
     "calendar date (parameter 3)"},
    {1, "[Lumetra] Numeric value out of range: 1 (parameter 4)",
     "people.cdf, line 3, column Amt, value \"1\": [Lumetra] Numeric value out of range: 1 (parameter 4)"},
    {3, "out of range (parameter 2)",
     "people.cdf, line 5, column Mr, value 3: out of range (parameter 2)"},
    {3, "too long (parameter 1)",
     "people.cdf, line 5, column Name, value \"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz...\": too "
     "long (parameter 1)"},
    {1, "no such parameter (parameter 9)", "people.cdf, line 3: no such parameter (parameter 9)"},
    {2, "the server says no", "people.cdf, line 4: the server says no"},
  };
  for (const auto &c : cases) {
    OdbcFault fault;
    fault.call = "SQLExecute";
    fault.occurrence = c.occurrence;
    fault.message = c.driver;
    UiScript script;
    script.chosenFile = file;
    RunScripted(script, fault);
    EXPECT_EQ(g_messages, std::vector<std::string>{c.shown}) << c.driver;
    EXPECT_EQ(g_outcome, RUN_FAILED);
  }
}

/* The summary of a terminal run: what the table holds at every end, where
 * it is, the lines without a record and the values changed on the way. */
TEST(Run, SummaryAtEveryEnd) {
  TempFolder dir;
  const std::string place = "  in the data source \"Lumetra Data Source\": SQLite database /data/lumetra.db\n";
  const std::string file = dir.Write("people.cdf", "Name,Born@D,Amt@N,Price@N*\r\nann,19991231,12,1.5\r\n"
                                                   "just one\r\nbob,1999,12.5,1.999\r\n\r\nx\r\ncid,,1.999,1\r\n");
  OdbcFault failAtSecond;
  failAtSecond.call = "SQLExecute";
  failAtSecond.occurrence = 2;
  OdbcFault noRowCount;
  noRowCount.call = "SQLFetch";
  OdbcFault refusedTable;
  refusedTable.call = "SQLExecDirect";
  const struct { const char *name; std::string file; int cancelAtPump; OdbcFault fault; std::string summary; } cases[] = {
    {"imported", file, 0, OdbcFault(),
     "3 records imported into the table \"people\"\n" + place +
         "  2 lines of a single field held no record: lines 3, 6\n"
         "  1 date became NULL: not 8 digits YYYYMMDD\n"
         "  3 numbers lost digits: past the second decimal, or decimals in a whole-number @N column\n"},
    {"header only", dir.Write("header.cdf", "a,b"), 0, OdbcFault(),
     "0 records imported into the table \"header\"\n" + place},
    {"cancelled", file, 4, OdbcFault(), "The table \"people\" keeps 1 row\n" + place},
    {"cancelled before the first insert", file, 3, OdbcFault(), "The table \"people\" keeps 0 rows\n" + place},
    {"failed insert", file, 0, failAtSecond,
     "The table \"people\" keeps 1 row\n" + place + "  1 line of a single field held no record: line 3\n"
     "  1 date became NULL: not 8 digits YYYYMMDD\n"
     "  2 numbers lost digits: past the second decimal, or decimals in a whole-number @N column\n"},
    {"row count not told", file, 4, noRowCount,
     "1 record was inserted into the table \"people\" before the end\n" + place},
    {"table refused: no summary", file, 0, refusedTable, ""},
  };
  for (const auto &c : cases) {
    UiScript script;
    script.chosenFile = c.file;
    script.cancelAtPump = c.cancelAtPump;
    script.wantsSummary = true;
    std::vector<std::string> log = RunScripted(script, c.fault);
    EXPECT_EQ(g_summary, c.summary) << c.name;
    /* the summary comes before the teardown, and after any message */
    auto shown = std::find(log.begin(), log.end(), "ShowSummary");
    EXPECT_EQ(shown != log.end(), !c.summary.empty()) << c.name;
    if (shown != log.end()) {
      EXPECT_EQ(std::vector<std::string>(shown + 1, log.end()), kTeardown) << c.name;
    }
  }
}

/* The code page in the summary: said when guessed, with a warning that
 * names --charset when the letters do not tell; nothing when given. */
TEST(Run, CodePageInTheSummary) {
  TempFolder dir;
  const std::string place = "  in the data source \"Lumetra Data Source\": SQLite database /data/lumetra.db\n";
  const struct { const char *name; std::string content; int32_t given; std::string tail; } cases[] = {
    {"DOS letters", "a,b\nRen\x82" "e,M\x81nchen\n", CDF_CHARSET_UNDECIDED,
     "  text read as CP850, as its letters show, and stored as UTF-8\n"},
    {"Windows letters", "a,b\nRen\xe9" "e,M\xfcnchen\n", CDF_CHARSET_UNDECIDED,
     "  text read as WINDOWS-1252, as its letters show, and stored as UTF-8\n"},
    {"no letter tells", "a,b\nx,\xa3\n", CDF_CHARSET_UNDECIDED,
     "  warning: the letters do not show the file's code page; the text was read as WINDOWS-1252.\n"
     "  If letters look wrong, drop the table and import the file again with --charset CP850 or CP437\n"},
    {"given", "a,b\nx,\xa3\n", CDF_CP850, ""},
    {"UTF-8", "a,b\nRen\xc3\xa9" "e,x\n", CDF_CHARSET_UNDECIDED, ""},
    {"ASCII", "a,b\nx,y\n", CDF_CHARSET_UNDECIDED, ""},
  };
  for (const auto &c : cases) {
    UseCdfCharset(c.given);
    UiScript script;
    script.chosenFile = dir.Write("t.cdf", c.content);
    script.wantsSummary = true;
    RunScripted(script);
    EXPECT_EQ(g_summary, "1 record imported into the table \"t\"\n" + place + c.tail) << c.name;
  }
  UseCdfCharset(CDF_CHARSET_UNDECIDED);
}

/* An option group's column holds every value its members can make: up to
 * 15 members a small integer, up to 31 an integer, past that the text of
 * its digits. The statements and bindings follow the width. */
TEST(Run, OptionGroupsWideEnoughForEveryValue) {
  TempFolder dir;
  const struct { int members; const char *typeWord, *binding; } cases[] = {
    {15, "I2", "SQLBindParameter(stmt,1,1,8,5,5,0,col0.number,5,col0.length)"},
    {16, "I4", "SQLBindParameter(stmt,1,1,8,4,10,0,col0.number,10,col0.length)"},
    {31, "I4", "SQLBindParameter(stmt,1,1,8,4,10,0,col0.number,10,col0.length)"},
    {32, "LPWSTR", "SQLBindParameter(stmt,1,1,1,12,32767,0,col0.text,32767,col0.length)"},
  };
  for (const auto &c : cases) {
    std::string header, line;
    for (int i = 0; i < c.members; i++) {
      header += "o" + std::to_string(i) + "@O,";
      line += i == 0 ? "1," : "0,";
    }
    UiScript script;
    script.chosenFile = dir.Write("g.cdf", header + "x\n" + line + "y\n");
    RunScripted(script);
    EXPECT_EQ(LoggedCalls("SQLExecDirect"),
              std::vector<std::string>{"SQLExecDirect(stmt,CREATE TABLE \"g\"(\"o0\"" + std::string(c.typeWord) +
                                       ",\"x\"LPWSTR),NTS)"})
        << c.members;
    std::vector<std::string> bindings = LoggedCalls("SQLBindParameter");
    ASSERT_EQ(bindings.size(), 2u) << c.members;
    EXPECT_EQ(bindings[0], c.binding) << c.members;
    EXPECT_TRUE(g_messages.empty()) << c.members;
  }
}

TEST(Run, GoesOnWithoutAWindow) {
  TempFolder dir;
  UiScript script;
  script.chosenFile = dir.Write("people.cdf", kPeople);
  script.windowFails = true;
  std::vector<std::string> log = RunScripted(script);
  EXPECT_EQ(log[1], "ChooseImportFile(null)");
  EXPECT_EQ(LoggedCalls("SQLExecute").size(), 2u);
  EXPECT_EQ(g_countShown, ""); /* no window: no count */
  EXPECT_TRUE(LoggedCalls("DestroyProgressWindow").empty());
}

TEST(TableName, FromPaths) {
  const struct { const char *path, *table; } cases[] = {
    {"/home/ann/Old.Files/list.v2.cdf", "list"}, {"/data/.hidden", ".hidden"}, {"/data/Phone.1999.cdf", "Phone"},
    {"people.cdf", "people"}, {"/a/back\\slash:colon.cdf", "back\\slash:colon"}, {"/x/a b.CDF", "a b"},
    {"/x/noext", "noext"}, {".cdf", ".cdf"}, {"/x/..cdf", "."}, {"/", ""},
    {"/people.cdf", "people"}, {"/.hidden", ".hidden"}, {"//x.cdf", "x"},
  };
  for (const auto &c : cases) {
    char table[TABLE_NAME_SIZE];
    TableNameFromPath(c.path, table);
    EXPECT_STREQ(table, c.table) << c.path;
  }
}

}  // namespace

namespace {

/* The table modes against what the data source holds: an append checks
 * the columns first and refuses before inserting anything when they
 * differ; a replacement is one transaction, rolled back at a failure or
 * Cancel where the data source takes DDL in transactions. */
TEST(Run, TableModes) {
  TempFolder dir;
  std::string file = dir.Write("people.cdf", kPeople);
  const std::vector<FakeColumn> same = {{"people", "Name", SQL_VARCHAR, "TEXT"}, {"people", "Age", SQL_INTEGER, "INTEGER"}};
  const std::vector<FakeColumn> other = {{"people", "Name", SQL_VARCHAR, "TEXT"}, {"people", "Age", SQL_VARCHAR, "TEXT"},
                                         {"people", "Notes", SQL_LONGVARCHAR, "TEXT"}};
  const std::vector<FakeColumn> likeNamed = {{"peopleX", "Name", SQL_VARCHAR, "TEXT"}};
  const std::string autocommitOff = "SQLSetConnectAttr(dbc,102,0)";
  const std::string drop = "SQLExecDirect(stmt,DROP TABLE \"people\",NTS)";
  const std::string rollback = "SQLEndTran(2,dbc,1)";
  const struct { const char *name; int32_t mode; std::vector<FakeColumn> catalog; SQLUSMALLINT txn; std::string failCall;
                 int cancelAtPump; size_t creates, executes; std::vector<std::string> messages; int32_t outcome;
                 bool transaction, dropped, rolledBack; } cases[] = {
    {"append, same columns", TABLE_APPEND, same, SQL_TC_ALL, "", 0, 0, 2, {}, RUN_IMPORTED, false, false, false},
    {"append, no table", TABLE_APPEND, {}, SQL_TC_ALL, "", 0, 1, 2, {}, RUN_IMPORTED, false, false, false},
    {"append, a name that only matches the pattern", TABLE_APPEND, likeNamed, SQL_TC_ALL, "", 0, 1, 2, {}, RUN_IMPORTED,
     false, false, false},
    {"append, other columns", TABLE_APPEND, other, SQL_TC_ALL, "", 0, 0, 0,
     {"people.cdf not appended: the table \"people\" has other columns than the file: column 2 is Age INTEGER in the "
      "file but Age TEXT in the table; the table's column 3, Notes TEXT, is not in the file"},
     RUN_FAILED, false, false, false},
    {"append, the catalog fails", TABLE_APPEND, same, SQL_TC_ALL, "SQLColumns", 0, 0, 0, {"driver says no"}, RUN_FAILED,
     false, false, false},
    {"replace", TABLE_REPLACE, same, SQL_TC_ALL, "", 0, 1, 2, {}, RUN_IMPORTED, true, true, false},
    {"replace, no table", TABLE_REPLACE, {}, SQL_TC_ALL, "", 0, 1, 2, {}, RUN_IMPORTED, true, false, false},
    {"replace, an insert fails", TABLE_REPLACE, same, SQL_TC_ALL, "SQLExecute", 0, 1, 1,
     {"people.cdf, line 2: driver says no", "nothing replaced: the table \"people\" is kept as it was"}, RUN_FAILED, true,
     true, true},
    {"replace, the create fails", TABLE_REPLACE, same, SQL_TC_ALL, "SQLExecDirect", 0, 0, 0,
     {"driver says no", "nothing replaced: the table \"people\" is kept as it was"}, RUN_FAILED, true, true, true},
    {"replace, Cancel in the records", TABLE_REPLACE, same, SQL_TC_ALL, "", 4, 1, 1,
     {"nothing replaced: the table \"people\" is kept as it was"}, RUN_CANCELLED, true, true, true},
    {"replace, no table, Cancel", TABLE_REPLACE, {}, SQL_TC_ALL, "", 4, 1, 1,
     {"nothing imported: the table \"people\" was not made"}, RUN_CANCELLED, true, false, true},
    {"replace where DDL commits", TABLE_REPLACE, same, SQL_TC_DDL_COMMIT, "", 0, 1, 2, {}, RUN_IMPORTED, false, true,
     false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    OdbcFault fault;
    fault.catalog = c.catalog;
    fault.txnCapable = c.txn;
    fault.call = c.failCall;
    fault.occurrence = c.failCall == "SQLExecDirect" ? 2 : 1; /* the drop goes first */
    fault.message = "driver says no";
    g_importOptions.tableMode = c.mode;
    UiScript script;
    script.chosenFile = file;
    script.cancelAtPump = c.cancelAtPump;
    std::vector<std::string> log = RunScripted(script, fault);
    g_importOptions.tableMode = TABLE_NEW;
    std::vector<std::string> execs = LoggedCalls("SQLExecDirect");
    size_t creates = std::count_if(execs.begin(), execs.end(), [](const std::string &e) { return e.find("CREATE") != e.npos; });
    if (c.failCall != "SQLExecDirect") {
      EXPECT_EQ(creates, c.creates);
    }
    EXPECT_EQ(LoggedCalls("SQLExecute").size(), c.executes);
    EXPECT_EQ(g_messages, c.messages);
    EXPECT_EQ(g_outcome, c.outcome);
    EXPECT_EQ(std::count(log.begin(), log.end(), autocommitOff), c.transaction ? 1 : 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), drop), c.dropped ? 1 : 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), rollback), c.rolledBack ? 1 : 0);
    if (c.transaction && !c.rolledBack) {
      /* the drop, the new table and its rows are committed together, once */
      EXPECT_EQ(LoggedCalls("SQLEndTran").size(), 1u);
    }
  }
}

/* --table and --dsn reach the statements and the connection. */
TEST(Run, TableNameAndDataSourceGiven) {
  TempFolder dir;
  g_importOptions.tableName = "staff";
  g_importOptions.dataSource = "DRIVER=Lumetra;Database=/tmp/x.db";
  UiScript script;
  script.chosenFile = dir.Write("people.cdf", kPeople);
  RunScripted(script);
  g_importOptions = ImportOptions();
  EXPECT_EQ(LoggedCalls("SQLDriverConnect"),
            std::vector<std::string>{"SQLDriverConnect(dbc,null,Charset=UTF-8;DRIVER=Lumetra;Database=/tmp/x.db,NTS,1024,0)"});
  EXPECT_EQ(LoggedCalls("SQLPrepare"), std::vector<std::string>{"SQLPrepare(stmt,INSERT INTO \"staff\" VALUES (?,?),NTS)"});
  EXPECT_EQ(g_outcome, RUN_IMPORTED);
}

}  // namespace

namespace {

/* A dry run reads the whole file as the run would and calls no ODBC
 * function: the report lists the columns with their SQL types, the
 * records, the lines without one and the values changed; a reader error
 * is shown with its line. */
TEST(DryRun, ReportsWithoutWriting) {
  TempFolder dir;
  const struct { const char *name; std::string content; const char *table; int32_t outcome; std::string shown; } cases[] = {
    {"every type", "Name,Born@D,Mr@O,Mrs@O,Vip@C,Amt@N,Price@N*,Tags@G\r\nann,1999,0,1,1,1.5,1.999,a;\r\nlonely\r\n"
                   "bob,19991231,1,0,0,2,3,b\r\n", nullptr, RUN_IMPORTED,
     "t.cdf would give the table \"t\" with 7 columns:\n"
     "  Name TEXT\n  Born TIMESTAMP\n  Mr SMALLINT\n  Vip SMALLINT\n  Amt INTEGER\n  Price INTEGER\n  Tags TEXT\n"
     "and 2 records; nothing was written\n"
     "  1 line of a single field would hold no record: line 3\n"
     "  1 date would become NULL: not 8 digits YYYYMMDD\n"
     "  2 numbers would lose digits: past the second decimal, or decimals in a whole-number @N column\n"},
    {"header only, table named", "a,b", "staff", RUN_IMPORTED,
     "t.cdf would give the table \"staff\" with 2 columns:\n  a TEXT\n  b TEXT\nand 0 records; nothing was written\n"},
    {"last line without a break", "n@N\n1\n2", nullptr, RUN_IMPORTED,
     "t.cdf would give the table \"t\" with 1 column:\n  n INTEGER\nand 2 records; nothing was written\n"},
    {"a reader error", "a,b\n1,2\n3,\"4\"x\n5,6\n", nullptr, RUN_FAILED,
     "Error reading file t.cdf, line 3, column b: a closing quote is followed by something else than a comma or a line "
     "break"},
    {"no header", "", nullptr, RUN_FAILED,
     "Error reading file t.cdf: there is no header line; the first line must name the columns, such as "
     "Name,Born@D,Amount@N"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    ResetFakeOdbc();
    UseScriptedUi(UiScript());
    g_importOptions.tableName = c.table;
    int32_t outcome = DryRunImport(dir.Write("t.cdf", c.content).c_str());
    g_importOptions.tableName = nullptr;
    EXPECT_EQ(outcome, c.outcome);
    if (c.outcome == RUN_IMPORTED) {
      EXPECT_EQ(DryRunReport(), c.shown);
      EXPECT_TRUE(g_messages.empty());
    } else {
      EXPECT_EQ(g_messages, std::vector<std::string>{c.shown});
    }
    EXPECT_TRUE(LoggedCalls("SQL").empty());
  }
  ResetFakeOdbc();
  UseScriptedUi(UiScript());
  EXPECT_EQ(DryRunImport((dir.path + "/missing.cdf").c_str()), RUN_FAILED);
  EXPECT_EQ(g_messages, std::vector<std::string>{"Could not open file missing.cdf: No such file or directory"});
}

}  // namespace
