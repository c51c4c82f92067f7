#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal, types ^C into it after DELAY seconds,
and writes what the terminal showed (escape sequences removed) to OUT.
Exit code: the command's. Under Wine this is the way Ctrl+C reaches a console
program's control handler: Wine's console host reads the terminal in raw mode
and turns the ^C byte into CTRL_C_EVENT, while a SIGINT sent to the process
group never reaches the handler.
Usage: pty_ctrl_c.py DELAY OUT COMMAND [ARGS...]"""
import os
import pty
import re
import fcntl
import select
import struct
import sys
import termios
import time

delay, out_path, command = float(sys.argv[1]), sys.argv[2], sys.argv[3:]
pid, fd = pty.fork()
if pid == 0:
    os.execvp(command[0], command)
# Wide enough that a status line never wraps.
fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 240, 0, 0))

shown = b""
start = time.time()
typed = False
while time.time() - start < delay + 30:
    ready, _, _ = select.select([fd], [], [], 0.1)
    if ready:
        try:
            data = os.read(fd, 65536)
        except OSError:
            break
        if not data:
            break
        shown += data
    if not typed and time.time() - start >= delay:
        os.write(fd, b"\x03")
        typed = True
else:
    os.kill(pid, 9)

_, status = os.waitpid(pid, 0)
# The console host skips over blanks with cursor-forward moves: they are spaces.
text = re.sub(rb"\x1b\[(\d*)C", lambda m: b" " * int(m.group(1) or 1), shown)
text = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07", b"", text)
# Cursor moves drew the status line piece by piece: keep what each line ended as.
text = text.replace(b"\r\r\n", b"\n").replace(b"\r\n", b"\n")
with open(out_path, "wb") as f:
    f.write(text)
sys.exit(os.waitstatus_to_exitcode(status))
