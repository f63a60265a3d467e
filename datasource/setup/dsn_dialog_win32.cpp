/* dsn_dialog_win32.cpp: the setup dialog (template in dsn_dialog.rc): the
 * data source's name and keys in fields, the database file chosen with a
 * Browse button, the fields of the backend not chosen disabled. */
#include <windows.h>
#include <commdlg.h>

#include "setup/dsn_dialog.h"
#include "setup/dsn_request.h"

enum { FIELD_SIZE = 4096 };

/* The fields, each holding one key of the data source. */
struct Field {
  int id;
  const char *key;
};

static const Field kFields[] = {
  {IDC_DESCRIPTION, "Description"}, {IDC_BACKEND, "Backend"}, {IDC_DATABASE, "Database"},
  {IDC_TARGET, "Target"},           {IDC_CHARSET, "Charset"}, {IDC_COMMIT_INTERVAL, "CommitInterval"},
};

static bool Shown(const std::string &key) {
  for (const Field &f : kFields)
    if (SameKey(key, f.key)) return true;
  return false;
}

static const char *const kBackends[] = {"SQLite", "ODBC"};
static const char *const kCharsets[] = {"", "WINDOWS-1252", "CP850", "CP437", "ISO-8859-1", "UTF-8"};

struct Editing {
  bool adding;
  std::string *name;
  std::vector<Attribute> *keys;
};

static std::string FieldText(HWND dialog, int id) {
  char text[FIELD_SIZE] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

static void FillList(HWND dialog, int id, const char *const *items, size_t n) {
  for (size_t i = 0; i < n; i++) SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)items[i]);
}

/* Database for SQLite, Target for ODBC; an empty Backend is SQLite. */
static void EnableBackendFields(HWND dialog) {
  std::string backend = FieldText(dialog, IDC_BACKEND);
  bool odbc = SameKey(backend, "ODBC");
  EnableWindow(GetDlgItem(dialog, IDC_DATABASE), !odbc);
  EnableWindow(GetDlgItem(dialog, IDC_BROWSE), !odbc);
  EnableWindow(GetDlgItem(dialog, IDC_TARGET), odbc);
}

static void Browse(HWND dialog) {
  char path[MAX_PATH] = "";
  GetDlgItemTextA(dialog, IDC_DATABASE, path, sizeof path);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "SQLite databases (*.db)\0*.db\0All files (*.*)\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrDefExt = "db";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetSaveFileNameA(&ofn)) SetDlgItemTextA(dialog, IDC_DATABASE, path);
}

static void Start(HWND dialog, Editing *e) {
  SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)e);
  SetWindowTextA(dialog, e->adding ? "Add Lumetra Data Source" : "Configure Lumetra Data Source");
  FillList(dialog, IDC_BACKEND, kBackends, sizeof kBackends / sizeof *kBackends);
  FillList(dialog, IDC_CHARSET, kCharsets, sizeof kCharsets / sizeof *kCharsets);
  SetDlgItemTextA(dialog, IDC_NAME, e->name->c_str());
  for (const Field &f : kFields) SetDlgItemTextA(dialog, f.id, AttributeValue(*e->keys, f.key).c_str());
  if (FieldText(dialog, IDC_BACKEND).empty()) SetDlgItemTextA(dialog, IDC_BACKEND, "SQLite");
  EnableBackendFields(dialog);
}

/* OK: the fields into the keys; a data source needs a name. */
static bool Finish(HWND dialog, Editing *e) {
  std::string name = FieldText(dialog, IDC_NAME);
  if (name.empty()) {
    MessageBoxA(dialog, "Enter a name for the data source.", "Lumetra Data Source Setup", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dialog, IDC_NAME));
    return false;
  }
  *e->name = name;
  std::vector<Attribute> keys;
  for (const Field &f : kFields) keys.push_back({f.key, FieldText(dialog, f.id)});
  for (const Attribute &a : *e->keys) /* keys the dialog does not show stay */
    if (!Shown(a.key) && !SameKey(a.key, "DSN")) keys.push_back(a);
  *e->keys = keys;
  return true;
}

static INT_PTR CALLBACK DsnDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Editing *e = (Editing *)GetWindowLongPtrA(dialog, DWLP_USER);
  switch (message) {
    case WM_INITDIALOG: Start(dialog, (Editing *)lParam); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: if (Finish(dialog, e)) EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_BROWSE: Browse(dialog); return TRUE;
        case IDC_BACKEND:
          if (HIWORD(wParam) == CBN_EDITCHANGE || HIWORD(wParam) == CBN_SELENDOK)
            PostMessageA(dialog, WM_APP, 0, 0); /* after the combo box has its new text */
          return TRUE;
        default: return FALSE;
      }
    case WM_APP: EnableBackendFields(dialog); return TRUE;
    default: return FALSE;
  }
}

/* This DLL, whose resources hold the template. */
static HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     (LPCSTR)(void *)&DsnDialogProc, &module);
  return module;
}

bool EditDsn(HWND parent, bool adding, std::string *name, std::vector<Attribute> *keys) {
  Editing e{adding, name, keys};
  return DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_DSN), parent, DsnDialogProc, (LPARAM)&e) == IDOK;
}
