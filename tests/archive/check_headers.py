#!/usr/bin/python3
"""Parses header blocks written by the mbox export's encoder with Python's email parser and
checks that every Subject and From reads back as the text it was made from, without defects,
and that no header line is longer than 78 characters. Input: a JSON file, a list of objects
{"headers": ..., "subject": ..., "name": ..., "addr": ...}. Prints "checked N" and one line per
mismatch."""
import email
import email.header
import email.policy
import re
import json
import sys

cases = json.load(open(sys.argv[1], encoding="utf-8"))
bad = 0
for case in cases:
    raw = case["headers"].encode("ascii")
    msg = email.message_from_bytes(raw + b"\n", policy=email.policy.default)
    problems = []
    for line in case["headers"].split("\n"):
        if len(line) > 78:
            problems.append("line of %d characters" % len(line))
    if str(msg["subject"]) != case["subject"]:
        problems.append("subject %r" % str(msg["subject"]))
    sender = msg["from"].addresses
    if len(sender) != 1 or sender[0].addr_spec != case["addr"]:
        problems.append("from %r" % [(a.display_name, a.addr_spec) for a in sender])
    # The name: the policy's phrase parser puts a blank between adjacent encoded words, which
    # RFC 2047 says to drop; a name of encoded words is decoded as the RFC says, a quoted one
    # is taken from the parser.
    block = re.search(r"^From:(.*?)(?=^\S|\Z)", case["headers"], re.M | re.S).group(1)
    raw_name = re.sub(r"<[^>]*>\s*$", "", block.replace("\n", "")).strip()
    if raw_name.startswith("=?"):
        name = str(email.header.make_header(email.header.decode_header(raw_name)))
    else:
        name = sender[0].display_name if sender else None
    if name != case["name"]:
        problems.append("name %r" % name)
    defects = [type(d).__name__ for h in ("subject", "from") for d in msg[h].defects] + \
        [type(d).__name__ for d in msg.defects]
    if defects:
        problems.append("defects %s" % defects)
    if problems:
        bad += 1
        print("MISMATCH %r %r: %s" % (case["subject"], case["name"], "; ".join(problems)))
print("checked %d, %d wrong" % (len(cases), bad))
