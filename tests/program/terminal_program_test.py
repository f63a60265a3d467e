#!/usr/bin/env python3
"""The built program on a real (pseudo) terminal: Ctrl-C at the prompt
cancels the chooser, Tab completes folder and file names, a path too long
is refused with its reason and asked again, a message waits for Enter
after the prompt but not with a FILE, Ctrl-C during the import stops it
with the rows so far, the final count stays on screen, "Cancelled"
follows, and the summary ends the run. Exit status: 0 imported, 1
failed, 130 cancelled. FILEs typed on a terminal are imported there, one
after the other, even where a window could be shown.
   terminal_program_test.py <lumetra-import> <liblumetraodbc.so>"""
import os, pty, select, signal, sqlite3, subprocess, sys, tempfile, time

program, driver = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
work = tempfile.mkdtemp()
env_lines = subprocess.run(['bash', os.path.join(os.path.dirname(__file__), '..', 'support', 'temp-dsn.sh'),
                            driver, os.path.join(work, 'dsn')], check=True, capture_output=True, text=True).stdout
for assignment in env_lines.split()[1:]:
    key, value = assignment.split('=', 1)
    os.environ[key] = value
for key in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM'):
    os.environ.pop(key, None)
database = os.path.join(work, 'dsn', 'lumetra.db')
PLACE = b'  in the data source "Lumetra Data Source": SQLite database ' + database.encode() + b'\r\n'
os.makedirs(os.path.join(work, 'sub'))
with open(os.path.join(work, 'sub', 'query.cdf'), 'w') as f:
    f.write('a@N,b\n1,x\n2,y\n')
with open(os.path.join(work, 'big.cdf'), 'w') as f:
    f.write('n@N,t\n' + ''.join('%d,row %d\n' % (i, i) for i in range(1, 300001)))
failures = []


class Session:
    """The program on a pseudo terminal, started in the work folder."""

    def __init__(self, *args):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            try:
                os.chdir(work)
                os.execv(program, [program] + list(args))
            finally:
                os._exit(127)
        self.out = b''
        self.code = None

    def read(self, seconds, until=None):
        end = time.time() + seconds
        while time.time() < end and not (until and until in self.out):
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if ready:
                try:
                    data = os.read(self.fd, 4096)
                except OSError:
                    return
                if not data:
                    return
                self.out += data

    def type(self, keys, wait_for=None):
        self.read(3, wait_for)
        os.write(self.fd, keys)

    def exit_code(self, seconds=5):
        end = time.time() + seconds
        while self.code is None and time.time() < end:
            self.read(0.1)
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.code = os.waitstatus_to_exitcode(status)
        return self.code

    def kill(self):
        if self.code is not None:
            return
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)


def check(name, condition, session):
    if not condition:
        failures.append('%s\n  output: %r' % (name, session.out[-600:]))


def rows(sql):
    try:
        with sqlite3.connect(database) as db:
            return db.execute(sql).fetchall()
    except sqlite3.Error as error:
        return [str(error)]


