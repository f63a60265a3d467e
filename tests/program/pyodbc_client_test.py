#!/usr/bin/python3
"""pyodbc, a real ODBC client, reads what the built program imported: a
file with Latin-1 names and text and every column kind, through the DSN
and through a DSN-less connection string, as str, int and datetime; as a
Unicode client (the W calls) and as an ANSI one.

    pyodbc_client_test.py <lumetra-import> <liblumetraodbc.so>
"""
import datetime
import os
import shlex
import subprocess
import sys
import tempfile

import pyodbc

program, driver = sys.argv[1], os.path.realpath(sys.argv[2])
here = os.path.dirname(os.path.realpath(__file__))

HEADER = "Nom,Pr\xe9nom@L,N\xe9@D,Heure@M,M.@O,Mme@O,Vip@C,Tags@G,Montant@N,Prix@N*"
RECORDS = [
    "\"Baker, Ann\",\"two\r\nlines\",19991231,0930,1,0,1,a;b;,12.34,12.34",
    "Zo\xe9,\xc9l\xe8ve,,1745,0,1,0,,-7,0.5",
]
EXPECTED_ROWS = [
    ("Baker, Ann", "two\r\nlines", datetime.datetime(1999, 12, 31), "09:30", 2, 1, "a;b", 12, 1234),
    ("Zo\xe9", "\xc9l\xe8ve", None, "17:45", 1, 0, "", -7, 50),
]
# SQLite keeps 64 bits in any INTEGER column: I4 reads as BIGINT there.
# Text is described with the wide type to a client that connected through
# the W calls (pyodbc's default), with the narrow one to an ANSI client.
def expected_columns(text):
    return [("Nom", text), ("Pr\xe9nom", text), ("N\xe9", pyodbc.SQL_TYPE_TIMESTAMP),
            ("Heure", text), ("M.", pyodbc.SQL_SMALLINT), ("Vip", pyodbc.SQL_SMALLINT),
            ("Tags", text), ("Montant", pyodbc.SQL_BIGINT), ("Prix", pyodbc.SQL_BIGINT)]

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


with tempfile.TemporaryDirectory() as work:
    env_line = subprocess.run(["bash", os.path.join(here, "../support/temp-dsn.sh"), driver, work + "/dsn"],
                              check=True, capture_output=True, text=True).stdout
    for assignment in shlex.split(env_line)[1:]:
        key, value = assignment.split("=", 1)
        os.environ[key] = value
    path = os.path.join(work, "people.cdf")
    with open(path, "wb") as f:
        f.write(("\r\n".join([HEADER] + RECORDS) + "\r\n").encode("latin-1"))
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = subprocess.run([program, path], env=env, capture_output=True)
    check("program exit status", run.returncode, 0)

    for connection, ansi in [("DSN=Lumetra Data Source", False),
                             (f"DRIVER={{{driver}}};Database={work}/dsn/lumetra.db", False),
                             ("DSN=Lumetra Data Source", True)]:
        cnxn = pyodbc.connect(connection, ansi=ansi)
        if ansi:  # an ANSI client reads SQL_C_CHAR in UTF-8, the DSN's Charset
            cnxn.setdecoding(pyodbc.SQL_CHAR, encoding="utf-8")
            cnxn.setencoding(encoding="utf-8")
        connection += " (ANSI)" if ansi else ""
        cursor = cnxn.cursor()
        rows = [tuple(r) for r in cursor.execute('SELECT * FROM "people"').fetchall()]
        check(f"{connection}: rows", rows, EXPECTED_ROWS)
        check(f"{connection}: types", [type(v) for v in rows[0]],
              [str, str, datetime.datetime, str, int, int, str, int, int])
        columns = [(c.column_name, c.data_type) for c in cursor.columns(table="people")]
        want = expected_columns(pyodbc.SQL_VARCHAR if ansi else pyodbc.SQL_WVARCHAR)
        check(f"{connection}: columns", columns, want)
        check(f"{connection}: ordinals", [c.ordinal_position for c in cursor.columns(table="people")],
              list(range(1, len(want) + 1)))
        found = cursor.execute('SELECT "Nom" FROM "people" WHERE "Pr\xe9nom" = ?', "\xc9l\xe8ve").fetchval()
        check(f"{connection}: a Unicode parameter", found, "Zo\xe9")
        cnxn.close()

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pyodbc client: all checks passed")
