/* data_at_exec_test.cpp: parameter values sent at execution through the
 * driver manager (SQLParamData, SQLPutData), as clients send long values:
 * text in pieces, wide text, NULL, a fixed-size number, two parameters in
 * turn, and the same statement executed again from bound buffers. */
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <string.h>

#include <string>
#include <vector>

#include "dsn_environment.h"
#include "odbc_session.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

using Session = Odbc3Session;

/* One parameter sent at execution: its types and the pieces sent. */
struct Sent {
  SQLSMALLINT cType, sqlType;
  std::vector<std::string> pieces; /* bytes; a piece "NULL" sends SQL_NULL_DATA */
  bool terminated = false;         /* the pieces are sent with SQL_NTS */
};

TEST(DataAtExecution, PiecesBecomeTheValue) {
  std::string big(100000, 'x');
  const std::string wide("\xa9\x03\xbc\x03", 4); /* "Ωμ" in UTF-16LE */
  SQLINTEGER number = -42;
  const struct { Sent a, b; const char *stored; } cases[] = {
    {{SQL_C_CHAR, SQL_VARCHAR, {"one ", "two ", "three"}}, {SQL_C_CHAR, SQL_VARCHAR, {""}}, "one two three|"},
    {{SQL_C_CHAR, SQL_VARCHAR, {"four ", "five"}, true}, {SQL_C_CHAR, SQL_VARCHAR, {"six"}, true}, "four five|six"},
    {{SQL_C_CHAR, SQL_LONGVARCHAR, {big, big}}, {SQL_C_CHAR, SQL_VARCHAR, {"NULL"}}, nullptr},
    {{SQL_C_WCHAR, SQL_WVARCHAR, {wide, wide}}, {SQL_C_SLONG, SQL_INTEGER, {std::string((char *)&number, 4)}},
     "\xce\xa9\xce\xbc\xce\xa9\xce\xbc|-42"},
  };
  Session s; /* the first connection makes the database */
  ASSERT_EQ(s.connected, SQL_SUCCESS);
  ASSERT_EQ(g_dsn->Exec("CREATE TABLE sent(a TEXT, b TEXT)"), "");
  for (const auto &c : cases) {
    ASSERT_EQ(g_dsn->Exec("DELETE FROM sent"), "");
    SQLLEN atExec[2] = {SQL_LEN_DATA_AT_EXEC(0), SQL_DATA_AT_EXEC};
    const Sent *sent[2] = {&c.a, &c.b};
    ASSERT_EQ(SQLPrepare(s.stmt, (SQLCHAR *)"INSERT INTO sent VALUES (?, ?)", SQL_NTS), SQL_SUCCESS);
    for (SQLUSMALLINT i = 0; i < 2; i++)
      ASSERT_EQ(SQLBindParameter(s.stmt, i + 1, SQL_PARAM_INPUT, sent[i]->cType, sent[i]->sqlType, 0, 0,
                                 (SQLPOINTER)(intptr_t)(i + 1), 0, &atExec[i]),
                SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(s.stmt), SQL_NEED_DATA);
    SQLPOINTER token = nullptr;
    for (int asked = 1; asked <= 2; asked++) {
      ASSERT_EQ(SQLParamData(s.stmt, &token), SQL_NEED_DATA);
      ASSERT_EQ((intptr_t)token, asked) << "the parameters are asked for in order";
      for (const std::string &piece : sent[asked - 1]->pieces) {
        bool null = piece == "NULL";
        SQLLEN length = null ? SQL_NULL_DATA : sent[asked - 1]->terminated ? SQL_NTS : (SQLLEN)piece.size();
        ASSERT_EQ(SQLPutData(s.stmt, (SQLPOINTER)piece.c_str(), length), SQL_SUCCESS);
      }
    }
    ASSERT_EQ(SQLParamData(s.stmt, &token), SQL_SUCCESS);
    if (c.stored) {
      EXPECT_EQ(g_dsn->Query("SELECT a, b FROM sent"), std::string(c.stored) + "\n");
    } else {
      EXPECT_EQ(g_dsn->Query("SELECT length(a), b IS NULL FROM sent"), "200000|1\n");
    }
  }

  /* the same statement from bound buffers: no data is asked for */
  char text[] = "bound";
  SQLLEN nts = SQL_NTS;
  ASSERT_EQ(g_dsn->Exec("DELETE FROM sent"), "");
  for (SQLUSMALLINT i = 1; i <= 2; i++)
    ASSERT_EQ(SQLBindParameter(s.stmt, i, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 5, 0, text, 0, &nts),
              SQL_SUCCESS);
  ASSERT_EQ(SQLExecute(s.stmt), SQL_SUCCESS);
  EXPECT_EQ(g_dsn->Query("SELECT a, b FROM sent"), "bound|bound\n");
}

}  // namespace
