/* command_line_test.cpp: what the arguments of lumetra-import ask for,
 * and which kinds of standard input count as a script. */
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "run.h"
#include "temp_cdf.h"

namespace {

/* Parses args; the files found, joined by ' ', in *files. */
CommandLine Parse(const std::vector<std::string> &args, std::string *files) {
  static std::vector<std::string> kept;
  kept = args;
  static std::vector<char *> argv;
  argv.assign(1, const_cast<char *>("lumetra-import"));
  for (auto &a : kept) argv.push_back(a.data());
  argv.push_back(nullptr);
  CommandLine cl;
  ParseCommandLine((int)argv.size() - 1, argv.data(), &cl);
  files->clear();
  for (int32_t i = 0; i < cl.fileCount; i++) *files += (i ? " " : "") + std::string(cl.files[i]);
  return cl;
}

std::string Joined(const std::vector<std::string> &args) {
  std::string out;
  for (const auto &a : args) out += (out.empty() ? "" : " ") + a;
  return out.empty() ? "(none)" : out;
}

const char *Or(const char *s) { return s ? s : "(null)"; }

TEST(CommandLine, FilesAndOptions) {
  const struct { std::vector<std::string> args; const char *files, *charset = nullptr, *table = nullptr, *dsn = nullptr; int32_t mode = TABLE_NEW; int32_t dryRun = 0; } cases[] = {
    {{}, ""},
    {{"people.cdf"}, "people.cdf"},
    {{"a.cdf", "b.cdf", "c.cdf"}, "a.cdf b.cdf c.cdf"},
    {{"a.cdf", "--replace", "b.cdf"}, "a.cdf b.cdf", nullptr, nullptr, nullptr, TABLE_REPLACE},
    {{"--charset", "CP850", "people.cdf"}, "people.cdf", "CP850"},
    {{"people.cdf", "--charset=cp437"}, "people.cdf", "cp437"},
    {{"--charset", "--help"}, "", "--help"},
    {{"--", "--charset"}, "--charset"},
    {{"--", "-odd.cdf", "b.cdf"}, "-odd.cdf b.cdf"},
    {{"--table", "staff", "people.cdf"}, "people.cdf", nullptr, "staff"},
    {{"--table=staff", "--append", "people.cdf"}, "people.cdf", nullptr, "staff", nullptr, TABLE_APPEND},
    {{"--dsn", "Company", "a.cdf", "b.cdf"}, "a.cdf b.cdf", nullptr, nullptr, "Company"},
    {{"--dsn=DRIVER=Lumetra;Database=/tmp/x.db", "a.cdf"}, "a.cdf", nullptr, nullptr, "DRIVER=Lumetra;Database=/tmp/x.db"},
    {{"--dry-run", "a.cdf", "b.cdf"}, "a.cdf b.cdf", nullptr, nullptr, nullptr, TABLE_NEW, 1},
  };
  for (const auto &c : cases) {
    std::string files;
    CommandLine cl = Parse(c.args, &files);
    SCOPED_TRACE(Joined(c.args));
    ASSERT_EQ(cl.action, COMMAND_IMPORT) << Or(cl.fault);
    EXPECT_EQ(files, c.files);
    EXPECT_STREQ(Or(cl.charset), Or(c.charset));
    EXPECT_STREQ(Or(cl.tableName), Or(c.table));
    EXPECT_STREQ(Or(cl.dataSource), Or(c.dsn));
    EXPECT_EQ(cl.tableMode, c.mode);
    EXPECT_EQ(cl.dryRun, c.dryRun);
  }
}

/* Help and version win over everything else before a fault; every bad
 * command line says what is wrong in one line. */
TEST(CommandLine, ActionsAndConflicts) {
  const std::string longName(TABLE_NAME_SIZE, 't'), longDsn(1001, 'd'), longString = "DRIVER=" + std::string(994, 'd');
  const struct { std::vector<std::string> args; int32_t action; const char *fault = nullptr; } cases[] = {
    {{"--help"}, COMMAND_HELP},
    {{"people.cdf", "--help"}, COMMAND_HELP},
    {{"-h"}, COMMAND_HELP},
    {{"--append", "--replace", "-V"}, COMMAND_VERSION},
    {{"--version"}, COMMAND_VERSION},
    {{"-"}, COMMAND_BAD, "'-' is no FILE: without a FILE, a pipe on standard input names the file"},
    {{""}, COMMAND_BAD, "a FILE name is empty"},
    {{"--", "-"}, COMMAND_IMPORT},
    {{"-hV"}, COMMAND_BAD, "unknown option '-hV'"},
    {{"--helpx"}, COMMAND_BAD, "unknown option '--helpx'"},
    {{"--tablex=a", "a.cdf"}, COMMAND_BAD, "unknown option '--tablex=a'"},
    {{"--file=people.cdf"}, COMMAND_BAD, "unknown option '--file=people.cdf'"},
    {{"-x", "--help"}, COMMAND_BAD, "unknown option '-x'"},
    {{"people.cdf", "--charset"}, COMMAND_BAD, "option '--charset' needs a value"},
    {{"people.cdf", "--table"}, COMMAND_BAD, "option '--table' needs a value"},
    {{"--append", "--replace", "a.cdf"}, COMMAND_BAD, "--append and --replace exclude each other"},
    {{"--replace", "a.cdf", "--append"}, COMMAND_BAD, "--append and --replace exclude each other"},
    {{"--table", "t", "a.cdf", "b.cdf"}, COMMAND_BAD, "--table names the table of one FILE; 2 files were given"},
    {{"--table=", "a.cdf"}, COMMAND_BAD, "--table needs a NAME of 1 to 255 bytes"},
    {{"--table", longName, "a.cdf"}, COMMAND_BAD, "--table needs a NAME of 1 to 255 bytes"},
    {{"--dsn", "a;b", "a.cdf"}, COMMAND_BAD,
     "--dsn needs a DSN name without ';', '{' or '}', or a connection string, of 1 to 1000 bytes"},
    {{"--dsn", longString.substr(1), "a.cdf"}, COMMAND_IMPORT},
    {{"--dsn", longString, "a.cdf"}, COMMAND_BAD,
     "--dsn needs a DSN name without ';', '{' or '}', or a connection string, of 1 to 1000 bytes"},
    {{"--dsn", longDsn, "a.cdf"}, COMMAND_BAD,
     "--dsn needs a DSN name without ';', '{' or '}', or a connection string, of 1 to 1000 bytes"},
  };
  for (const auto &c : cases) {
    std::string files;
    CommandLine cl = Parse(c.args, &files);
    SCOPED_TRACE(Joined(c.args).substr(0, 80));
    EXPECT_EQ(cl.action, c.action);
    if (c.fault) {
      EXPECT_STREQ(Or(cl.fault), c.fault);
    }
  }
}

/* The connection string: a DSN name, or the user's string after the
 * program's Charset=UTF-8, which counts first. */
TEST(CommandLine, ConnectionStrings) {
  const struct { const char *given, *made; } cases[] = {
    {nullptr, "DSN=Lumetra Data Source;Charset=UTF-8"},
    {"Company MariaDB", "DSN=Company MariaDB;Charset=UTF-8"},
    {"DSN=Lumetra Data Source;Charset=CP850", "Charset=UTF-8;DSN=Lumetra Data Source;Charset=CP850"},
    {"DRIVER=Lumetra;Database=/tmp/x.db", "Charset=UTF-8;DRIVER=Lumetra;Database=/tmp/x.db"},
  };
  for (const auto &c : cases) {
    char out[CONNECTION_STRING_SIZE];
    ASSERT_EQ(MakeConnectionString(c.given, out), 1) << Or(c.given);
    EXPECT_STREQ(out, c.made);
  }
}

/* The window for a file chosen in it, or for FILEs a desktop opens; never
 * for a script, nor for FILEs typed on a terminal. */
TEST(CommandLine, FrontEndChoice) {
  const struct { int32_t hasFile, scripted, terminal, window; } cases[] = {
    {0, 0, 1, 1}, {0, 0, 0, 1}, {0, 1, 0, 0}, {1, 0, 1, 0}, {1, 0, 0, 1}, {1, 1, 0, 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(UseQtWindow(c.hasFile, c.scripted, c.terminal), c.window)
        << c.hasFile << c.scripted << c.terminal;
}

TEST(CommandLine, ScriptedInputIsAPipeOrAFile) {
  TempFolder dir;
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  int file = open(dir.Write("in.txt", "x\n").c_str(), O_RDONLY);
  int folder = open(dir.path.c_str(), O_RDONLY);
  int null = open("/dev/null", O_RDONLY);
  const struct { const char *name; int fd; int32_t scripted; } cases[] = {
    {"pipe", pipeEnds[0], 1}, {"regular file", file, 1}, {"/dev/null", null, 0},
    {"folder", folder, 0},    {"closed", 999, 0},
  };
  for (const auto &c : cases) EXPECT_EQ(IsScriptedInput(c.fd), c.scripted) << c.name;
  for (int fd : {pipeEnds[0], pipeEnds[1], file, folder, null}) close(fd);
}

}  // namespace
