/* bench_rows.h: row sets for the insert loops of insert_loop.h.
 *   PeopleTable / PeopleRows: the utility's example table (text, date,
 *     option group, check box, list), varied values, a NULL date now and then.
 *   GeneratedCdfTable / GeneratedCdfRows: the table columns and the
 *     converted values of the file that bench/cdf's WriteCdfFile writes,
 *     row for row, so an import of that file can be set beside the
 *     driver-level loop of the same rows. */
#ifndef LUMETRA_BENCH_ROWS_H
#define LUMETRA_BENCH_ROWS_H

#include <stdint.h>

#include <string>

#include "insert_loop.h"

BenchTable PeopleTable(const std::string &name = "people");
void PeopleRows(int64_t row, BenchTable &table);

BenchTable GeneratedCdfTable(const std::string &name);
void GeneratedCdfRows(int64_t row, BenchTable &table);

#endif
