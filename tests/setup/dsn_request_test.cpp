/* dsn_request_test.cpp: ConfigDSN's attribute lists, as SQLConfigDataSource
 * passes them (the request codes run end to end in the Wine installer test). */
#include "setup/dsn_request.h"

#include <gtest/gtest.h>

#include <string>

namespace {

/* Lists are written with the NULs spelled out; a string literal adds the
 * final one. */
struct ListCase {
  std::string list;
  bool ok;
  std::string parsed; /* key=value|... or the bad entry */
};

std::string Joined(const std::vector<Attribute> &list) {
  std::string s;
  for (const Attribute &a : list) s += (s.empty() ? "" : "|") + a.key + "=" + a.value;
  return s;
}

TEST(DsnRequest, AttributeLists) {
  using namespace std::string_literals;
  const ListCase cases[] = {
    {""s, true, ""},
    {"DSN=Sales\0"s, true, "DSN=Sales"},
    {"DSN=Lumetra Data Source\0Database=C:\\a b\\x.db\0CommitInterval=100\0"s, true,
     "DSN=Lumetra Data Source|Database=C:\\a b\\x.db|CommitInterval=100"},
    {"Target=DSN=Sales;UID=ann\0"s, true, "Target=DSN=Sales;UID=ann"}, /* only the first '=' splits */
    {"Charset=\0"s, true, "Charset="},                                 /* an empty value removes the key */
    {"DSN=a\0dsn=b\0Dsn=\0"s, true, "DSN=a"},                          /* the first of a repeated key */
    {"Charset=\0CHARSET=CP850\0"s, true, "Charset="},
    {"DSN=a\0Backend\0"s, false, "Backend"},
    {"=x\0"s, false, "=x"},
  };
  for (const ListCase &c : cases) {
    std::vector<Attribute> out;
    std::string bad;
    std::string list = c.list + '\0'; /* the list's closing NUL */
    bool ok = ParseAttributeList(list.c_str(), &out, &bad);
    EXPECT_EQ(ok, c.ok) << c.parsed;
    EXPECT_EQ(ok ? Joined(out) : bad, c.parsed);
  }
  std::vector<Attribute> out{{"stale", "x"}};
  std::string bad;
  EXPECT_TRUE(ParseAttributeList(nullptr, &out, &bad));
  EXPECT_TRUE(out.empty());
}

}  // namespace
