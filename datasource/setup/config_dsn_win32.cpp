/* config_dsn_win32.cpp: ConfigDSN, the driver's setup entry point, which
 * the ODBC Data Source Administrator and SQLConfigDataSource call to add,
 * change and remove the data sources of this driver. Without a window it
 * does what the attribute list says, silently; with one, the dialog
 * (dsn_dialog_win32.cpp) lets the user fill in or change the keys first.
 *
 * The data source is written where odbccp32 keeps it, in the registry of
 * the user (HKCU) or of the machine (HKLM), SOFTWARE\ODBC\ODBC.INI: a key
 * of its own with Driver (the DLL the driver's registration names) and
 * the other keys, and its name under "ODBC Data Sources". It is written
 * there directly rather than through SQLWriteDSNToIni and
 * SQLWritePrivateProfileString, because the odbccp32 of Wine, where the
 * tests run, ignores SQLSetConfigMode (a user DSN lands in HKLM, a system
 * DSN's keys in HKCU) and cannot remove a data source at all. */
#include <windows.h>
#include <odbcinst.h>

#include "setup/dsn_dialog.h"
#include "setup/dsn_request.h"

enum { KEY_VALUE_SIZE = 4096 };

static const char kOdbcIni[] = "SOFTWARE\\ODBC\\ODBC.INI";
static const char kDataSources[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
static const char kOdbcInst[] = "SOFTWARE\\ODBC\\ODBCINST.INI";

static BOOL Refuse(DWORD code, const std::string &message) {
  SQLPostInstallerError(code, message.c_str());
  return FALSE;
}

static std::string DsnKey(const std::string &dsn) { return std::string(kOdbcIni) + "\\" + dsn; }

/* A REG_SZ value, "" when there is none. */
static std::string ReadValue(HKEY root, const std::string &key, const char *name) {
  char value[KEY_VALUE_SIZE] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "";
  return value;
}

/* Sets a REG_SZ value, or removes it for an empty one. */
static bool WriteValue(HKEY root, const std::string &key, const std::string &name, const std::string &value) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = value.empty() ? RegDeleteValueA(h, name.c_str())
                          : RegSetValueExA(h, name.c_str(), 0, REG_SZ, (const BYTE *)value.c_str(),
                                           (DWORD)value.size() + 1);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS || (value.empty() && rc == ERROR_FILE_NOT_FOUND);
}

static bool DsnExists(HKEY root, const std::string &dsn) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, DsnKey(dsn).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

/* The keys the data source has that the list does not name. */
static void AddStoredKeys(HKEY root, const std::string &dsn, std::vector<Attribute> *keys) {
  for (int i = 0; i < kDsnKeyCount; i++) {
    if (FindAttribute(*keys, kDsnKeys[i])) continue;
    std::string value = ReadValue(root, DsnKey(dsn), kDsnKeys[i]);
    if (!value.empty()) keys->push_back({kDsnKeys[i], value});
  }
}

static BOOL RemoveDsn(HKEY root, const std::string &dsn) {
  if (RegDeleteTreeA(root, DsnKey(dsn).c_str()) != ERROR_SUCCESS)
    return Refuse(ODBC_ERROR_REQUEST_FAILED, "Cannot remove the data source " + dsn);
  WriteValue(root, kDataSources, dsn, "");
  return TRUE;
}

/* The data source: its name listed with the driver's, its Driver the
 * driver's DLL, then each key given; an empty value removes the key, so
 * that the driver's default applies. */
static BOOL WriteDsn(HKEY root, const std::string &driver, const std::string &dsn,
                     const std::vector<Attribute> &keys) {
  if (!SQLValidDSN(dsn.c_str())) return Refuse(ODBC_ERROR_INVALID_NAME, "Invalid data source name: " + dsn);
  std::string dll = ReadValue(HKEY_LOCAL_MACHINE, std::string(kOdbcInst) + "\\" + driver, "Driver");
  if (dll.empty()) return Refuse(ODBC_ERROR_INVALID_NAME, "No driver is registered as " + driver);
  bool ok = WriteValue(root, kDataSources, dsn, driver) && WriteValue(root, DsnKey(dsn), "Driver", dll);
  for (const Attribute &a : keys)
    if (ok && !SameKey(a.key, "DSN") && !SameKey(a.key, "Driver")) ok = WriteValue(root, DsnKey(dsn), a.key, a.value);
  return ok ? TRUE : Refuse(ODBC_ERROR_REQUEST_FAILED, "Cannot write the data source " + dsn);
}

extern "C" __declspec(dllexport) BOOL INSTAPI ConfigDSN(HWND parent, WORD request, LPCSTR driver,
                                                         LPCSTR attributes) {
  DsnRequest r;
  if (!DecodeDsnRequest(request, &r)) return Refuse(ODBC_ERROR_INVALID_REQUEST_TYPE, "Unknown request");
  std::vector<Attribute> keys;
  std::string bad;
  if (!ParseAttributeList(attributes, &keys, &bad))
    return Refuse(ODBC_ERROR_INVALID_KEYWORD_VALUE, "Malformed attribute: " + bad);
  HKEY root = r.system ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  std::string dsn = AttributeValue(keys, "DSN");
  if (r.action != DSN_ADD && (dsn.empty() || !DsnExists(root, dsn)))
    return Refuse(ODBC_ERROR_INVALID_NAME, "No such data source: " + dsn);
  if (r.action == DSN_REMOVE) return RemoveDsn(root, dsn);
  if (r.action == DSN_CONFIG) AddStoredKeys(root, dsn, &keys);
  std::string name = dsn;
  if (parent && !EditDsn(parent, r.action == DSN_ADD, &name, &keys)) return FALSE; /* cancelled */
  if (name.empty()) return Refuse(ODBC_ERROR_INVALID_NAME, "The data source needs a name");
  if (!WriteDsn(root, driver ? driver : "", name, keys)) return FALSE;
  if (r.action == DSN_CONFIG && name != dsn) RemoveDsn(root, dsn); /* renamed in the dialog */
  return TRUE;
}
