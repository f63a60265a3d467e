/* main_win32.cpp: the Windows entry. Only the instance handle is used;
 * one import runs and the exit code is always 0. */
#include <windows.h>

#include "run.h"
#include "win32_ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  g_frontEnd = &g_win32FrontEnd;
  RunImport(instance);
  return 0;
}
