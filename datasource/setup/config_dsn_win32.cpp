/* config_dsn_win32.cpp: ConfigDSN, the driver's setup entry point, which
 * the ODBC Data Source Administrator and SQLConfigDataSource call to add,
 * change and remove the data sources of this driver. Without a window it
 * does what the attribute list says, silently; with one, the dialog
 * (dsn_dialog_win32.cpp) lets the user fill in or change the keys first.
 * Everything is written through odbccp32, into the user's or the
 * system's ODBC.INI as the request says. */
#include <windows.h>
#include <odbcinst.h>

#include "setup/dsn_dialog.h"
#include "setup/dsn_request.h"

enum { KEY_VALUE_SIZE = 4096 };

static BOOL Refuse(DWORD code, const char *message) {
  SQLPostInstallerError(code, message);
  return FALSE;
}

/* Selects the user's or the system's ODBC.INI for the calls that follow,
 * and goes back to both, the driver manager's normal mode, at the end. */
class ConfigMode {
 public:
  explicit ConfigMode(bool system) { SQLSetConfigMode(system ? ODBC_SYSTEM_DSN : ODBC_USER_DSN); }
  ~ConfigMode() { SQLSetConfigMode(ODBC_BOTH_DSN); }
};

static bool DsnExists(const std::string &dsn) {
  char driver[KEY_VALUE_SIZE] = "";
  SQLGetPrivateProfileString(dsn.c_str(), "Driver", "", driver, sizeof driver, "odbc.ini");
  return driver[0] != 0;
}

static void ReadDsnKeys(const std::string &dsn, std::vector<Attribute> *keys) {
  for (int i = 0; i < kDsnKeyCount; i++) {
    if (!AttributeValue(*keys, kDsnKeys[i]).empty()) continue;
    char value[KEY_VALUE_SIZE] = "";
    SQLGetPrivateProfileString(dsn.c_str(), kDsnKeys[i], "", value, sizeof value, "odbc.ini");
    if (value[0]) keys->push_back({kDsnKeys[i], value});
  }
}

/* Writes the data source: its name and driver, then each key given; an
 * empty value removes the key, so that the driver's default applies. */
static bool WriteDsn(const std::string &driver, const std::string &dsn, const std::vector<Attribute> &keys) {
  if (!SQLValidDSN(dsn.c_str())) return Refuse(ODBC_ERROR_INVALID_NAME, "Invalid data source name");
  if (!SQLWriteDSNToIni(dsn.c_str(), driver.c_str())) return false;
  for (const Attribute &a : keys) {
    if (SameKey(a.key, "DSN") || SameKey(a.key, "Driver")) continue;
    const char *value = a.value.empty() ? nullptr : a.value.c_str();
    if (!SQLWritePrivateProfileString(dsn.c_str(), a.key.c_str(), value, "odbc.ini")) return false;
  }
  return true;
}

extern "C" __declspec(dllexport) BOOL INSTAPI ConfigDSN(HWND parent, WORD request, LPCSTR driver,
                                                         LPCSTR attributes) {
  DsnRequest r;
  if (!DecodeDsnRequest(request, &r)) return Refuse(ODBC_ERROR_INVALID_REQUEST_TYPE, "Unknown request");
  std::vector<Attribute> keys;
  std::string bad;
  if (!ParseAttributeList(attributes, &keys, &bad))
    return Refuse(ODBC_ERROR_INVALID_KEYWORD_VALUE, ("Malformed attribute: " + bad).c_str());
  std::string dsn = AttributeValue(keys, "DSN");
  ConfigMode mode(r.system);
  if (r.action == DSN_REMOVE) {
    if (dsn.empty() || !DsnExists(dsn)) return Refuse(ODBC_ERROR_INVALID_NAME, "No such data source");
    return SQLRemoveDSNFromIni(dsn.c_str());
  }
  if (r.action == DSN_CONFIG && (dsn.empty() || !DsnExists(dsn)))
    return Refuse(ODBC_ERROR_INVALID_NAME, "No such data source");
  if (r.action == DSN_CONFIG) ReadDsnKeys(dsn, &keys);
  std::string name = dsn;
  if (parent && !EditDsn(parent, r.action == DSN_ADD, &name, &keys)) return FALSE; /* cancelled */
  if (name.empty()) return Refuse(ODBC_ERROR_INVALID_NAME, "The data source needs a name");
  if (!WriteDsn(driver ? driver : "", name, keys)) return FALSE;
  /* renamed in the dialog: the old name goes */
  if (r.action == DSN_CONFIG && name != dsn) SQLRemoveDSNFromIni(dsn.c_str());
  return TRUE;
}
