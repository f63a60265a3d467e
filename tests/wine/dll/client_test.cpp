/* client_test.cpp: a Windows ODBC client of the installed driver, without
 * a driver manager (Wine's odbc32 forwards to the host's unixODBC): it
 * finds the DLL as a driver manager does, through the registry of its own
 * width, loads it and calls its entry points.
 *   client-test.exe connect <dsn> <table>
 *     connects with "DSN=<dsn>" alone through the wide entry points,
 *     stores a row of every column kind with the utility's types, reads
 *     it back as SQL_C_WCHAR and compares, and reads text as SQL_C_CHAR
 *     in the ANSI code page; prints the database the data source uses
 *   client-test.exe config <request> <driver> [key=value...]
 *     calls the driver's ConfigDSN (from the driver's Setup entry)
 *     without a window, as SQLConfigDataSource does
 *   client-test.exe config-window <request> <driver> [key=value...]
 *     the same with the desktop as the parent window: the setup dialog */
#include <windows.h>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Fail(const std::string &what) {
  std::printf("FAIL: %s\n", what.c_str());
  g_failures++;
}

std::string Narrow(const std::wstring &w) {
  std::string s;
  for (wchar_t c : w) {
    char hex[8];
    if (c >= 0x20 && c < 0x7f) s += (char)c;
    else std::snprintf(hex, sizeof hex, "\\u%04x", (unsigned)c), s += hex;
  }
  return s;
}

/* A value of the ODBC registry key of this process's width (HKCU or HKLM). */
std::string RegistryValue(HKEY root, const std::string &key, const char *name) {
  char value[1024] = "";
  DWORD size = sizeof value;
  std::string path = "SOFTWARE\\ODBC\\" + key;
  if (RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "";
  return value;
}

HMODULE LoadDriver(const std::string &path) {
  HMODULE dll = path.empty() ? nullptr : LoadLibraryA(path.c_str());
  if (!dll) Fail("LoadLibrary '" + path + "': error " + std::to_string(GetLastError()));
  return dll;
}

template <typename F>
bool Resolve(HMODULE dll, const char *name, F *slot) {
  *slot = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
  if (!*slot) Fail(std::string("the DLL does not export ") + name);
  return *slot != nullptr;
}

struct Api {
  decltype(&SQLAllocHandle) AllocHandle;
  decltype(&SQLSetEnvAttr) SetEnvAttr;
  decltype(&SQLDriverConnectW) DriverConnectW;
  decltype(&SQLExecDirectW) ExecDirectW;
  decltype(&SQLPrepareW) PrepareW;
  decltype(&SQLBindParameter) BindParameter;
  decltype(&SQLExecute) Execute;
  decltype(&SQLFetch) Fetch;
  decltype(&SQLGetData) GetData;
  decltype(&SQLGetDiagRecW) GetDiagRecW;
  decltype(&SQLGetInfoW) GetInfoW;
  decltype(&SQLFreeStmt) FreeStmt;
  decltype(&SQLDisconnect) Disconnect;
  decltype(&SQLFreeHandle) FreeHandle;
} api;

bool ResolveAll(HMODULE dll) {
  return Resolve(dll, "SQLAllocHandle", &api.AllocHandle) & Resolve(dll, "SQLSetEnvAttr", &api.SetEnvAttr) &
         Resolve(dll, "SQLDriverConnectW", &api.DriverConnectW) & Resolve(dll, "SQLExecDirectW", &api.ExecDirectW) &
         Resolve(dll, "SQLPrepareW", &api.PrepareW) & Resolve(dll, "SQLBindParameter", &api.BindParameter) &
         Resolve(dll, "SQLExecute", &api.Execute) & Resolve(dll, "SQLFetch", &api.Fetch) &
         Resolve(dll, "SQLGetData", &api.GetData) & Resolve(dll, "SQLGetDiagRecW", &api.GetDiagRecW) &
         Resolve(dll, "SQLGetInfoW", &api.GetInfoW) & Resolve(dll, "SQLFreeStmt", &api.FreeStmt) &
         Resolve(dll, "SQLDisconnect", &api.Disconnect) & Resolve(dll, "SQLFreeHandle", &api.FreeHandle);
}

/* The first diagnostic of a handle as "STATE message". */
std::string Diag(SQLSMALLINT type, SQLHANDLE h) {
  SQLWCHAR state[6] = {0}, text[1024] = {0};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(api.GetDiagRecW(type, h, 1, state, &native, text, 1024, &length))) return "";
  return Narrow((const wchar_t *)state) + " " + Narrow((const wchar_t *)text);
}

/* A row as a Windows client sends it: text as SQL_C_WCHAR, whole numbers
 * as SQL_C_SBIGINT, the date as a timestamp; and what each column reads
 * back as, in SQL_C_WCHAR. */
