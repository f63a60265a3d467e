/* dsn_request_test.cpp: ConfigDSN's request codes and attribute lists. */
#include "setup/dsn_request.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <string>

namespace {

TEST(DsnRequest, EveryRequestCodeOfTheOdbcHeaders) {
  struct Case {
    unsigned code;
    DsnAction action;
    bool system;
  };
  const Case cases[] = {
    {ODBC_ADD_DSN, DSN_ADD, false},       {ODBC_CONFIG_DSN, DSN_CONFIG, false},
    {ODBC_REMOVE_DSN, DSN_REMOVE, false}, {ODBC_ADD_SYS_DSN, DSN_ADD, true},
    {ODBC_CONFIG_SYS_DSN, DSN_CONFIG, true}, {ODBC_REMOVE_SYS_DSN, DSN_REMOVE, true},
  };
  for (const Case &c : cases) {
    DsnRequest r{DSN_REMOVE, true};
    ASSERT_TRUE(DecodeDsnRequest(c.code, &r)) << c.code;
    EXPECT_EQ(r.action, c.action) << c.code;
    EXPECT_EQ(r.system, c.system) << c.code;
  }
  DsnRequest r;
  for (unsigned bad : {0u, 7u, 8u, 0xffffu}) EXPECT_FALSE(DecodeDsnRequest(bad, &r)) << bad;
}

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

TEST(DsnRequest, AttributeValueIgnoresTheCaseOfKeys) {
  std::vector<Attribute> list{{"DSN", "Sales"}, {"backend", "ODBC"}};
  EXPECT_EQ(AttributeValue(list, "dsn"), "Sales");
  EXPECT_EQ(AttributeValue(list, "BACKEND"), "ODBC");
  EXPECT_EQ(AttributeValue(list, "Target"), "");
  EXPECT_EQ(FindAttribute(list, "Target"), nullptr);
  std::vector<Attribute> emptied{{"CommitInterval", ""}};
  ASSERT_NE(FindAttribute(emptied, "commitinterval"), nullptr); /* named, to be removed */
}

}  // namespace
