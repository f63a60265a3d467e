/* odbc_target.h: the platform's ODBC driver manager, loaded at run time
 * for the ODBC backend. Its functions are called through this table: our
 * own SQL* exports carry the same names and would shadow them. */
#ifndef LUMETRA_DS_ODBC_TARGET_H
#define LUMETRA_DS_ODBC_TARGET_H

#include <sql.h>
#include <sqlext.h>

#include <string>

struct TargetApi {
  decltype(&SQLAllocHandle) AllocHandle;
  decltype(&SQLFreeHandle) FreeHandle;
  decltype(&SQLSetEnvAttr) SetEnvAttr;
  decltype(&SQLDriverConnect) DriverConnect;
  decltype(&SQLDisconnect) Disconnect;
  decltype(&SQLSetConnectAttr) SetConnectAttr;
  decltype(&SQLEndTran) EndTran;
  decltype(&SQLGetInfo) GetInfo;
  decltype(&SQLPrepare) Prepare;
  decltype(&SQLExecute) Execute;
  decltype(&SQLNumParams) NumParams;
  decltype(&SQLBindParameter) BindParameter;
  decltype(&SQLNumResultCols) NumResultCols;
  decltype(&SQLDescribeCol) DescribeCol;
  decltype(&SQLFetch) Fetch;
  decltype(&SQLGetData) GetData;
  decltype(&SQLRowCount) RowCount;
  decltype(&SQLFreeStmt) FreeStmt;
  decltype(&SQLGetDiagRec) GetDiagRec;
  decltype(&SQLGetTypeInfo) GetTypeInfo;
  decltype(&SQLTables) Tables;
  decltype(&SQLColumns) Columns;
  decltype(&SQLPrimaryKeys) PrimaryKeys;
  decltype(&SQLStatistics) Statistics;
};

/* The driver manager's functions, loaded once; null with *error set when
 * it cannot be loaded. */
const TargetApi *LoadTargetApi(std::string *error);

#endif
