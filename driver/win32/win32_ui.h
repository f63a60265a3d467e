/* win32_ui.h: the Win32 front end and its dialog procedure. */
#ifndef LUMETRA_WIN32_UI_H
#define LUMETRA_WIN32_UI_H

#include <windows.h>

#include "ui_frontend.h"

extern const UiFrontEnd g_win32FrontEnd;

INT_PTR CALLBACK ImportDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
