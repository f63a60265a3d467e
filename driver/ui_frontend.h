/* ui_frontend.h: a front end as a table of the seam's operations, so that
 * one program can carry several (the Qt window and the terminal) and pick
 * one at start. ui_dispatch.cpp implements ui.h over g_frontEnd. */
#ifndef LUMETRA_UI_FRONTEND_H
#define LUMETRA_UI_FRONTEND_H

#include "ui.h"

struct UiFrontEnd {
  UiWindow (*createProgressWindow)(UiInstance instance);
  void (*setProgressText)(UiWindow window, const char *text);
  void (*destroyProgressWindow)(UiWindow window);
  int32_t (*chooseImportFile)(UiInstance instance, UiWindow owner, char *fileName);
  void (*pumpMessages)(void);
  void (*showMessage)(UiWindow owner, const char *text);
  void (*showSummary)(UiWindow window, const char *text); /* null: no summary */
};

/* The front end in use; set once by the entry point before the run. */
extern const UiFrontEnd *g_frontEnd;

#endif