struct Row {
  const wchar_t *name;
  long long amount, mr;
  SQL_TIMESTAMP_STRUCT born;
  const wchar_t *amountText, *mrText, *bornText;
};

const Row kRows[] = {
  {L"0123", 2147483647LL, 32767, {1999, 12, 31, 0, 0, 0, 0}, L"2147483647", L"32767", L"1999-12-31 00:00:00"},
  {L"Zo\u00eb \u2713 \u65e5\u672c \U0001F600", -2147483648LL, -32768, {2000, 2, 29, 23, 59, 58, 0}, L"-2147483648",
   L"-32768", L"2000-02-29 23:59:58"},
  {L"", 0, 0, {1900, 1, 1, 0, 0, 0, 0}, L"0", L"0", L"1900-01-01 00:00:00"},
};

std::wstring GetWide(SQLHSTMT stmt, SQLUSMALLINT column) {
  SQLWCHAR buffer[256] = {0};
  SQLLEN indicator = 0;
  SQLRETURN rc = api.GetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
  if (rc != SQL_SUCCESS) Fail("SQLGetData SQL_C_WCHAR column " + std::to_string(column) + ": rc " + std::to_string(rc) +
                              " " + Diag(SQL_HANDLE_STMT, stmt));
  return (const wchar_t *)buffer;
}

void Store(SQLHSTMT stmt, const std::wstring &table) {
  std::wstring create = L"CREATE TABLE \"" + table + L"\"(\"Name\"LPWSTR,\"Amt\"I4,\"Mr\"I2,\"Born\"FILETIME)";
  if (api.ExecDirectW(stmt, (SQLWCHAR *)create.c_str(), SQL_NTS) != SQL_SUCCESS)
    return Fail("CREATE TABLE: " + Diag(SQL_HANDLE_STMT, stmt));
  SQLWCHAR name[64];
  long long amount, mr;
  SQL_TIMESTAMP_STRUCT born;
  SQLLEN nameLength = SQL_NTS, numberLength = 8, bornLength = sizeof born;
  api.BindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 63, 0, name, sizeof name, &nameLength);
  api.BindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_INTEGER, 10, 0, &amount, 8, &numberLength);
  api.BindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_SMALLINT, 5, 0, &mr, 8, &numberLength);
  api.BindParameter(stmt, 4, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0, &born, sizeof born,
                    &bornLength);
  std::wstring insert = L"INSERT INTO \"" + table + L"\" VALUES (?,?,?,?)";
  if (api.PrepareW(stmt, (SQLWCHAR *)insert.c_str(), SQL_NTS) != SQL_SUCCESS)
    return Fail("SQLPrepareW: " + Diag(SQL_HANDLE_STMT, stmt));
  for (const Row &r : kRows) {
    wcscpy((wchar_t *)name, r.name);
    amount = r.amount, mr = r.mr, born = r.born;
    if (api.Execute(stmt) != SQL_SUCCESS) Fail("SQLExecute " + Narrow(r.name) + ": " + Diag(SQL_HANDLE_STMT, stmt));
  }
  api.FreeStmt(stmt, SQL_RESET_PARAMS);
}

void ReadBack(SQLHSTMT stmt, const std::wstring &table) {
  std::wstring select = L"SELECT \"Name\",\"Amt\",\"Mr\",\"Born\" FROM \"" + table + L"\" ORDER BY rowid";
  if (api.ExecDirectW(stmt, (SQLWCHAR *)select.c_str(), SQL_NTS) != SQL_SUCCESS)
    return Fail("SELECT: " + Diag(SQL_HANDLE_STMT, stmt));
  for (const Row &r : kRows) {
    if (api.Fetch(stmt) != SQL_SUCCESS) return Fail("SQLFetch: " + Diag(SQL_HANDLE_STMT, stmt));
    const wchar_t *expected[] = {r.name, r.amountText, r.mrText, r.bornText};
    for (SQLUSMALLINT c = 1; c <= 4; c++) {
      std::wstring got = GetWide(stmt, c);
      if (got != expected[c - 1])
        Fail("column " + std::to_string(c) + ": '" + Narrow(got) + "', expected '" + Narrow(expected[c - 1]) + "'");
    }
  }
  if (api.Fetch(stmt) != SQL_NO_DATA) Fail("more rows than were stored");
  api.FreeStmt(stmt, SQL_CLOSE);
}

/* Narrow text in the ANSI code page: what it holds comes as is, what it
 * lacks as '?' with a warning. */
