/* call_log.h: one log of the calls a run makes, ODBC and front end alike,
 * so tests can check their order. */
#ifndef LUMETRA_CALL_LOG_H
#define LUMETRA_CALL_LOG_H

#include <string>
#include <vector>

extern std::vector<std::string> g_callLog;

void LogCall(const std::string &line);

/* The logged lines that start with prefix. */
std::vector<std::string> LoggedCalls(const std::string &prefix);

#endif
