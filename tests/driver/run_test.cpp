/* run_test.cpp: the import run against the recording ODBC stand-in and a
 * scripted front end: the order of the whole run, every ODBC call failing
 * in turn, Cancel at every point, the commit at the end, how each run
 * ended, and the teardown releasing exactly what was obtained, in the
 * reverse order. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "columns.h"
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
  "SQLAllocEnv()", "SQLAllocConnect(env)", "SQLConnect(dbc,Lumetra Data Source,NTS,null,0,null,0)",
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
    {"missing file", dir.path + "/missing.cdf", "Could not open file"},
    {"a folder", dir.path, "Could not open file"},
    {"header error", dir.Write("bad.cdf", "\"Name\"x,Age\r\n"), "Error reading file"},
  };
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
  const struct { const char *call; int occurrence; const char *shown; const char *errorHandles; std::vector<std::string> tail; const char *count; } cases[] = {
    {"SQLAllocEnv", 1, "ODBC call failed", nullptr, {"DestroyProgressWindow"}, ""},
    {"SQLAllocConnect", 1, "driver says no", "SQLError(env,null,null", {"SQLFreeEnv(env)", "DestroyProgressWindow"}, ""},
    {"SQLConnect", 1, "driver says no", "SQLError(env,dbc,null", noStmt, ""},
    {"SQLAllocStmt", 1, "driver says no", "SQLError(env,dbc,null", noStmt, ""},
    {"SQLExecDirect", 1, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLBindParameter", 2, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLPrepare", 1, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLExecute", 1, "driver says no", "SQLError(env,dbc,stmt", kTeardown, ""},
    {"SQLExecute", 2, "driver says no", "SQLError(env,dbc,stmt", kTeardown, "1"},
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
    EXPECT_EQ(LoggedCalls("SQLEndTran").size(), std::string(c.call) == "SQLEndTran" ? 1u : 0u);
  }
}

TEST(Run, SuccessWithInfoPassesSilently) {
  TempFolder dir;
  for (const char *call : {"SQLConnect", "SQLExecDirect", "SQLBindParameter", "SQLPrepare", "SQLExecute", "SQLEndTran"}) {
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
    {"empty file", "", 0, "", nullptr},
    {"0 byte in a record line", std::string("a,b\n1,2\n3,\0" "4\n5,6\n", 16), 1, "1", "Error reading file"},
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
  EXPECT_EQ(g_messages, std::vector<std::string>{"Error reading file"});
  EXPECT_EQ(g_outcome, RUN_FAILED);
  EXPECT_TRUE(LoggedCalls("SQLEndTran").empty());
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), kTeardown);
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
