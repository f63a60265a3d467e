/* environment.cpp: the environment handle. Its only attribute of weight
 * is the ODBC version, which decides the date type codes an application
 * is given. */
#include "core/environment.h"

SQLRETURN AllocEnv(SQLHANDLE *output) {
  *output = new Env;
  return SQL_SUCCESS;
}

SQLRETURN FreeEnv(Env *env) {
  env->kind = 0;
  delete env;
  return SQL_SUCCESS;
}

SQLRETURN SetEnvAttr(Env *env, SQLINTEGER attribute, SQLPOINTER value) {
  if (attribute == SQL_ATTR_ODBC_VERSION) env->odbcVersion = (SQLINTEGER)(SQLLEN)value;
  return SQL_SUCCESS;
}

SQLRETURN GetEnvAttr(Env *env, SQLINTEGER attribute, SQLPOINTER value) {
  if (value) *(SQLINTEGER *)value = attribute == SQL_ATTR_ODBC_VERSION ? env->odbcVersion : 0;
  return SQL_SUCCESS;
}
