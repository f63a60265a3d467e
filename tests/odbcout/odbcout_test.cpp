/* odbcout_test.cpp: the statements and bindings the ODBC output sends,
 * and CheckOdbc's judgement, against the recording stand-in. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "columns.h"
#include "fake_odbc.h"
#include "odbcout.h"
#include "scripted_ui.h"
#include "ui.h"

namespace {

struct Col {
  std::string name;
  int type;
  int groupStart;
};

void SetColumns(const std::vector<Col> &cols) {
  g_columnCount = (int32_t)cols.size();
  for (size_t i = 0; i < cols.size(); i++) {
    snprintf(g_columns[i].name, sizeof g_columns[i].name, "%s", cols[i].name.c_str());
    g_columns[i].type = cols[i].type;
    g_columns[i].groupStart = cols[i].groupStart;
  }
}

HENV kEnv;
HDBC kDbc;
HSTMT kStmt;
int s_window;

/* Allocates the three tokens of the stand-in, then clears the log. */
void Begin(const OdbcFault &fault = OdbcFault()) {
  UseScriptedUi(UiScript());
  SetOdbcMessageSink(ShowMessage);
  ResetFakeOdbc(fault);
  SQLAllocEnv(&kEnv);
  SQLAllocConnect(kEnv, &kDbc);
  SQLAllocStmt(kDbc, &kStmt);
  g_callLog.clear();
}

const std::vector<Col> kPeople = {{"Name", COL_TEXT, 0}, {"Born", COL_DATE, 0}, {"Mr", COL_OPTION, 1},
                                  {"Mrs", COL_OPTION, 0}, {"Vip", COL_CHECK, 0}, {"Tags", COL_LIST, 0}};

TEST(CreateTable, StatementTexts) {
  std::vector<Col> many;
  std::string manyColumns;
  for (int i = 0; i < 256; i++) {
    many.push_back({"c" + std::to_string(i), COL_NUMBER, 0});
    manyColumns += (i ? ",\"c" : "\"c") + std::to_string(i) + "\"I4";
  }
  const struct { std::vector<Col> cols; std::string table, sql; } cases[] = {
    {kPeople, "people", "CREATE TABLE \"people\"(\"Name\"LPWSTR,\"Born\"FILETIME,\"Mr\"I2,\"Vip\"I2,\"Tags\"LPWSTR)"},
    {{}, "people", "CREATE TABLE \"people\"()"},
    {{{"", COL_TEXT, 0}, {"T", COL_TIME, 0}, {"L", COL_LONGTEXT, 0}}, "a b", "CREATE TABLE \"a b\"(\"\"LPWSTR,\"T\"LPWSTR,\"L\"LONG_LPWSTR)"},
    {{{"a", COL_OPTION, 1}, {"b", COL_OPTION, 0}, {"c", COL_OPTION, 1}, {"n", COL_NUMBER, 0}}, "g",
     "CREATE TABLE \"g\"(\"a\"I2,\"c\"I2,\"n\"I4)"},
    {{{"say \"hi\"", COL_TEXT, 0}}, "x\"); DROP TABLE t; --", "CREATE TABLE \"x\"\"); DROP TABLE t; --\"(\"say \"\"hi\"\"\"LPWSTR)"},
    {many, "m", "CREATE TABLE \"m\"(" + manyColumns + ")"},
  };
  for (const auto &c : cases) {
    SetColumns(c.cols);
    Begin();
    EXPECT_EQ(CreateImportTable(&s_window, c.table.c_str(), kEnv, kDbc, kStmt), 1);
    ASSERT_EQ(g_callLog.size(), 1u);
    EXPECT_EQ(g_callLog[0], "SQLExecDirect(stmt," + c.sql + ",NTS)");
  }
}

TEST(CreateTable, LongestNamesFitWhole) {
  std::vector<Col> cols(256, {std::string(8191, '"'), COL_LONGTEXT, 0});
  SetColumns(cols);
  Begin();
  std::string table(255, '"');
  EXPECT_EQ(CreateImportTable(&s_window, table.c_str(), kEnv, kDbc, kStmt), 1);
  std::string column = "\"" + std::string(16382, '"') + "\"LONG_LPWSTR";
  std::string want = "CREATE TABLE \"" + std::string(510, '"') + "\"(" + column;
  for (int i = 1; i < 256; i++) want += "," + column;
  EXPECT_EQ(g_callLog[0], "SQLExecDirect(stmt," + want + "),NTS)");
}

TEST(InsertStatement, TextAndBindings) {
  SetColumns(kPeople);
  Begin();
  EXPECT_EQ(PrepareImportInsert(&s_window, "people", kEnv, kDbc, kStmt), 1);
  const std::vector<std::string> want = {
    ExpectedBinding(1, 0, COL_TEXT),   ExpectedBinding(2, 1, COL_DATE), ExpectedBinding(3, 2, COL_OPTION),
    ExpectedBinding(4, 4, COL_CHECK),  ExpectedBinding(5, 5, COL_LIST),
    "SQLPrepare(stmt,INSERT INTO \"people\" VALUES (?,?,?,?,?),NTS)",
  };
  EXPECT_EQ(g_callLog, want);
}

