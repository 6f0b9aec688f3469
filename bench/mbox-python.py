#!/usr/bin/env python3
"""Python's mailbox module over a mailbox, reading every message's subject
and sender, for bench/mbox-timings.sh. Prints the number of messages."""
import mailbox
import sys

count = 0
for message in mailbox.mbox(sys.argv[1], create=False):
    message["Subject"]
    message["From"]
    count += 1
print(count)