void ReadAnsi(SQLHSTMT stmt, const std::wstring &table) {
  std::wstring select = L"SELECT \"Name\" FROM \"" + table + L"\" WHERE \"Amt\" < 0";
  if (api.ExecDirectW(stmt, (SQLWCHAR *)select.c_str(), SQL_NTS) != SQL_SUCCESS || api.Fetch(stmt) != SQL_SUCCESS)
    return Fail("SELECT for SQL_C_CHAR: " + Diag(SQL_HANDLE_STMT, stmt));
  char text[64] = "";
  SQLLEN indicator = 0;
  SQLRETURN rc = api.GetData(stmt, 1, SQL_C_CHAR, text, sizeof text, &indicator);
  std::string diag = Diag(SQL_HANDLE_STMT, stmt);
  api.FreeStmt(stmt, SQL_CLOSE);
  /* é is in the Western code page 1252; the check mark, the CJK
   * characters and the emoji (two UTF-16 units, two marks) are not */
  if (GetACP() != 1252) {
    std::printf("ANSI code page %u, not 1252: the SQL_C_CHAR bytes are not compared\n", GetACP());
  } else if (std::string(text) != "Zo\xeb ? ?? ??") {
    Fail(std::string("SQL_C_CHAR in code page 1252: '") + text + "'");
  }
  if (rc != SQL_SUCCESS_WITH_INFO || diag.rfind("01000 ", 0) != 0)
    Fail("SQL_C_CHAR of characters the code page lacks: rc " + std::to_string(rc) + " " + diag);
}

int Connect(const std::string &dsn, const std::string &table) {
  /* a user DSN before a system one, as the driver manager looks them up */
  std::string driver = RegistryValue(HKEY_CURRENT_USER, "ODBC.INI\\" + dsn, "Driver");
  if (driver.empty()) driver = RegistryValue(HKEY_LOCAL_MACHINE, "ODBC.INI\\" + dsn, "Driver");
  HMODULE dll = LoadDriver(driver);
  if (!dll || !ResolveAll(dll)) return 1;
  std::printf("driver: %s\n", driver.c_str());
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  api.AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  api.SetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  api.AllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::wstring in = L"DSN=" + std::wstring(dsn.begin(), dsn.end());
  SQLWCHAR out[1024];
  SQLSMALLINT outLength = 0;
  if (!SQL_SUCCEEDED(api.DriverConnectW(dbc, nullptr, (SQLWCHAR *)in.c_str(), SQL_NTS, out, 1024, &outLength,
                                        SQL_DRIVER_NOPROMPT))) {
    Fail("SQLDriverConnectW DSN=" + dsn + ": " + Diag(SQL_HANDLE_DBC, dbc));
    return 1;
  }
  SQLWCHAR database[MAX_PATH] = {0};
  api.GetInfoW(dbc, SQL_DATABASE_NAME, database, sizeof database, nullptr);
  std::printf("database: %s\n", Narrow((const wchar_t *)database).c_str());
  api.AllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  std::wstring t(table.begin(), table.end());
  Store(stmt, t);
  ReadBack(stmt, t);
  ReadAnsi(stmt, t);
  api.FreeHandle(SQL_HANDLE_STMT, stmt);
  api.Disconnect(dbc);
  api.FreeHandle(SQL_HANDLE_DBC, dbc);
  api.FreeHandle(SQL_HANDLE_ENV, env);
  return 0;
}

/* ConfigDSN's attribute list: each key=value ended by a NUL, then a NUL. */
int Config(HWND parent, int request, const std::string &driverName, char **attributes, int count) {
  std::string list;
  for (int i = 0; i < count; i++) list += std::string(attributes[i]) + '\0';
  list += '\0';
  HMODULE dll = LoadDriver(RegistryValue(HKEY_LOCAL_MACHINE, "ODBCINST.INI\\" + driverName, "Setup"));
  decltype(&ConfigDSN) configDsn = nullptr;
  if (!dll || !Resolve(dll, "ConfigDSN", &configDsn)) return 1;
  if (configDsn(parent, (WORD)request, driverName.c_str(), list.c_str())) return 0;
  DWORD code = 0;
  char message[512] = "";
  SQLInstallerError(1, &code, message, sizeof message, nullptr);
  std::printf("ConfigDSN refused: installer error %lu: %s\n", code, message);
  return 3;
}

}  // namespace

int main(int argc, char **argv) {
  int rc = 2;
  if (argc == 4 && std::strcmp(argv[1], "connect") == 0) rc = Connect(argv[2], argv[3]);
  else if (argc >= 4 && std::strcmp(argv[1], "config") == 0)
    return Config(nullptr, std::atoi(argv[2]), argv[3], argv + 4, argc - 4);
  else if (argc >= 4 && std::strcmp(argv[1], "config-window") == 0)
    return Config(GetDesktopWindow(), std::atoi(argv[2]), argv[3], argv + 4, argc - 4);
  else std::printf("usage: client-test.exe connect <dsn> <table> | config[-window] <request> <driver> [key=value...]\n");
  if (rc == 2) return rc;
  std::printf("%s\n", g_failures ? "FAILED" : "OK");
  return g_failures ? 1 : rc;
}