def tables():
    with sqlite3.connect(database) as db:
        return [r[0] for r in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")]


PROMPT = b'CDF file to import: '

# Ctrl-C at the prompt, with or without typed text, is the chooser's Cancel.
for keys in (b'\x03', b'sub/qu\x03'):
    s = Session()
    s.type(keys, PROMPT)
    code = s.exit_code()
    check('Ctrl-C at the prompt %r ends the program with 130' % keys, code == 130, s)
    check('no count or "Cancelled" after a cancelled chooser', b'Importing' not in s.out.split(PROMPT)[-1]
          and b'Cancelled' not in s.out, s)
    if code is None:
        s.kill()
check('no table after a cancelled chooser', tables() == [], s)

# Tab completes the folder (with its '/') and then the file name.
s = Session()
s.type(b'su\t', PROMPT)
s.type(b'qu\t', b'sub/')
s.type(b'\r', b'query.cdf')
code = s.exit_code()
check('completed path imported, exit 0', code == 0 and rows('SELECT * FROM query') == [(1, 'x'), (2, 'y')], s)
check('final count stays on screen, the summary below it',
      s.out.endswith(b'Importing 2\x1b[K\r\n2 records imported into the table "query"\r\n' + PLACE), s)

# The same file again: the refusal after the prompt waits for Enter; the
# empty progress line is cleared, not kept.
s = Session()
s.type(b'sub/query.cdf\r', PROMPT)
s.read(3, b'Press Enter')
check('message with the program name, no empty count before it',
      b'\r\x1b[Klumetra-import: [Lumetra] SQLite: table "query" already exists\r\n' in s.out
      and b'Importing \x1b[K\r\n' not in s.out, s)
check('message waits for Enter', s.exit_code(1) is None, s)
os.write(s.fd, b'\r')
check('Enter dismisses the message, exit 1', s.exit_code() == 1, s)

# A path over 255 bytes once resolved: the reason is given and the
# prompt comes again.
deep = os.path.join(work, 'deep')
while len(deep) < 260:
    deep = os.path.join(deep, 'folder')
os.makedirs(deep)
with open(os.path.join(deep, 'long.cdf'), 'w') as f:
    f.write('a\n')
s = Session()
s.type(os.path.relpath(os.path.join(deep, 'long.cdf'), work).encode() + b'\r', PROMPT)
s.read(6, b'bytes\r\n' + PROMPT)
check('too long a path says why and asks again',
      b'long.cdf: the full path is longer than 255 bytes\r\n' + PROMPT in s.out, s)
os.write(s.fd, b'\r')
check('then an empty line cancels, exit 130', s.exit_code() == 130, s)

# A FILE argument on a terminal: no prompt, and a refusal does not wait
# for Enter, so that a loop over files goes on.
s = Session('sub/query.cdf')
code = s.exit_code()
check('FILE argument: no prompt', PROMPT not in s.out, s)
check('FILE argument: refusal shown, exit 1 without waiting',
      code == 1 and b'already exists' in s.out and b'Press Enter' not in s.out, s)

# FILEs typed on a terminal stay there even where a window could be shown
# (a window's message box would wait here): each file is tried, and the
# total closes the run.
with open(os.path.join(work, 'more.cdf'), 'w') as f:
    f.write('a@N,b\n3,z\n')
os.environ['QT_QPA_PLATFORM'] = 'offscreen'
s = Session('sub/query.cdf', 'more.cdf')
code = s.exit_code(10)
del os.environ['QT_QPA_PLATFORM']
check('FILEs on a terminal with a display: the terminal, exit 1, the second file imported',
      code == 1 and rows('SELECT * FROM more') == [(3, 'z')] and b'Press Enter' not in s.out, s)
check('FILEs on a terminal: the total ends the run',
      s.out.endswith(b'lumetra-import: 1 file imported, 1 failed; 1 record in the files imported\r\n'), s)
if code is None:
    s.kill()

# Ctrl-C during a long import: the rows so far stay, no message, exit 0.
s = Session()
s.type(b'big.cdf\r', PROMPT)
s.read(20, b'Importing 1')
os.write(s.fd, b'\x03')
code = s.exit_code(20)
count = rows('SELECT count(*), max(n) FROM big')[0]
check('progress line shows the count', b'Importing 1' in s.out, s)
check('cancelled import ends with 130 and no message', code == 130 and b'Press Enter' not in s.out, s)
check('rows so far stay: %r' % (count,), isinstance(count, tuple) and 0 < count[0] < 300000 and count[0] == count[1], s)
check('final count of the rows stored stays, then "Cancelled" and the rows the table keeps',
      isinstance(count, tuple) and s.out.endswith(b'Importing %d\x1b[K\r\nCancelled\r\nThe table "big" keeps %d rows\r\n'
                                                  % (count[0], count[0]) + PLACE), s)

subprocess.run(['rm', '-rf', work])
if failures:
    print('FAIL:\n' + '\n'.join(failures))
    sys.exit(1)
print('terminal program: all checks passed')
