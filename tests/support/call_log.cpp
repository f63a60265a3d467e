/* call_log.cpp: the shared call log of the tests. */
#include "call_log.h"

std::vector<std::string> g_callLog;

void LogCall(const std::string &line) { g_callLog.push_back(line); }

std::vector<std::string> LoggedCalls(const std::string &prefix) {
  std::vector<std::string> out;
  for (const std::string &line : g_callLog)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}
