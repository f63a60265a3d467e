/* main_win32.cpp: the Windows entry. Without arguments one import runs
 * and the chooser asks for the file; each argument is a FILE (as when
 * CDF files are dropped on the program or opened with it), imported one
 * after the other into its own table without the chooser, until one is
 * cancelled. The exit code is always 0. */
#include <windows.h>
#include <stdlib.h>

#include "run.h"
#include "win32_ui.h"

/* The full path of the FILE being imported. */
static char s_fileName[FILE_NAME_SIZE];

/* The Win32 front end, its chooser taking the FILE instead of asking. */
static UiFrontEnd s_frontEndForFiles;

static int32_t ChooseGivenFile(UiInstance, UiWindow, char *fileName) {
  lstrcpyA(fileName, s_fileName);
  return 1;
}

/* Imports one FILE argument; returns a RunOutcome. */
static int32_t ImportArgument(HINSTANCE instance, const char *argument) {
  DWORD n = GetFullPathNameA(argument, FILE_NAME_SIZE, s_fileName, NULL);
  if (n == 0 || n >= FILE_NAME_SIZE) {
    MessageBoxA(NULL, "Could not open file: its path is too long", IMPORT_CAPTION, MB_OK);
    return RUN_FAILED;
  }
  return RunImport(instance);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  g_frontEnd = &g_win32FrontEnd;
  if (__argc < 2) {
    RunImport(instance);
    return 0;
  }
  s_frontEndForFiles = g_win32FrontEnd;
  s_frontEndForFiles.chooseImportFile = ChooseGivenFile;
  g_frontEnd = &s_frontEndForFiles;
  for (int i = 1; i < __argc; i++)
    if (ImportArgument(instance, __argv[i]) == RUN_CANCELLED) break;
  return 0;
}
