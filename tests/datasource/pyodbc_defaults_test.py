#!/usr/bin/python3
"""pyodbc with its default settings, which use the driver's W calls and
SQL_C_WCHAR, against a temporary data source: text beyond Latin-1 and
beyond the BMP in SQL, names and values, column names without trailing
NULs, the catalog, and messages; integers beyond 32 bits in INTEGER
columns, written by sqlite3 or through pyodbc, read back exactly; Decimal,
uuid, time and datetime parameters with their every digit.

    pyodbc_defaults_test.py <liblumetraodbc.so>

Exits 77 (skipped) where pyodbc is not installed.
"""
import datetime
import decimal
import os
import shlex
import sqlite3
import subprocess
import sys
import tempfile
import uuid

try:
    import pyodbc
except ImportError:
    print("skipped (pyodbc): python3-pyodbc is not installed")
    sys.exit(77)

driver = os.path.realpath(sys.argv[1])
here = os.path.dirname(os.path.realpath(__file__))
MOON = "\u03a9\u03bc\u03ad\u03b3\u03b1 \U0001f31c"  # 'Ωμέγα 🌜'
OMEGA = "\u03a9\u03bc\u03ad\u03b3\u03b1"            # 'Ωμέγα'

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def error_of(cursor, sql):
    try:
        cursor.execute(sql)
    except pyodbc.Error as e:
        return e.args
    return None


with tempfile.TemporaryDirectory() as work:
    env_line = subprocess.run(["bash", os.path.join(here, "../support/temp-dsn.sh"), driver, work + "/dsn"],
                              check=True, capture_output=True, text=True).stdout
    for assignment in shlex.split(env_line)[1:]:
        key, value = assignment.split("=", 1)
        os.environ[key] = value
    cnxn = pyodbc.connect("DSN=Lumetra Data Source", autocommit=True)
    cursor = cnxn.cursor()

    row = cursor.execute(f"SELECT '{MOON}' AS \"{OMEGA}\"").fetchone()
    check("a literal in SQL", row[0], MOON)
    check("a column alias", cursor.description[0][0], OMEGA)

    cursor.execute(f'CREATE TABLE "{OMEGA}" ("{OMEGA}" TEXT, "n\U0001f31c" INTEGER)')
    cursor.execute(f'INSERT INTO "{OMEGA}" VALUES (?, ?)', MOON, 1)
    cursor.execute(f'INSERT INTO "{OMEGA}" VALUES (\'{MOON}\', 2)')
    rows = [tuple(r) for r in cursor.execute(f'SELECT * FROM "{OMEGA}" ORDER BY 2').fetchall()]
    check("a table and values named in Unicode", rows, [(MOON, 1), (MOON, 2)])
    check("column names, no trailing NULs", [d[0] for d in cursor.description], [OMEGA, "n\U0001f31c"])
    found = cursor.execute(f'SELECT "n\U0001f31c" FROM "{OMEGA}" WHERE "{OMEGA}" = ? ORDER BY 1', MOON).fetchval()
    check("a parameter beyond the BMP", found, 1)

    check("the table in the catalog", [t.table_name for t in cursor.tables(table=OMEGA)], [OMEGA])
    check("its columns in the catalog", [c.column_name for c in cursor.columns(table=OMEGA)],
          [OMEGA, "n\U0001f31c"])

    error = error_of(cursor, f'SELECT * FROM "{MOON}"')
    check("the state of a missing table", error and error[0], "42S02")
    check("the missing table's name in the message", error is not None and MOON in error[1], True)

    with sqlite3.connect(os.path.join(work, "dsn", "lumetra.db")) as db:
        db.execute("CREATE TABLE big (n INTEGER, m INT)")
        db.execute("INSERT INTO big VALUES (3000000000, -3000000000)")
    cursor.execute("INSERT INTO big VALUES (?, ?)", 9007199254740993, -(2 ** 63))
    cursor.execute("INSERT INTO big VALUES (?, ?)", 2 ** 63 - 1, 42)
    rows = [tuple(r) for r in cursor.execute("SELECT n, m FROM big ORDER BY rowid").fetchall()]
    check("64-bit integers", rows,
          [(3000000000, -3000000000), (9007199254740993, -(2 ** 63)), (2 ** 63 - 1, 42)])
    check("as text", cursor.execute("SELECT CAST(n AS TEXT) FROM big ORDER BY rowid").fetchval(), "3000000000")

    cursor.execute("CREATE TABLE kinds (k TEXT, t TEXT, n NUMERIC, ts TIMESTAMP)")
    long_decimal = decimal.Decimal("-12345678901234567890.123456789")
    guid = uuid.UUID("12345678-9abc-def0-0123-456789abcdef")
    moment = datetime.datetime(2026, 12, 8, 17, 45, 30, 123456)
    given = [("decimal", long_decimal, "-12345678901234567890.123456789"),
             ("uuid", guid, "12345678-9abc-def0-0123-456789abcdef"),
             ("time", datetime.time(23, 59, 58), "23:59:58"),
             ("long", "\u03a9" * 300000, "\u03a9" * 300000)]
    for kind, value, text in given:
        error = None
        try:
            cursor.execute("INSERT INTO kinds (k, t) VALUES (?, ?)", kind, value)
        except pyodbc.Error as e:
            error = e.args
        check(f"a {kind} parameter", error, None)
        check(f"the {kind} as stored", cursor.execute("SELECT t FROM kinds WHERE k = ?", kind).fetchval(), text)
    cnxn.maxwrite = 1000  # longer values are sent at execution, with SQLPutData
    cursor.execute("INSERT INTO kinds (k, t) VALUES ('at execution', ?)", "\U0001f31c" * 100000)
    check("a long value sent at execution",
          cursor.execute("SELECT t FROM kinds WHERE k = 'at execution'").fetchval(), "\U0001f31c" * 100000)
    cursor.execute("INSERT INTO kinds (k, n, ts) VALUES ('numbers', ?, ?)", decimal.Decimal("1234.5"), moment)
    check("a Decimal in a NUMERIC column", cursor.execute("SELECT n FROM kinds WHERE k = 'numbers'").fetchval(),
          1234.5)
    check("microseconds kept", cursor.execute("SELECT ts FROM kinds WHERE k = 'numbers'").fetchval(), moment)
    cnxn.close()

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pyodbc with its defaults: all checks passed")
