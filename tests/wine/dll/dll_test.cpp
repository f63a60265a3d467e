/* dll_test.cpp: lumetraodbc.dll driven the way the utility drives a data
 * source, without a driver manager: loaded with LoadLibrary, its entry
 * points called directly. Each connection creates a table of every
 * column kind and inserts rows with the utility's bindings; the return
 * codes and SQLSTATEs are checked here, the stored values by the calling
 * script in the target's database. Refused connections are checked for
 * their SQLSTATE.
 *   dll_test.exe <lumetraodbc.dll> <dsn> <target connection string> */
#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Api {
  decltype(&SQLAllocHandle) AllocHandle;
  decltype(&SQLSetEnvAttr) SetEnvAttr;
  decltype(&SQLConnect) Connect;
  decltype(&SQLDriverConnect) DriverConnect;
  decltype(&SQLExecDirect) ExecDirect;
  decltype(&SQLPrepare) Prepare;
  decltype(&SQLBindParameter) BindParameter;
  decltype(&SQLExecute) Execute;
  decltype(&SQLGetDiagRec) GetDiagRec;
  decltype(&SQLDisconnect) Disconnect;
  decltype(&SQLFreeHandle) FreeHandle;
} api;

int g_failures = 0;

void Fail(const std::string &what) {
  std::printf("FAIL: %s\n", what.c_str());
  g_failures++;
}

template <typename F>
bool Resolve(HMODULE dll, const char *name, F *slot) {
  *slot = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
  if (!*slot) Fail(std::string("the DLL does not export ") + name);
  return *slot != nullptr;
}

/* The first SQLSTATE and message of a handle, "" when it has none. */
std::string Diag(SQLSMALLINT type, SQLHANDLE h, std::string *message = nullptr) {
  SQLCHAR state[6] = "", text[1024] = "";
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(api.GetDiagRec(type, h, 1, state, &native, text, sizeof text, &length))) return "";
  if (message) *message = (const char *)text;
  return (const char *)state;
}

/* One row as the utility binds it: text, an I4 and an I2 from doubles, a
 * date; a null pointer or a zero year is SQL_NULL_DATA. */
struct Row {
  const char *name;
  double amount, mr;
  DATE_STRUCT born;
  SQLRETURN rc;
  const char *state; /* "" when the row raises no diagnostic */
};

const Row kRows[] = {
  {"0123", 1234, 2, {1999, 12, 31}, SQL_SUCCESS, ""},
  {"Zo\xe9", 1234.5, -32768, {2000, 2, 29}, SQL_SUCCESS_WITH_INFO, "01S07"},
  {nullptr, 0, 0, {0, 0, 0}, SQL_SUCCESS, ""},
  {"too big", 3e10, 1, {2001, 1, 1}, SQL_ERROR, "22003"},
  {"small too big", 1, 40000, {2001, 1, 1}, SQL_ERROR, "22003"},
  {"no such day", 1, 1, {2001, 4, 31}, SQL_ERROR, "22008"},
  {"-5", -5, 0, {1900, 1, 1}, SQL_SUCCESS, ""},
};

void Import(SQLHDBC dbc, const std::string &table) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  api.AllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  std::string create = "CREATE TABLE \"" + table + "\"(\"Name\"LPWSTR,\"Amt\"I4,\"Mr\"I2,\"Born\"FILETIME)";
  if (api.ExecDirect(stmt, (SQLCHAR *)create.c_str(), SQL_NTS) != SQL_SUCCESS)
    return Fail(table + ": CREATE TABLE: " + Diag(SQL_HANDLE_STMT, stmt));
  char name[32768] = "";
  double amount = 0, mr = 0;
  DATE_STRUCT born = {0, 0, 0};
  SQLLEN nameLength = SQL_NTS, amountLength = 8, mrLength = 8, bornLength = 6;
  SQLRETURN bound =
      api.BindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, name, 32767, &nameLength) |
      api.BindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &amount, 10, &amountLength) |
      api.BindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_SMALLINT, 5, 0, &mr, 5, &mrLength) |
      api.BindParameter(stmt, 4, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &born, 10, &bornLength);
  if (bound != SQL_SUCCESS) return Fail(table + ": SQLBindParameter: " + Diag(SQL_HANDLE_STMT, stmt));
  std::string insert = "INSERT INTO \"" + table + "\" VALUES (?,?,?,?)";
  if (api.Prepare(stmt, (SQLCHAR *)insert.c_str(), SQL_NTS) != SQL_SUCCESS)
    return Fail(table + ": SQLPrepare: " + Diag(SQL_HANDLE_STMT, stmt));
  for (const Row &r : kRows) {
    bool null = r.name == nullptr;
    std::strcpy(name, null ? "" : r.name);
    nameLength = amountLength = mrLength = bornLength = null ? SQL_NULL_DATA : SQL_NTS;
    if (!null) amountLength = mrLength = 8, bornLength = 6;
    amount = r.amount;
    mr = r.mr;
    born = r.born;
    SQLRETURN rc = api.Execute(stmt);
    std::string message, state = rc == SQL_SUCCESS ? "" : Diag(SQL_HANDLE_STMT, stmt, &message);
    if (rc != r.rc || state != r.state)
      Fail(table + " row \"" + (null ? "NULL" : r.name) + "\": rc " + std::to_string(rc) + " state " + state + " " +
           message + ", expected rc " + std::to_string(r.rc) + " state " + r.state);
  }
  api.FreeHandle(SQL_HANDLE_STMT, stmt);
}

