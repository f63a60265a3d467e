/* bench_rows.cpp: the benchmark row sets. */
#include "bench_rows.h"

#include <stdio.h>
#include <string.h>

namespace {

const char *const kPeople[] = {"Ann Baker", "0123 Smith", "Zo\xe9 M\xfcller", "O\"Brien, Pat", "Li Wei"};

/* The generator's values after the utility's conversions: the quotes of
 * quoted fields gone, doubled quotes made single. */
const char *const kCdfNames[] = {"Ann Baker", "Smith, John", "Zo\xe9 M\xfcller", "O\"Brien", "Li Wei",
                                 "Garc\xed" "a, Ana Mar\xed" "a"};
const char *const kCdfCompanies[] = {"Acme, Inc.", "Globex", "Initech \"Software\"", "Umbrella Corp", "Hooli"};

/* The same step as the generator's; it starts from this seed for row 0. */
const uint32_t kCdfSeed = 12345;

uint32_t NextSeed(uint32_t seed) { return seed * 1103515245u + 12345u; }

void SetDate(BenchColumn &c, int year, int month, int day) {
  c.date = {(SQLSMALLINT)year, (SQLUSMALLINT)month, (SQLUSMALLINT)day};
  c.length = 6;
}

}  // namespace

BenchTable PeopleTable(const std::string &name) {
  BenchTable t;
  t.name = name;
  t.Add("Name", BENCH_TEXT);
  t.Add("Born", BENCH_DATE);
  t.Add("Mr", BENCH_FLAG);
  t.Add("Vip", BENCH_FLAG);
  t.Add("Tags", BENCH_TEXT);
  return t;
}

void PeopleRows(int64_t row, BenchTable &t) {
  uint32_t r = (uint32_t)(row * 2654435761u);
  snprintf(t[0].text, BENCH_TEXT_SIZE, "%s %lld", kPeople[row % 5], (long long)row);
  if (row % 17 == 0) {
    t[1].date = {0, 0, 0};
    t[1].length = SQL_NULL_DATA;
  } else {
    SetDate(t[1], 1900 + (int)(r % 120), 1 + (int)(r % 12), 1 + (int)(r % 28));
  }
  t[2].number = (double)(r % 3);
  t[3].number = (double)((r >> 4) & 1);
  snprintf(t[4].text, BENCH_TEXT_SIZE, "red;green;%u", r % 1000);
}

BenchTable GeneratedCdfTable(const std::string &name) {
  BenchTable t;
  t.name = name;
  t.Add("Name", BENCH_TEXT);
  t.Add("Company", BENCH_TEXT);
  t.Add("Amount", BENCH_NUMBER);
  t.Add("Price", BENCH_NUMBER);
  t.Add("Born", BENCH_DATE);
  t.Add("At", BENCH_TEXT);
  t.Add("Mr", BENCH_FLAG); /* the option group Mr, Mrs, Ms as one value */
  t.Add("Vip", BENCH_FLAG);
  t.Add("Tags", BENCH_TEXT);
  t.Add("Notes", BENCH_TEXT);
  return t;
}

void GeneratedCdfRows(int64_t row, BenchTable &t) {
  static uint32_t seed;
  if (row == 0) seed = kCdfSeed;
  seed = NextSeed(seed);
  uint32_t r = seed >> 8;
  int option = (int)(r % 3);
  strcpy(t[0].text, kCdfNames[row % 6]);
  strcpy(t[1].text, kCdfCompanies[row % 5]);
  t[2].number = (double)((r % 100000) * 100 + r % 100) / 100;
  double price = ((double)((r % 5000) * 100 + r % 97) / 100 + 0.005) * 100; /* N*: plus 0.005, times 100 */
  t[3].number = (r & 1) ? price * -1 : price;
  SetDate(t[4], 1900 + (int)(r % 120), 1 + (int)(r % 12), 1 + (int)(r % 28));
  snprintf(t[5].text, BENCH_TEXT_SIZE, "%02u:%02u", r % 24, r % 60);
  t[6].number = (double)(4 * (option == 0) + 2 * (option == 1) + (option == 2));
  t[7].number = (double)((r >> 3) & 1);
  snprintf(t[8].text, BENCH_TEXT_SIZE, "red;green;%u", r % 1000);
  strcpy(t[9].text, "Line one,\r\nline two");
}