TEST(InsertStatement, OtherTypesEmptyTableAndManyColumns) {
  SetColumns({{"n", COL_NUMBER, 0}, {"l", COL_LONGTEXT, 0}, {"t", COL_TIME, 0}});
  Begin();
  ASSERT_EQ(PrepareImportInsert(&s_window, "a\"b", kEnv, kDbc, kStmt), 1);
  EXPECT_EQ(g_callLog[0], ExpectedBinding(1, 0, COL_NUMBER));
  EXPECT_EQ(g_callLog[1], ExpectedBinding(2, 1, COL_LONGTEXT));
  EXPECT_EQ(g_callLog[2], ExpectedBinding(3, 2, COL_TIME));
  EXPECT_EQ(g_callLog[3], "SQLPrepare(stmt,INSERT INTO \"a\"\"b\" VALUES (?,?,?),NTS)");

  SetColumns({});
  Begin();
  ASSERT_EQ(PrepareImportInsert(&s_window, "people", kEnv, kDbc, kStmt), 1);
  EXPECT_EQ(g_callLog, std::vector<std::string>{"SQLPrepare(stmt,INSERT INTO \"people\" VALUES (),NTS)"});

  SetColumns(std::vector<Col>(256, {"c", COL_CHECK, 0}));
  Begin();
  ASSERT_EQ(PrepareImportInsert(&s_window, "m", kEnv, kDbc, kStmt), 1);
  EXPECT_EQ(LoggedCalls("SQLBindParameter").size(), 256u);
  EXPECT_EQ(LoggedCalls("SQLBindParameter")[255], ExpectedBinding(256, 255, COL_CHECK));
  std::string markers = "?";
  for (int i = 1; i < 256; i++) markers += ",?";
  EXPECT_EQ(g_callLog.back(), "SQLPrepare(stmt,INSERT INTO \"m\" VALUES (" + markers + "),NTS)");
}

TEST(InsertStatement, RefusedBindingStopsBeforePrepare) {
  SetColumns(kPeople);
  OdbcFault fault;
  fault.call = "SQLBindParameter";
  fault.occurrence = 3;
  fault.message = "[Lumetra] no";
  Begin(fault);
  EXPECT_EQ(PrepareImportInsert(&s_window, "people", kEnv, kDbc, kStmt), 0);
  EXPECT_EQ(LoggedCalls("SQLBindParameter").size(), 3u);
  EXPECT_TRUE(LoggedCalls("SQLPrepare").empty());
  EXPECT_EQ(g_messages, std::vector<std::string>{"[Lumetra] no"});
}

TEST(CheckOdbc, Judgement) {
  /* a connection failure's reason comes last: a long message is shown whole */
  const std::string longMessage = "[Lumetra] PostgreSQL: connection to server on socket \"" + std::string(300, 's') +
                                  "\" failed: FATAL: database \"nodb\" does not exist";
  const struct { SQLRETURN rc; std::string message; int result; const char *shown; } cases[] = {
    {SQL_SUCCESS, "x", 1, nullptr},
    {SQL_SUCCESS_WITH_INFO, "x", 1, nullptr},
    {SQL_ERROR, "table exists", 0, "table exists"},
    {SQL_INVALID_HANDLE, "", 0, "ODBC call failed"},
    {SQL_NO_DATA, "no data", 0, "no data"},
    {SQL_NEED_DATA, "need", 0, "need"},
  };
  for (const auto &c : cases) {
    OdbcFault fault;
    fault.message = c.message;
    Begin(fault);
    EXPECT_EQ(CheckOdbc(&s_window, c.rc, kEnv, kDbc, kStmt), c.result) << c.rc;
    if (!c.shown) {
      EXPECT_TRUE(g_callLog.empty()) << c.rc;
      continue;
    }
    EXPECT_EQ(LoggedCalls("SQLError"), std::vector<std::string>{"SQLError(env,dbc,stmt,null,null,8192,null)"});
    EXPECT_EQ(g_messages, std::vector<std::string>{c.shown});
  }
  OdbcFault fault;
  fault.message = longMessage;
  Begin(fault);
  EXPECT_EQ(CheckOdbc(&s_window, SQL_ERROR, kEnv, nullptr, nullptr), 0);
  EXPECT_EQ(LoggedCalls("SQLError"), std::vector<std::string>{"SQLError(env,null,null,null,null,8192,null)"});
  EXPECT_EQ(g_messages, std::vector<std::string>{longMessage});
}

/* The parameter numbers skip the later members of an option group. */
TEST(PrepareInsert, ColumnOfEachParameter) {
  SetColumns({{"Name", COL_TEXT, 0}, {"Mr", COL_OPTION, 1}, {"Mrs", COL_OPTION, 0}, {"Ms", COL_OPTION, 0},
              {"Vip", COL_CHECK, 0}, {"Born", COL_DATE, 0}});
  const struct { int parameter, column; } cases[] = {{1, 0}, {2, 1}, {3, 4}, {4, 5}, {5, -1}, {0, -1}, {-3, -1}};
  for (const auto &c : cases) EXPECT_EQ(ColumnOfParameter(c.parameter), c.column) << c.parameter;
}

/* The message goes to the sink the run installed, with the owner it was
 * given; with none installed a failure is still a failure. */
void *s_sinkOwner;
std::vector<std::string> s_sunk;
void RecordingSink(void *owner, const char *text) {
  s_sinkOwner = owner;
  s_sunk.push_back(text);
}

TEST(CheckOdbc, HandsTheMessageToTheInstalledSink) {
  OdbcFault fault;
  fault.message = "refused";
  Begin(fault);
  SetOdbcMessageSink(RecordingSink);
  s_sunk.clear();
  EXPECT_EQ(CheckOdbc(&s_window, SQL_ERROR, kEnv, kDbc, kStmt), 0);
  EXPECT_EQ(s_sunk, std::vector<std::string>{"refused"});
  EXPECT_EQ(s_sinkOwner, &s_window);
  EXPECT_TRUE(g_messages.empty());
  SetOdbcMessageSink(nullptr);
  EXPECT_EQ(CheckOdbc(&s_window, SQL_ERROR, kEnv, kDbc, kStmt), 0);
  EXPECT_EQ(s_sunk.size(), 1u);
  EXPECT_TRUE(g_messages.empty());
}

}  // namespace
