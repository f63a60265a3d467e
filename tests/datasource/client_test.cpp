/* client_test.cpp: the data source from other processes: unixODBC's isql
 * as a real client, and a writer killed with SIGKILL in the middle of its
 * inserts, after which the database is intact and holds every row that
 * was acknowledged. */
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "odbc_session.h"
#include "temp_dsn.h"

namespace {

/* isql itself is not built with the sanitizers, but in a sanitizer build
 * the driver it loads is: their runtime must then be loaded first. isql's
 * own leaks are not the driver's (the in-process tests check those), nor
 * is iusql's overlapping strncpy: the C library's string functions go
 * unchecked in these runs. */
#ifdef LUMETRA_SANITIZER_RUNTIME
const char kIsql[] = "LD_PRELOAD=" LUMETRA_SANITIZER_RUNTIME " ASAN_OPTIONS=detect_leaks=0:replace_str=0 isql";
#else
const char kIsql[] = "isql";
#endif

std::string RunCommand(const std::string &command) {
  std::string out;
  FILE *p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

/* isql, an ANSI client, and iusql, which makes the W calls: both list
 * the table and its columns (text with the narrow type for isql, the wide
 * one for iusql; -5 BIGINT for SQLite's 64-bit INTEGER, the declared
 * types) and read the values. */
TEST(Clients, IsqlListsAndSelects) {
  TempDsn dsn;
  {
    OdbcSession s;
    ASSERT_EQ(s.Exec("CREATE TABLE \"people\"(\"Name\"LPWSTR,\"Age\"I4)"), SQL_SUCCESS);
    ASSERT_EQ(s.Exec("INSERT INTO \"people\" VALUES ('0123 Zo\xc3\xa9 \xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1 "
                     "\xf0\x9f\x8c\x9c', 41)"),
              SQL_SUCCESS);
  }
  /* iusql fetches SQL_C_WCHAR and prints each UTF-16 unit as one byte:
   * what is beyond Latin-1 it cannot show, but é is its byte 0xe9 */
  const struct { const char *client, *textType, *value; } clients[] = {
    {"isql", "| 12 ", "0123 Zo\xc3\xa9 \xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1 \xf0\x9f\x8c\x9c"},
    {"iusql", "| -9 ", "0123 Zo\xe9 "},
  };
  for (const auto &c : clients) {
    std::string command = kIsql;
    command.replace(command.size() - 4, 4, c.client);
    std::string out = RunCommand("printf 'help\\nhelp people\\nSELECT * FROM \"people\"\\n' | " + command +
                                 " -b -v 'Lumetra Data Source' 2>&1");
    EXPECT_NE(out.find("| people"), std::string::npos) << c.client << out;
    EXPECT_NE(out.find("TABLE"), std::string::npos) << c.client << out;
    EXPECT_NE(out.find(c.value), std::string::npos) << c.client << out;
    size_t name = out.find("| Name "), age = out.find("| Age ");
    ASSERT_NE(name, std::string::npos) << c.client << out;
    ASSERT_NE(age, std::string::npos) << c.client << out;
    EXPECT_LT(name, age);
    EXPECT_LT(out.find(c.textType, name), age) << c.client << out;
    EXPECT_NE(out.find("TEXT", name), std::string::npos) << c.client << out;
    EXPECT_NE(out.find("| -5 ", age), std::string::npos) << c.client << out;
    EXPECT_NE(out.find("INTEGER", age), std::string::npos) << c.client << out;
    EXPECT_NE(out.find("41"), std::string::npos) << c.client << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << c.client << out;
  }
}

/* Kills a writer with SIGKILL once it has acknowledged `rows` rows; the
 * database must be intact and hold every row acknowledged more than two
 * commit intervals before the kill (every acknowledged row without one). */
void KillWriterAndCheck(long intervalMs, long rows) {
  TempDsn dsn("WAL", "NORMAL", "CommitInterval = " + std::to_string(intervalMs) + "\n");
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    execl(INSERT_CHILD_PATH, INSERT_CHILD_PATH, (char *)nullptr);
    _exit(127);
  }
  close(pipeFds[1]);
  FILE *acks = fdopen(pipeFds[0], "r");
  using Clock = std::chrono::steady_clock;
  std::vector<std::pair<long, Clock::time_point>> seen;
  long n;
  while ((seen.empty() || seen.back().first < rows) && fscanf(acks, "%ld", &n) == 1) seen.push_back({n, Clock::now()});
  kill(child, SIGKILL);
  Clock::time_point killed = Clock::now();
  while (fscanf(acks, "%ld", &n) == 1) seen.push_back({n, killed}); /* written before the kill */
  fclose(acks);
  int status;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_GE(seen.back().first, rows);
  long safe = 0; /* the last row acknowledged more than two intervals before the kill */
  for (const auto &ack : seen)
    if (killed - ack.second >= std::chrono::milliseconds(2 * intervalMs)) safe = ack.first;
  EXPECT_EQ(dsn.Query("PRAGMA integrity_check"), "ok\n");
  std::string counted = dsn.Query("SELECT count(*) >= " + std::to_string(safe) + ", count(DISTINCT n) = count(*) FROM acked WHERE n <= " +
                                  std::to_string(safe));
  EXPECT_EQ(counted, "1|1\n") << intervalMs << " ms, " << safe << " rows safe";
  EXPECT_EQ(dsn.Query("SELECT count(*) FROM acked WHERE n <= " + std::to_string(safe)), std::to_string(safe) + "\n");
  if (intervalMs > 0) {
    EXPECT_GT(safe, 0) << "no row was acknowledged two intervals before the kill";
  }
}

TEST(Clients, KilledWriterLosesNoAcknowledgedRow) {
  KillWriterAndCheck(0, 3000);
  KillWriterAndCheck(50, 200000);
}

TEST(Clients, ConnectFailsClearlyForAnUnusableDatabase) {
  const struct { const char *journal; const char *lines; const char *reason; } cases[] = {
    {"WAL", "Database = /nonexistent-lumetra/x.db\n", "folder does not exist: \"/nonexistent-lumetra\""},
    {"WAL", "Database = /proc/lumetra.db\n", "/proc"},
    {"SIDEWAYS", "", "Unknown JournalMode: SIDEWAYS"},
  };
  /* the driver manager reads the ini files once per process, so each
   * case connects from a fresh isql */
  for (const auto &c : cases) {
    TempDsn dsn(c.journal, "NORMAL", c.lines);
    std::string out = RunCommand("echo 'SELECT 1' | " + std::string(kIsql) + " -b -v 'Lumetra Data Source' 2>&1");
    EXPECT_NE(out.find("Could not SQLConnect"), std::string::npos) << out;
    EXPECT_NE(out.find(c.reason), std::string::npos) << out;
  }
}

/* The utility's connect in a fresh process (the driver manager reads the
 * ini files once per process) to a data source with these settings. On
 * failure: the message SQLError(henv, hdbc, NULL) gets. On success: the
 * first value that query returns on that connection, or "connected". */
std::string ConnectInChild(const std::string &journal, const std::string &sync, const char *lines, const char *query) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    TempDsn dsn(journal, sync, lines);
    HENV henv;
    HDBC hdbc;
    HSTMT hstmt;
    SQLAllocEnv(&henv);
    SQLAllocConnect(henv, &hdbc);
    RETCODE rc = SQLConnect(hdbc, (SQLCHAR *)"Lumetra Data Source", SQL_NTS, nullptr, 0, nullptr, 0);
    SQLCHAR message[128] = "connected";
    SQLLEN length;
    if (rc == SQL_ERROR) {
      SQLError(henv, hdbc, SQL_NULL_HSTMT, nullptr, nullptr, message, 128, nullptr);
    } else if (query && (SQLAllocStmt(hdbc, &hstmt) != SQL_SUCCESS ||
                         SQLExecDirect(hstmt, (SQLCHAR *)query, SQL_NTS) != SQL_SUCCESS || SQLFetch(hstmt) != SQL_SUCCESS ||
                         SQLGetData(hstmt, 1, SQL_C_CHAR, message, sizeof message, &length) != SQL_SUCCESS)) {
      strcpy((char *)message, "query failed");
    }
    ssize_t written = write(fds[1], message, strlen((char *)message));
    _exit(written < 0);
  }
  close(fds[1]);
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, (size_t)n);
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return out;
}