SQLHDBC NewConnection(SQLHENV env) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  api.AllocHandle(SQL_HANDLE_DBC, env, &dbc);
  return dbc;
}

void EndConnection(SQLHDBC dbc) {
  api.Disconnect(dbc);
  api.FreeHandle(SQL_HANDLE_DBC, dbc);
}

SQLRETURN DriverConnect(SQLHDBC dbc, const std::string &in) {
  SQLCHAR out[1024];
  SQLSMALLINT outLength = 0;
  return api.DriverConnect(dbc, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, out, sizeof out, &outLength,
                           SQL_DRIVER_NOPROMPT);
}

/* Connection strings the driver must refuse, and the SQLSTATE it gives. */
struct Refusal {
  std::string in;
  const char *state;
};

}  // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::printf("usage: dll_test.exe <lumetraodbc.dll> <dsn> <target connection string>\n");
    return 2;
  }
  HMODULE dll = LoadLibraryA(argv[1]);
  if (!dll) {
    std::printf("FAIL: LoadLibrary %s: error %lu\n", argv[1], GetLastError());
    return 1;
  }
  bool all = Resolve(dll, "SQLAllocHandle", &api.AllocHandle) & Resolve(dll, "SQLSetEnvAttr", &api.SetEnvAttr) &
             Resolve(dll, "SQLConnect", &api.Connect) & Resolve(dll, "SQLDriverConnect", &api.DriverConnect) &
             Resolve(dll, "SQLExecDirect", &api.ExecDirect) & Resolve(dll, "SQLPrepare", &api.Prepare) &
             Resolve(dll, "SQLBindParameter", &api.BindParameter) & Resolve(dll, "SQLExecute", &api.Execute) &
             Resolve(dll, "SQLGetDiagRec", &api.GetDiagRec) & Resolve(dll, "SQLDisconnect", &api.Disconnect) &
             Resolve(dll, "SQLFreeHandle", &api.FreeHandle);
  if (!all) return 1;
  std::string dsn = argv[2], target = argv[3];

  SQLHENV env = SQL_NULL_HENV;
  api.AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  api.SetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);

  /* The data source's keys (Backend, Target) from the registry. */
  SQLHDBC dbc = NewConnection(env);
  if (SQL_SUCCEEDED(api.Connect(dbc, (SQLCHAR *)dsn.c_str(), SQL_NTS, nullptr, 0, nullptr, 0)))
    Import(dbc, "people_dsn");
  else
    Fail("SQLConnect " + dsn + ": " + Diag(SQL_HANDLE_DBC, dbc));
  EndConnection(dbc);

  /* Every key in the connection string, the target a connection string
   * of its own; text read as CP850. */
  dbc = NewConnection(env);
  if (SQL_SUCCEEDED(DriverConnect(dbc, "Backend=ODBC;Charset=CP850;Target={" + target + "}")))
    Import(dbc, "people_cp850");
  else
    Fail("SQLDriverConnect: " + Diag(SQL_HANDLE_DBC, dbc));
  EndConnection(dbc);

  const Refusal refusals[] = {
    {"Backend=SQLite;Database=C:\\no such folder\\people.db", "08001"},
    {"Backend=ODBC", "HY024"},
    {"Backend=ODBC;Target=No Such Target", "IM002"},
    {"Backend=ODBC;Charset=HP-ROMAN8;Target={" + target + "}", "HY024"},
  };
  for (const Refusal &r : refusals) {
    dbc = NewConnection(env);
    SQLRETURN rc = DriverConnect(dbc, r.in);
    std::string message, state = Diag(SQL_HANDLE_DBC, dbc, &message);
    if (rc != SQL_ERROR || state != r.state)
      Fail(r.in + ": rc " + std::to_string(rc) + " state " + state + " " + message + ", expected " + r.state);
    else
      std::printf("refused as expected: %s: %s %s\n", r.in.c_str(), state.c_str(), message.c_str());
    EndConnection(dbc);
  }
  api.FreeHandle(SQL_HANDLE_ENV, env);
  std::printf("%s\n", g_failures ? "FAILED" : "OK");
  return g_failures ? 1 : 0;
}
