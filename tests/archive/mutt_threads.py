#!/usr/bin/python3
"""Opens an mbox file in mutt, threaded, inside a pseudo-terminal, renders the index screen as
the terminal shows it (pyte), writes that screen to SCREEN_TXT and prints one JSON object a line
per message row: its Message-ID, its depth in mutt's thread tree (0 for a thread's top) and
whether mutt takes it for a duplicate of another message (its Message-ID seen before). With
BODY_TXT, mutt also pipes the first message of the index, decoded as it shows it, to that file.

    mutt_threads.py MBOX ROWS SCREEN_TXT [BODY_TXT]
"""
import os
import pty
import select
import sys
import time

import pyte
import json
import re

COLS = 160


def read_some(fd, stream, timeout):
    """Feeds the screen what the terminal writes within timeout: True when something came,
    False when nothing did, None when mutt has gone."""
    r, _, _ = select.select([fd], [], [], timeout)
    if not r:
        return False
    try:
        data = os.read(fd, 65536)
    except OSError:
        return None
    if not data:
        return None
    stream.feed(data)
    return True


def main():
    mbox = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    home = os.path.dirname(os.path.abspath(mbox))
    muttrc = os.path.join(home, ".muttrc-test")
    with open(muttrc, "w") as f:
        f.write('set sort=threads\n'
                'set sort_aux=date-sent\n'
                'set strict_threads=yes\n'
                'set ascii_chars=yes\n'
                'set index_format="%i|%s"\n'
                'set charset=utf-8\n'
                'set help=no\n'
                'set hide_missing=no\n'
                'set hide_thread_subject=no\n'
                'set quit=yes\n'
                'set pipe_decode=yes\n'
                'set wait_key=no\n'
                'set mbox_type=mbox\n'
                'set folder=' + home + '\n'
                'set spoolfile=' + os.path.abspath(mbox) + '\n')
    screen = pyte.Screen(COLS, rows)
    stream = pyte.ByteStream(screen)
    pid, fd = pty.fork()
    if pid == 0:
        env = dict(os.environ, TERM="xterm", LINES=str(rows), COLUMNS=str(COLS), HOME=home,
                   LANG="C.UTF-8", LC_ALL="C.UTF-8", MAIL=os.path.abspath(mbox))
        os.execvpe("mutt", ["mutt", "-n", "-F", muttrc, "-R", "-f", os.path.abspath(mbox)], env)
    import fcntl, struct, termios
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, COLS, 0, 0))
    # Read until mutt has drawn its index (the status line names the message count) and has
    # been quiet for a moment.
    deadline = time.time() + 30
    drawn = False
    quiet_since = None
    while time.time() < deadline:
        came = read_some(fd, stream, 0.05)
        if came is None:
            break
        if came:
            drawn = drawn or any("Msgs:" in line for line in screen.display)
            quiet_since = None
        elif drawn:
            if quiet_since is None:
                quiet_since = time.time()
            elif time.time() - quiet_since > 0.25:
                break
    if len(sys.argv) > 4 and drawn:
        os.write(fd, b"|cat > '" + os.path.abspath(sys.argv[4]).encode() + b"'\r")
        # mutt waits for the command, then draws its index again.
        deadline = time.time() + 5
        while time.time() < deadline and read_some(fd, stream, 0.25):
            pass
    try:
        os.write(fd, b"q")
    except OSError:
        pass
    time.sleep(0.05)
    try:
        os.kill(pid, 9)
    except OSError:
        pass
    os.waitpid(pid, 0)
    lines = [line.rstrip() for line in screen.display]
    with open(sys.argv[3], "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    # index_format "%i|%s": the ID, then mutt's tree drawing before the subject ("`->",
    # "| `->", "?->" under a missing parent), two columns a level; "=>" for a duplicate.
    tree = re.compile(r"^((?:[ |`+?*=]|-(?!>))*)([-=])>")
    for line in lines:
        if not line.startswith("<") or "|" not in line:
            continue
        message_id, rest = line.split("|", 1)
        m = tree.match(rest)
        depth = (len(m.group(1)) - 1) // 2 + 1 if m else 0
        duplicate = bool(m) and m.group(2) == "="
        print(json.dumps({"id": message_id, "depth": depth, "duplicate": duplicate, "row": line},
                         ensure_ascii=False))


main()
