/* conn_string_test.cpp: connection strings as applications write them:
 * blanks, braces, repeated keys, and the faults that stop the parse. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/conn_string.h"

namespace {

std::string Joined(const std::vector<Attribute> &list) {
  std::string s;
  for (const Attribute &a : list) s += "[" + a.key + "=" + a.value + "]";
  return s;
}

TEST(ConnectionString, Examples) {
  const struct {
    const char *in;
    bool ok;
    const char *attributes; /* as Joined gives them */
    const char *bad;
  } rows[] = {
    {"DSN=Lumetra Data Source;UID=me", true, "[DSN=Lumetra Data Source][UID=me]", ""},
    {"  DSN = x ;  Database = /tmp/a.db ; ", true, "[DSN=x][Database=/tmp/a.db]", ""},
    {"Target={DSN=other;UID=u}};x}", true, "[Target=DSN=other;UID=u};x]", ""},
    {"PWD={ spaced };DSN=x", true, "[PWD= spaced ][DSN=x]", ""},
    {"DSN=first;dsn=second", true, "[DSN=first]", ""},
    {";;", true, "", ""},
    {"DSN=x;lonely;UID=u", false, "[DSN=x]", "\"lonely\" at character 7 has no '='"},
    {"DSN=x;PWD={never closed", false, "[DSN=x]", "the value of PWD at character 11 opens a brace that is not closed"},
    {"DSN=x;Database={a}b;UID=u", false, "[DSN=x]", "the value of Database goes on at character 19 after its closing brace"},
    {"DSN=x;Database={a} ;UID=u", true, "[DSN=x][Database=a][UID=u]", ""},
  };
  for (const auto &r : rows) {
    std::vector<Attribute> out;
    std::string bad;
    EXPECT_EQ(ParseConnectionString(r.in, &out, &bad), r.ok) << r.in;
    EXPECT_EQ(Joined(out), r.attributes) << r.in;
    EXPECT_EQ(bad, r.bad) << r.in;
  }
}

TEST(ConnectionString, FormattedAttributesParseBack) {
  const struct {
    Attribute a;
    const char *written;
  } rows[] = {
    {{"DSN", "plain"}, "DSN=plain"},
    {{"PWD", "a;b}c"}, "PWD={a;b}}c}"},
    {{"Target", " lead"}, "Target={ lead}"},
    {{"Target", "{braced}"}, "Target={{braced}}}"},
  };
  for (const auto &r : rows) {
    EXPECT_EQ(FormatAttribute(r.a), r.written);
    std::vector<Attribute> back;
    std::string bad;
    ASSERT_TRUE(ParseConnectionString(r.written, &back, &bad)) << r.written;
    ASSERT_EQ(back.size(), 1u) << r.written;
    EXPECT_EQ(back[0].value, r.a.value) << r.written;
  }
  EXPECT_TRUE(SameKey("database", "Database"));
  EXPECT_FALSE(SameKey("Databases", "Database"));
}

}  // namespace
