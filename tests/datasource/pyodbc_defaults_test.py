#!/usr/bin/python3
"""pyodbc with its default settings, which use the driver's W calls and
SQL_C_WCHAR, against a temporary data source: text beyond Latin-1 and
beyond the BMP in SQL, names and values, column names without trailing
NULs, the catalog, and messages; integers beyond 32 bits read back
exactly; Decimal, uuid, time and datetime parameters with their every
digit, and a long value sent at execution; nullability of result columns
and row counts; on PostgreSQL timestamptz, numeric and uuid columns and
the server's own type names, dollar-quoted function bodies and the
server's notices as messages.

    pyodbc_defaults_test.py <liblumetraodbc.so> [postgres|odbc]

With "postgres" the same checks run against a throwaway PostgreSQL server
(tests/support/pg-server.sh); without, against SQLite, where values that
sqlite3 itself wrote are read too; with "odbc", through the any-ODBC
backend, whose target is the driver again on a SQLite file. Exits 77 (skipped) where pyodbc is not
installed.
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
postgres = sys.argv[2:] == ["postgres"]
through_odbc = sys.argv[2:] == ["odbc"]
here = os.path.dirname(os.path.realpath(__file__))
support = os.path.join(here, "../support")
MOON = "\u03a9\u03bc\u03ad\u03b3\u03b1 \U0001f31c"  # 'Ωμέγα 🌜'
OMEGA = "\u03a9\u03bc\u03ad\u03b3\u03b1"            # 'Ωμέγα'
INT64 = "bigint" if postgres else "INTEGER"          # a column of 64-bit integers

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def error_of(cursor, sql, *params):
    try:
        cursor.execute(sql, *params)
    except pyodbc.Error as e:
        return e.args
    return None


def export(line):
    for assignment in shlex.split(line)[1:]:
        key, value = assignment.split("=", 1)
        os.environ[key] = value


def unicode_checks(cursor):
    row = cursor.execute(f"SELECT '{MOON}' AS \"{OMEGA}\"").fetchone()
    check("a literal in SQL", row[0], MOON)
    check("a column alias", cursor.description[0][0], OMEGA)

    cursor.execute(f'CREATE TABLE "{OMEGA}" ("{OMEGA}" TEXT, "n\U0001f31c" {INT64})')
    cursor.execute(f'INSERT INTO "{OMEGA}" VALUES (?, ?)', MOON, 1)
    cursor.execute(f'INSERT INTO "{OMEGA}" VALUES (\'{MOON}\', 2)')
    rows = [tuple(r) for r in cursor.execute(f'SELECT * FROM "{OMEGA}" ORDER BY 2').fetchall()]
    check("a table and values named in Unicode", rows, [(MOON, 1), (MOON, 2)])
    check("column names, no trailing NULs", [d[0] for d in cursor.description], [OMEGA, "n\U0001f31c"])
    found = cursor.execute(f'SELECT "n\U0001f31c" FROM "{OMEGA}" WHERE "{OMEGA}" = ? ORDER BY 1', MOON).fetchval()
    check("a parameter beyond the BMP", found, 1)

    check("the table in the catalog", [t.table_name for t in cursor.tables(table=OMEGA)], [OMEGA])
    check("text columns are wide for a Unicode client", [c.data_type for c in cursor.columns(table=OMEGA)],
          [pyodbc.SQL_WVARCHAR, pyodbc.SQL_BIGINT])
    check("its columns in the catalog", [c.column_name for c in cursor.columns(table=OMEGA)],
          [OMEGA, "n\U0001f31c"])

    error = error_of(cursor, f'SELECT * FROM "{MOON}"')
    check("a missing table is an error", error is not None, True)
    check("the missing table's name in the message", error is not None and MOON in error[1], True)


def value_checks(cnxn, cursor):
    cursor.execute(f"CREATE TABLE kinds (k TEXT, t TEXT, n NUMERIC, ts TIMESTAMP, i {INT64})")
    given = [("decimal", decimal.Decimal("-12345678901234567890.123456789"), "-12345678901234567890.123456789"),
             ("uuid", uuid.UUID("12345678-9abc-def0-0123-456789abcdef"), "12345678-9abc-def0-0123-456789abcdef"),
             ("time", datetime.time(23, 59, 58), "23:59:58"),
             ("long", "\u03a9" * 300000, "\u03a9" * 300000)]
    for kind, value, text in given:
        check(f"a {kind} parameter", error_of(cursor, "INSERT INTO kinds (k, t) VALUES (?, ?)", kind, value), None)
        check(f"the {kind} as stored", cursor.execute("SELECT t FROM kinds WHERE k = ?", kind).fetchval(), text)

    cnxn.maxwrite = 1000  # longer values are sent at execution, with SQLPutData
    cursor.execute("INSERT INTO kinds (k, t) VALUES ('at execution', ?)", "\U0001f31c" * 100000)
    check("a long value sent at execution",
          cursor.execute("SELECT t FROM kinds WHERE k = 'at execution'").fetchval(), "\U0001f31c" * 100000)

    moment = datetime.datetime(2026, 12, 8, 17, 45, 30, 123456)
    cursor.execute("INSERT INTO kinds (k, n, ts) VALUES ('numbers', ?, ?)", decimal.Decimal("1234.5"), moment)
    number = cursor.execute("SELECT n FROM kinds WHERE k = 'numbers'").fetchval()
    check("a Decimal in a NUMERIC column", decimal.Decimal(str(number)), decimal.Decimal("1234.5"))
    check("microseconds kept", cursor.execute("SELECT ts FROM kinds WHERE k = 'numbers'").fetchval(), moment)

    for value in [3000000000, 9007199254740993, -(2 ** 63), 2 ** 63 - 1]:
        cursor.execute("INSERT INTO kinds (k, i) VALUES ('int64', ?)", value)
    check("64-bit integers through pyodbc",
          [r[0] for r in cursor.execute("SELECT i FROM kinds WHERE k = 'int64' ORDER BY i").fetchall()],
          [-(2 ** 63), 3000000000, 9007199254740993, 2 ** 63 - 1])


def ansi_checks(cursor):
    """The same table read by an ANSI client: narrow types, UTF-8 text."""
    rows = [tuple(r) for r in cursor.execute(f'SELECT * FROM "{OMEGA}" ORDER BY 2').fetchall()]
    check("an ANSI client reads the values", rows, [(MOON, 1), (MOON, 2)])
    check("text columns are narrow for an ANSI client", [c.data_type for c in cursor.columns(table=OMEGA)],
          [pyodbc.SQL_VARCHAR, pyodbc.SQL_BIGINT])


def metadata_checks(cursor):
    cursor.execute(f"CREATE TABLE facts (id {INT64} NOT NULL, note TEXT)")
    cursor.execute("INSERT INTO facts VALUES (1, 'a'), (2, 'b'), (3, NULL)")
    cursor.execute("SELECT id, note, id + 1 AS next, 'x' AS word FROM facts")
    # a NOT NULL column, a column without it, expressions (which may be NULL)
    check("nullability of result columns", [d[6] for d in cursor.description], [False, True, True, True])
    check("nullability in the catalog", [c.nullable for c in cursor.columns(table="facts")], [0, 1])
    cursor.fetchall()
    counts = [("UPDATE facts SET note = 'c' WHERE id >= 2", (), 2),
              ("UPDATE facts SET note = ? WHERE id >= ?", ("d", 1), 3),
              ("DELETE FROM facts WHERE id = ?", (3,), 1),
              ("DELETE FROM facts WHERE id > 5", (), 0),
              ("DELETE FROM facts WHERE id = 2", (), 1),
              ("CREATE TABLE counted (n int)", (), 0)]  # none changed, whatever the statement before
    if postgres:  # the rows of a query, and no count for a command without one, as psqlODBC counts them
        counts += [("SELECT * FROM facts", (), 1), ("SELECT * FROM facts WHERE id = ?", (7,), 0),
                   ("DROP TABLE counted", (), -1), ("SET TIME ZONE 'UTC'", (), -1)]
    for sql, params, want in counts:
        check(f"the row count of {sql}", cursor.execute(sql, *params).rowcount, want)


def postgres_type_checks(cursor):
    # a timestamptz reads in the session's time zone, here 5:45 ahead of UTC
    cursor.execute("SET TIME ZONE 'Asia/Kathmandu'")
    cursor.execute("CREATE TABLE typed (i int4, tz timestamptz, money numeric(12,3), n numeric, id uuid, "
                   "v varchar(20), t text)")
    cursor.execute("INSERT INTO typed VALUES (1, '2026-12-08 12:00:00.5+00', 123456789.125, "
                   "-12345678901234567890.123456789, '12345678-9abc-def0-0123-456789abcdef', 'v', 't')")
    row = cursor.execute("SELECT tz, money, n, id, tz::text FROM typed").fetchone()
    check("a timestamptz in the session's zone", row[0], datetime.datetime(2026, 12, 8, 17, 45, 0, 500000))
    check("a numeric(12,3)", row[1], decimal.Decimal("123456789.125"))
    check("a numeric without precision", row[2], decimal.Decimal("-12345678901234567890.123456789"))
    check("a uuid, in capitals as psqlODBC gives it", row[3], "12345678-9ABC-DEF0-0123-456789ABCDEF")
    check("a timestamptz's text keeps its zone", row[4], "2026-12-08 17:45:00.5+05:45")
    check("described types", [(d[1], d[4], d[5]) for d in cursor.description[:4]],
          [(datetime.datetime, 26, 6), (decimal.Decimal, 12, 3), (decimal.Decimal, 28, 6), (str, 36, 0)])
    moment = datetime.datetime(1999, 12, 31, 23, 59, 58, 999999)
    given = (2, moment, decimal.Decimal("-0.125"), decimal.Decimal("1E-20"), uuid.UUID(int=2 ** 128 - 1))
    cursor.execute("INSERT INTO typed (i, tz, money, n, id) VALUES (?, ?, ?, ?, ?)", *given)
    check("the same values as parameters, read back", tuple(cursor.execute(
        "SELECT i, tz, money, n, id FROM typed WHERE i = 2").fetchone()),
          (2, moment, decimal.Decimal("-0.125"), decimal.Decimal("1E-20"), "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"))
    check("the server's own type names in the catalog", [c.type_name for c in cursor.columns(table="typed")],
          ["int4", "timestamptz", "numeric", "numeric", "uuid", "varchar", "text"])


def postgres_sql_checks(cursor):
    # a function body in dollar quotes, with semicolons of its own
    cursor.execute("CREATE FUNCTION tell(n int) RETURNS int AS $body$ BEGIN "
                   "RAISE INFO 'info %', n; RAISE NOTICE $$notice; 'quoted'$$; "
                   "RAISE WARNING 'warning' USING ERRCODE = '01007'; RETURN n + 1; END $body$ LANGUAGE plpgsql")
    check("a function with a dollar-quoted body", cursor.execute("SELECT tell(?)", 41).fetchval(), 42)
    check("its notices as messages", [(m[0][:7], m[1]) for m in cursor.messages],
          [("[01000]", "[Lumetra] PostgreSQL: INFO: info 41"),
           ("[01000]", "[Lumetra] PostgreSQL: NOTICE: notice; 'quoted'"),
           ("[01007]", "[Lumetra] PostgreSQL: WARNING: warning")])
    check("dollar quotes in a query", cursor.execute("SELECT $$a;?$$ || $t$'$$'$t$").fetchval(), "a;?'$$'")
    check("no messages without notices", cursor.execute("SELECT 1").messages, [])


def sqlite3_checks(cursor, database):
    with sqlite3.connect(database) as db:
        db.execute("CREATE TABLE big (n INTEGER, m INT)")
        db.execute("INSERT INTO big VALUES (3000000000, -3000000000)")
        db.execute("INSERT INTO big VALUES (9007199254740993, -9223372036854775808)")
    rows = [tuple(r) for r in cursor.execute("SELECT n, m FROM big ORDER BY rowid").fetchall()]
    check("64-bit integers that sqlite3 wrote", rows,
          [(3000000000, -3000000000), (9007199254740993, -(2 ** 63))])


# The server runs without the sanitizer runtime a sanitizer build preloads
# into this Python for the driver.
server_env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}

with tempfile.TemporaryDirectory() as work:
    os.chmod(work, 0o755)  # the server's user must reach its folder
    export(subprocess.run(["bash", os.path.join(support, "temp-dsn.sh"), driver, work + "/dsn"],
                          check=True, capture_output=True, text=True).stdout)
    if postgres:
        started = subprocess.run(["bash", os.path.join(support, "pg-server.sh"), "start", work + "/pg"],
                                 capture_output=True, text=True, env=server_env)
        if started.returncode != 0:
            print(started.stderr)
            sys.exit(1)
        # the server's DSN lines, as bash reads what pg-server.sh printed
        lines = subprocess.run(["bash", "-c", 'eval "$1"; printf %s "$LUMETRA_PG_DSN_LINES"', "-", started.stdout],
                               check=True, capture_output=True, text=True).stdout
        if "Backend = PostgreSQL" not in lines:
            print(f"no PostgreSQL data source in: {started.stdout}")
            sys.exit(1)
        with open(os.path.join(work, "dsn", "odbc.ini"), "w") as ini:
            ini.write(f"[Lumetra Data Source]\nDriver = {driver}\n{lines}")
    database = os.path.join(work, "dsn", "lumetra.db")
    if through_odbc:
        database = os.path.join(work, "target.db")
        with open(os.path.join(work, "dsn", "odbc.ini"), "w") as ini:
            ini.write(f"[Lumetra Data Source]\nDriver = {driver}\nBackend = ODBC\n"
                      f"Target = DRIVER={driver};Database={database}\n")
    try:
        cnxn = pyodbc.connect("DSN=Lumetra Data Source", autocommit=True)
        cursor = cnxn.cursor()
        check("the backend", cnxn.getinfo(pyodbc.SQL_DBMS_NAME), "PostgreSQL" if postgres else "SQLite")
        unicode_checks(cursor)
        value_checks(cnxn, cursor)
        metadata_checks(cursor)
        ansi = pyodbc.connect("DSN=Lumetra Data Source", autocommit=True, ansi=True)
        ansi.setdecoding(pyodbc.SQL_CHAR, encoding="utf-8")
        ansi.setencoding(encoding="utf-8")
        ansi_checks(ansi.cursor())
        ansi.close()
        if postgres:
            postgres_type_checks(cursor)
            postgres_sql_checks(cursor)
        if not postgres:
            sqlite3_checks(cursor, database)
        cnxn.close()
    finally:
        if postgres:
            subprocess.run(["bash", os.path.join(support, "pg-server.sh"), "stop", work + "/pg", "immediate"],
                           env=server_env)

if failures:
    print("\n".join(failures))
    sys.exit(1)
where = "PostgreSQL" if postgres else "the any-ODBC backend to SQLite" if through_odbc else "SQLite"
print(f"pyodbc with its defaults ({where}): all checks passed")
