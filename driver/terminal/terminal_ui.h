/* terminal_ui.h: the front end that works on any terminal, or none. */
#ifndef LUMETRA_TERMINAL_UI_H
#define LUMETRA_TERMINAL_UI_H

#include "ui_frontend.h"

extern const UiFrontEnd g_terminalFrontEnd;

/* Makes the chooser take fileName (a resolved path of at most 255 bytes,
 * kept by the caller) instead of asking; call before the run. */
void UseTerminalFile(const char *fileName);

#endif
