/* fake_odbc.h: a recording, fault-injecting stand-in for the ODBC driver
 * manager, linked instead of libodbc. Every call is appended to the log
 * as text, with pointers into the column table named by column and
 * field; one chosen call can be made to fail with a chosen message. */
#ifndef LUMETRA_FAKE_ODBC_H
#define LUMETRA_FAKE_ODBC_H

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "call_log.h"

/* A column of the table that the data source holds already, as SQLColumns
 * tells it: the rows of other names stand for tables that a pattern
 * matches too. */
struct FakeColumn {
  std::string table, name;
  SQLSMALLINT dataType;
  std::string typeName;
};

struct OdbcFault {
  std::string call;     /* e.g. "SQLExecute"; empty for none */
  int occurrence = 1;   /* the n-th call of that name fails */
  SQLRETURN rc = SQL_ERROR;
  std::string message;  /* what SQLError then gives; empty: SQLError has none */
  int lostRows = 0;     /* rows the failing call takes from the table, as a failed commit would */
  std::vector<FakeColumn> catalog;        /* what SQLColumns finds */
  SQLUSMALLINT txnCapable = SQL_TC_ALL;   /* what SQLGetInfo says of transactions */
};

/* Forgets the log and sets the fault for the next run. */
void ResetFakeOdbc(const OdbcFault &fault = OdbcFault());

/* The golden SQLBindParameter line, as logged, of parameter `number`
 * bound to column `column` of the ColumnType: the one table of the
 * bindings the import makes, for every suite that checks them. */
std::string ExpectedBinding(int number, int column, int columnType);

#endif
