/* window_loader.h: the program's side of the window module: found and
 * loaded only when the window is to be shown, so that terminal and
 * scripted runs never map Qt. */
#ifndef LUMETRA_WINDOW_LOADER_H
#define LUMETRA_WINDOW_LOADER_H

#include <stddef.h>
#include <stdint.h>

#include "ui_frontend.h"

enum WindowStart { WINDOW_STARTED, WINDOW_NO_DISPLAY, WINDOW_MISSING };

/* Loads the module and, when a display can be reached, starts the window
 * and sets *frontEnd to it. WINDOW_MISSING when the module cannot be
 * loaded, with the reason in reason (size bytes). */
int32_t StartWindowFrontEnd(int *argc, char **argv, const UiFrontEnd **frontEnd, char *reason, size_t size);

#endif
