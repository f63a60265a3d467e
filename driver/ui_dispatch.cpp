/* ui_dispatch.cpp: the seam's operations, forwarded to the front end that
 * the entry point chose. */
#include "ui_frontend.h"

const UiFrontEnd *g_frontEnd;
int32_t g_cancelled;
UiInterruptHook volatile g_interruptHook;

UiWindow CreateProgressWindow(UiInstance instance) {
  return g_frontEnd->createProgressWindow(instance);
}

void SetProgressText(UiWindow window, const char *text) {
  g_frontEnd->setProgressText(window, text);
}

void DestroyProgressWindow(UiWindow window) {
  g_frontEnd->destroyProgressWindow(window);
}

int32_t ChooseImportFile(UiInstance instance, UiWindow owner, char *fileName) {
  return g_frontEnd->chooseImportFile(instance, owner, fileName);
}

void PumpMessages(void) {
  g_frontEnd->pumpMessages();
}

void ShowMessage(UiWindow owner, const char *text) {
  g_frontEnd->showMessage(owner, text);
}

int32_t WantsSummary(void) {
  return g_frontEnd->showSummary != 0;
}

void ShowSummary(UiWindow window, const char *text) {
  if (g_frontEnd->showSummary) g_frontEnd->showSummary(window, text);
}
