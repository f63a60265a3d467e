/* win32_ui.cpp: the Win32 front end: the modeless dialog "DLG" with its
 * dialog procedure, the message pump, the open-file chooser and message
 * boxes. */
#include <windows.h>
#include <commdlg.h>
#include <stddef.h>

#include "resource.h"
#include "ui_frontend.h"
#include "win32_ui.h"

enum { CHOOSER_BUFFER_SIZE = FILE_NAME_SIZE };

/* The record without the fields that later versions of Windows added. */
static const DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "76 bytes on 32-bit Windows");
#endif

static const char kFilter[] = "CDF files (*.cdf)|*.cdf|All files (*.*)|*.*|";
static const char kInitialName[] = "*.CDF";

/* Cancel, and the close box that the dialog manager turns into IDCANCEL,
 * set the flag; the dialog is never closed here. */
INT_PTR CALLBACK ImportDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)dialog;
  (void)lParam;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    g_cancelled = 1;
    return TRUE;
  }
  return FALSE;
}

static UiWindow CreateWin32Progress(UiInstance instance) {
  return CreateDialogParamA((HINSTANCE)instance, "DLG", NULL, ImportDlgProc, 0);
}

static void SetWin32Progress(UiWindow window, const char *text) {
  SetWindowTextA(GetDlgItem((HWND)window, IDC_COUNT), text);
}

static void DestroyWin32Progress(UiWindow window) {
  DestroyWindow((HWND)window);
}

static int32_t ChooseWin32File(UiInstance instance, UiWindow owner, char *fileName) {
  char filter[CHOOSER_BUFFER_SIZE];
  char fileTitle[CHOOSER_BUFFER_SIZE];
  lstrcpyA(fileName, kInitialName);
  lstrcpyA(filter, kFilter);
  char separator = filter[lstrlenA(filter) - 1];
  for (char *p = filter; *p; p++)
    if (*p == separator) *p = 0;
  fileTitle[0] = 0;

  OPENFILENAMEA ofn;
  ZeroMemory(&ofn, sizeof ofn);
  ofn.lStructSize = kOpenFileNameSize;
  ofn.hwndOwner = (HWND)owner;
  ofn.hInstance = (HINSTANCE)instance;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = CHOOSER_BUFFER_SIZE;
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = CHOOSER_BUFFER_SIZE;
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
  ofn.lpstrDefExt = "cdf";
  return GetOpenFileNameA(&ofn) ? 1 : 0;
}

/* Dispatches every waiting message; no dialog keyboard handling. */
static void PumpWin32(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

static void ShowWin32Message(UiWindow owner, const char *text) {
  MessageBoxA((HWND)owner, text, IMPORT_CAPTION, MB_OK);
}

const UiFrontEnd g_win32FrontEnd = {
  CreateWin32Progress, SetWin32Progress, DestroyWin32Progress, ChooseWin32File, PumpWin32, ShowWin32Message, NULL,
};
