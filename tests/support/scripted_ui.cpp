/* scripted_ui.cpp: the scripted front end. */
#include "scripted_ui.h"

#include <string.h>

#include "call_log.h"
#include "ui_frontend.h"

std::vector<std::string> g_messages;
std::string g_countShown;
int g_pumps;
std::string g_summary;

static UiScript s_script;
static int s_window;

static UiWindow CreateWindow(UiInstance) {
  LogCall("CreateProgressWindow");
  return s_script.windowFails ? nullptr : &s_window;
}

static void SetText(UiWindow w, const char *text) {
  if (w != &s_window) LogCall("SetProgressText on a wrong window");
  g_countShown = text;
}

static void DestroyWindow(UiWindow w) {
  LogCall(w == &s_window ? "DestroyProgressWindow" : "DestroyProgressWindow on a wrong window");
}

static int32_t Choose(UiInstance, UiWindow owner, char *fileName) {
  LogCall(std::string("ChooseImportFile") + (owner == &s_window ? "(window)" : "(null)"));
  if (s_script.chosenFile.empty()) return 0;
  strcpy(fileName, s_script.chosenFile.c_str());
  return 1;
}

static void Pump(void) {
  if (++g_pumps == s_script.cancelAtPump) g_cancelled = 1;
}

static void Message(UiWindow owner, const char *text) {
  LogCall(std::string("ShowMessage") + (owner == &s_window ? "(window," : "(null,") + text + ")");
  g_messages.push_back(text);
}

static void Summary(UiWindow, const char *text) {
  LogCall("ShowSummary");
  g_summary = text;
}

static const UiFrontEnd kScripted = {CreateWindow, SetText, DestroyWindow, Choose, Pump, Message, Summary};
static const UiFrontEnd kScriptedWindow = {CreateWindow, SetText, DestroyWindow, Choose, Pump, Message, nullptr};

void UseScriptedUi(const UiScript &script) {
  s_script = script;
  g_messages.clear();
  g_countShown.clear();
  g_pumps = 0;
  g_summary.clear();
  g_frontEnd = script.wantsSummary ? &kScripted : &kScriptedWindow;
}