TEST(Clients, UtilityConnectFailureReachesSqlError) {
  const struct { const char *line; const char *reason; } cases[] = {
    {"Database = /nonexistent-lumetra/x.db\n", "[Lumetra] Database folder does not exist: \"/nonexistent-lumetra\""},
    {"Database = /proc/x.db\n", "/proc"}, /* the folder refuses files, even to root */
  };
  for (const auto &c : cases) {
    std::string message = ConnectInChild("WAL", "NORMAL", c.line, nullptr);
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    EXPECT_NE(message.find("[Lumetra] "), std::string::npos) << message;
  }
  EXPECT_EQ(ConnectInChild("WAL", "NORMAL", "", nullptr), "connected");
}

TEST(Clients, JournalAndSyncModesComeFromTheDsn) {
  const struct { const char *journal, *sync, *query, *value; } cases[] = {
    {"WAL", "NORMAL", "PRAGMA journal_mode", "wal"},   {"DELETE", "FULL", "PRAGMA journal_mode", "delete"},
    {"truncate", "OFF", "PRAGMA journal_mode", "truncate"}, {"WAL", "NORMAL", "PRAGMA synchronous", "1"},
    {"DELETE", "FULL", "PRAGMA synchronous", "2"},     {"WAL", "OFF", "PRAGMA synchronous", "0"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ConnectInChild(c.journal, c.sync, "", c.query), c.value) << c.journal << " " << c.sync << " " << c.query;
}

}  // namespace
