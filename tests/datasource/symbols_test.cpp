/* symbols_test.cpp: the driver loaded into a process that holds the driver
 * manager, whose functions carry the same names as the driver's. A call
 * from one driver entry point to another (SQLFreeStmt with SQL_DROP frees
 * through SQLFreeHandle) must stay inside the driver. */
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
  EXPECT_EQ(freeStmt(stmt, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(disconnect(dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
  /* the library stays loaded: unloading it would strand SQLite's own
   * process-wide allocations, which the leak checker then reports */
  SQLFreeHandle(SQL_HANDLE_ENV, manager);
}

}  // namespace
