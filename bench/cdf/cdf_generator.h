/* cdf_generator.h: writes a realistic CDF file of N records for the
 * benchmarks: quoted text with commas and doubled quotes, numbers, scaled
 * numbers, dates, times, an option group, check boxes and lists. */
#ifndef LUMETRA_CDF_GENERATOR_H
#define LUMETRA_CDF_GENERATOR_H

#include <stdint.h>

#include <string>

/* Writes the file; returns its size in bytes, or -1 when it cannot be written. */
int64_t WriteCdfFile(const std::string &path, int64_t records);

/* The same records as plain CSV with a header of bare names, for tools
 * that read CSV; -1 when it cannot be written. */
int64_t WriteCsvFile(const std::string &path, int64_t records);

#endif
