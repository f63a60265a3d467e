/* ui.h: the window-system operations of the import run. The run and the
 * ODBC output reach the platform only through these; one front end per
 * platform implements them (terminal, Qt window, Win32 dialog), and the
 * tests link a scripted one. */
#ifndef LUMETRA_UI_H
#define LUMETRA_UI_H

#include <stdint.h>

#define IMPORT_CAPTION "Lumetra - HP Database Import Utility"

typedef void *UiInstance; /* the program instance (HINSTANCE on Windows) */
typedef void *UiWindow;   /* the progress window; null when there is none */

/* The chosen file's path: at most FILE_NAME_SIZE - 1 bytes and its NUL. */
enum { FILE_NAME_SIZE = 256 };

/* Set to 1 by Cancel (only ever inside PumpMessages); never reset. */
extern int32_t g_cancelled;

/* Creates the visible progress window showing "Importing" and an empty
 * count; null when it cannot be created (the run goes on without it). */
UiWindow CreateProgressWindow(UiInstance instance);

/* Replaces the whole count text of the progress window. */
void SetProgressText(UiWindow window, const char *text);

/* Removes the progress window. */
void DestroyProgressWindow(UiWindow window);

/* Lets the user choose one existing file; 1 with its full path in
 * fileName[FILE_NAME_SIZE], 0 on cancel or failure. */
int32_t ChooseImportFile(UiInstance instance, UiWindow owner, char *fileName);

/* Dispatches every waiting message and returns at once. */
void PumpMessages(void);

/* Shows text with IMPORT_CAPTION and one OK button, owned by owner;
 * returns when the user has dismissed it. */
void ShowMessage(UiWindow owner, const char *text);

/* What a front end calls, from any thread, when the user cancels while
 * the run waits inside a call to the data source (Ctrl-C on a terminal):
 * the run asks the data source to stop that call. Installed by the run;
 * a front end that can only be cancelled at its pumps never calls it. */
typedef void (*UiInterruptHook)(void);
extern UiInterruptHook volatile g_interruptHook;

/* 1 when the front end ends a run with a summary (the terminal, and so
 * every scripted run); a window closes at the end instead. */
int32_t WantsSummary(void);

/* Shows the summary of the run: a few lines, each ended by '\n', below
 * the count and any message. */
void ShowSummary(UiWindow window, const char *text);

#endif
