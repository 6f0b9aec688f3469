#!/usr/bin/env python3
"""Writes a large mailbox of ordinary text mail for bench/mbox-timings.sh:
    mbox-generate.py OUT.mbox MEGABYTES MESSAGE-FILE...
The messages are used in turn, each given a body line beginning ">From "
(a quoted "From " line, as a mailbox writer leaves it)."""
import sys


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: mbox-generate.py OUT.mbox MEGABYTES MESSAGE-FILE...")
    out, target = sys.argv[1], int(float(sys.argv[2]) * 1000000)
    messages = []
    for name in sys.argv[3:]:
        with open(name, "rb") as f:
            text = f.read().replace(b"\r\n", b"\n").rstrip(b"\n") + b"\n"
        head, sep, body = text.partition(b"\n\n")
        messages.append((head + sep, body))
    written = count = 0
    with open(out, "wb") as f:
        while written < target:
            head, body = messages[count % len(messages)]
            chunk = (b"From bench@example.org Tue Mar  5 14:03:07 2002\n" + head + body +
                     b"\n>From the archive: copy %d\n\n" % count)
            f.write(chunk)
            written += len(chunk)
            count += 1
    print(count)


main()
