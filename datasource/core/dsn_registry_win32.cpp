/* dsn_registry_win32.cpp: reading a data source's keys from the Windows
 * registry, SOFTWARE\ODBC\ODBC.INI\<dsn>, the user's (HKCU) before the
 * machine's (HKLM), as the driver manager finds a DSN. A 32-bit driver
 * reads the 32-bit view (WOW6432Node) by the registry's own redirection.
 * Read directly: the odbccp32 of Wine, where the tests run, reads only
 * the user's keys through SQLGetPrivateProfileString. */
#include <windows.h>

#include "core/dsn_file.h"

enum { DSN_VALUE_SIZE = 4096, DSN_NAME_SIZE = 256 };

/* The REG_SZ values of an open key, in the order the registry gives. */
static void ReadValues(HKEY key, std::vector<Attribute> *keys) {
  for (DWORD i = 0;; i++) {
    char name[DSN_NAME_SIZE], value[DSN_VALUE_SIZE];
    DWORD nameSize = sizeof name, valueSize = sizeof value - 1, type = 0;
    LONG rc = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, (BYTE *)value, &valueSize);
    if (rc == ERROR_NO_MORE_ITEMS) return;
    if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
    value[valueSize] = 0;
    keys->push_back({name, value});
  }
}

bool ReadDsnKeys(const std::string &dsn, std::vector<Attribute> *keys, std::string *error) {
  std::string path = "SOFTWARE\\ODBC\\ODBC.INI\\" + dsn;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    ReadValues(key, keys);
    RegCloseKey(key);
    return true;
  }
  *error = "Data source name not found: \"" + dsn + "\" is neither a user nor a system DSN";
  return false;
}
