/* terminal_ui.h: the front end that works on any terminal, or none. */
#ifndef LUMETRA_TERMINAL_UI_H
#define LUMETRA_TERMINAL_UI_H

#include "ui_frontend.h"

/* The program's name, which starts every line it writes about itself. */
#define TERMINAL_PROGRAM "lumetra-import"

extern const UiFrontEnd g_terminalFrontEnd;

/* Makes the chooser take fileName (a resolved path that fits
 * FILE_NAME_SIZE, kept by the caller) instead of asking; call before the
 * run. */
void UseTerminalFile(const char *fileName);

/* 1 when the chooser read standard input, not a terminal, and it ended
 * before it gave a line: no file was given at all. */
int32_t TerminalInputWasEmpty(void);

#endif
