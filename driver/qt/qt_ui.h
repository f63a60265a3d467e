/* qt_ui.h: the Qt front end: a small progress window with Cancel, Qt's
 * own file dialog as the chooser, and Qt message boxes. */
#ifndef LUMETRA_QT_UI_H
#define LUMETRA_QT_UI_H

#include "ui_frontend.h"

extern const UiFrontEnd g_qtFrontEnd;

/* 1 when a graphical display can be reached, decided before Qt starts
 * (QApplication aborts the process when it cannot open one). */
int32_t CanShowQtWindow(void);

/* Starts Qt for the program; call once, before the run. */
void StartQt(int *argc, char **argv);

#endif
