/* window_module.h: the two entry points of the window module, the Qt
 * front end built as a module of its own that the program loads only to
 * show its window. Both sides name them from here. */
#ifndef LUMETRA_WINDOW_MODULE_H
#define LUMETRA_WINDOW_MODULE_H

#include <stdint.h>

#include "ui_frontend.h"

#define LUMETRA_WINDOW_MODULE "lumetra-window.so"
#define LUMETRA_WINDOW_USABLE "LumetraWindowUsable"
#define LUMETRA_WINDOW_START "LumetraStartWindow"

/* 1 when a graphical display can be reached; Qt is not started. */
typedef int32_t (*WindowUsableFn)(void);

/* Starts Qt for the program and returns the window's front end. */
typedef const UiFrontEnd *(*WindowStartFn)(int *argc, char **argv);

#endif
