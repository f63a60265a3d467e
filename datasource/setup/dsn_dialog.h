/* dsn_dialog.h: the dialog in which a user adds or changes a data source
 * of this driver (Windows only), and the ids of its controls, shared with
 * the dialog template dsn_dialog.rc. */
#ifndef LUMETRA_DS_DSN_DIALOG_H
#define LUMETRA_DS_DSN_DIALOG_H

#define IDD_DSN 100
#define IDC_NAME 1001
#define IDC_DESCRIPTION 1002
#define IDC_BACKEND 1003
#define IDC_DATABASE 1004
#define IDC_BROWSE 1005
#define IDC_TARGET 1006
#define IDC_CHARSET 1007
#define IDC_COMMIT_INTERVAL 1008

#ifndef RC_INVOKED
#include <string>
#include <vector>

#include "text/conn_string.h"

/* Shows the dialog over parent with the name and keys given; on OK they
 * hold what the user entered (an emptied field as an empty value) and it
 * returns true, on Cancel false. */
bool EditDsn(HWND parent, bool adding, std::string *name, std::vector<Attribute> *keys);
#endif

#endif
