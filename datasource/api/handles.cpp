/* handles.cpp: the entry points that allocate and free handles, and the
 * environment's attributes. */
#include "api/entry.h"
#include "core/connection.h"
#include "core/environment.h"
#include "core/statement.h"

DS_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE *output) {
  if (!output) return SQL_ERROR;
  *output = SQL_NULL_HANDLE;
  switch (type) {
    case SQL_HANDLE_ENV: return AllocEnv(output);
    case SQL_HANDLE_DBC: {
      Env *env = EnterEnv(input);
      if (!env) return SQL_INVALID_HANDLE;
      return Leave(env->diag, AllocConnection(env, output));
    }
    case SQL_HANDLE_STMT: {
      ENTER_DBC(input);
      return Leave(dbc->diag, AllocStatement(dbc, output));
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  switch (type) {
    case SQL_HANDLE_ENV: {
      Env *env = EnterEnv(handle);
      if (!env) return SQL_INVALID_HANDLE;
      return FreeEnv(env);
    }
    case SQL_HANDLE_DBC: {
      Dbc *dbc = EnterDbc(handle);
      if (!dbc) return SQL_INVALID_HANDLE;
      return FreeConnection(dbc); /* the application must not use a connection it frees: no lock */
    }
    case SQL_HANDLE_STMT: {
      ENTER_STMT(handle);
      return DropStatement(stmt);
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Env *env = EnterEnv(henv);
  if (!env) return SQL_INVALID_HANDLE;
  return Leave(env->diag, SetEnvAttr(env, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                          SQLINTEGER *) {
  Env *env = EnterEnv(henv);
  if (!env) return SQL_INVALID_HANDLE;
  return Leave(env->diag, GetEnvAttr(env, attribute, value));
}
