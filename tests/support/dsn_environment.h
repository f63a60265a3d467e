/* dsn_environment.h: one temporary data source for a whole test program,
 * made before its first test (the driver manager reads its ini files once
 * per process) and removed after the last. */
#ifndef LUMETRA_DSN_ENVIRONMENT_H
#define LUMETRA_DSN_ENVIRONMENT_H

#include <gtest/gtest.h>

#include "temp_dsn.h"

/* The program's data source, while its tests run. */
extern TempDsn *g_dsn;

class DsnEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { g_dsn = new TempDsn; }
  void TearDown() override {
    delete g_dsn;
    g_dsn = nullptr;
  }
};

#endif
