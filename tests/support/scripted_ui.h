/* scripted_ui.h: a front end driven by the test: the chooser returns a
 * set path (or cancels), Cancel is pressed at a chosen pump, and every
 * operation is logged beside the ODBC calls. */
#ifndef LUMETRA_SCRIPTED_UI_H
#define LUMETRA_SCRIPTED_UI_H

#include <string>
#include <vector>

struct UiScript {
  std::string chosenFile;  /* empty: the chooser is cancelled */
  int cancelAtPump = 0;    /* the n-th pump sets g_cancelled; 0 never */
  bool windowFails = false;
  bool wantsSummary = false; /* a front end that ends with a summary, as the terminal */
};

extern std::vector<std::string> g_messages; /* texts of the message boxes */
extern std::string g_countShown;            /* the count text last set */
extern int g_pumps;
extern std::string g_summary;               /* the summary shown, if any */

/* Installs the scripted front end with script for the next run. */
void UseScriptedUi(const UiScript &script);

#endif
