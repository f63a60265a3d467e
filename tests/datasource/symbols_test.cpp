/* symbols_test.cpp: the driver loaded into a process that holds the driver
 * manager, whose functions carry the same names as the driver's. What an
 * entry point does must stay inside the driver (SQLFreeStmt with SQL_DROP
 * frees the statement as SQLFreeHandle does). Called directly, the
 * entry points refuse handles that are null or of the wrong kind, and
 * SQL_DIAG_RETURNCODE tells how the last call ended. */
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include "temp_dsn.h"

namespace {

template <typename F>
F Entry(void *lib, const char *name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

TEST(Symbols, DropThroughSQLFreeStmtStaysInTheDriver) {
  TempDsn dsn;
  SQLHENV manager = SQL_NULL_HENV; /* the driver manager is in the process */
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &manager), SQL_SUCCESS);
  void *lib = dlopen(kDriverPath, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto alloc = Entry<SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE *)>(lib, "SQLAllocHandle");
  auto connect = Entry<SQLRETURN (*)(SQLHDBC, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *,
                                     SQLSMALLINT)>(lib, "SQLConnect");
  auto freeStmt = Entry<SQLRETURN (*)(SQLHSTMT, SQLUSMALLINT)>(lib, "SQLFreeStmt");
  auto disconnect = Entry<SQLRETURN (*)(SQLHDBC)>(lib, "SQLDisconnect");
  auto freeHandle = Entry<SQLRETURN (*)(SQLSMALLINT, SQLHANDLE)>(lib, "SQLFreeHandle");
  ASSERT_TRUE(alloc && connect && freeStmt && disconnect && freeHandle);

  SQLHANDLE env = nullptr, dbc = nullptr, stmt = nullptr;
  ASSERT_EQ(alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
  ASSERT_EQ(alloc(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
  ASSERT_EQ(connect(dbc, (SQLCHAR *)"Lumetra Data Source", SQL_NTS, nullptr, 0, nullptr, 0), SQL_SUCCESS);
  ASSERT_EQ(alloc(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  auto exec = Entry<SQLRETURN (*)(SQLHSTMT, SQLCHAR *, SQLINTEGER)>(lib, "SQLExecDirect");
  auto diagField = Entry<SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLSMALLINT, SQLPOINTER, SQLSMALLINT,
                                       SQLSMALLINT *)>(lib, "SQLGetDiagField");
  ASSERT_TRUE(exec && diagField);
  const struct { const char *sql; SQLRETURN rc; } calls[] = {
    {"SELECT * FROM nowhere", SQL_ERROR}, {"SELECT 1", SQL_SUCCESS},
  };
  for (const auto &c : calls) {
    EXPECT_EQ(exec(stmt, (SQLCHAR *)c.sql, SQL_NTS), c.rc) << c.sql;
    SQLRETURN last = 99;
    EXPECT_EQ(diagField(SQL_HANDLE_STMT, stmt, 0, SQL_DIAG_RETURNCODE, &last, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(last, c.rc) << c.sql;
  }
  SQLHANDLE refused = nullptr;
  EXPECT_EQ(alloc(SQL_HANDLE_STMT, SQL_NULL_HANDLE, &refused), SQL_INVALID_HANDLE);
  EXPECT_EQ(alloc(SQL_HANDLE_STMT, env, &refused), SQL_INVALID_HANDLE); /* an environment is no connection */
  EXPECT_EQ(alloc(SQL_HANDLE_DBC, SQL_NULL_HANDLE, &refused), SQL_INVALID_HANDLE);
  EXPECT_EQ(exec(SQL_NULL_HSTMT, (SQLCHAR *)"SELECT 1", SQL_NTS), SQL_INVALID_HANDLE);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(freeStmt(stmt, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(disconnect(dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
  /* the library stays loaded: unloading it would strand SQLite's own
   * process-wide allocations, which the leak checker then reports */
  SQLFreeHandle(SQL_HANDLE_ENV, manager);
}

}  // namespace
