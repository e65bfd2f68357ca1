#!/usr/bin/python3
"""Reads every .mbox file of an export folder with Python's mailbox and email packages and prints
one JSON object a line per message: the file, the parsed headers and the body (mboxrd quoting
taken back). Messages with defects the parser found list them."""
import email
import email.policy
import json
import mailbox
import os
import re
import sys

folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    if not name.endswith(".mbox"):
        continue
    box = mailbox.mbox(os.path.join(folder, name), factory=None, create=False)
    for key in box.keys():
        raw = box.get_bytes(key)
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        body = msg.get_content()
        # mboxrd: one '>' was added before every ">*From " line.
        body = re.sub(r"^>(>*From )", r"\1", body, flags=re.M)
        sender = msg["from"].addresses
        date = msg["date"]
        defects = [type(d).__name__ for d in msg.defects]
        for h in ("from", "subject", "date", "message-id", "in-reply-to", "references"):
            if msg[h] is not None:
                defects += [h + ":" + type(d).__name__ for d in msg[h].defects]
        print(json.dumps({
            "file": name,
            "separator": box.get_message(key).get_from(),
            "from_name": sender[0].display_name if sender else None,
            "from_addr": sender[0].addr_spec if sender else None,
            "date": date.datetime.isoformat() if date is not None and date.datetime else None,
            "subject": str(msg["subject"]),
            "message_id": str(msg["message-id"]).strip(),
            "in_reply_to": str(msg["in-reply-to"]).strip() if msg["in-reply-to"] else None,
            "references": str(msg["references"]).split() if msg["references"] else [],
            "board": str(msg["x-vorn-board"]),
            "number": str(msg["x-vorn-number"]),
            "content_type": msg.get_content_type(),
            "charset": msg.get_content_charset(),
            "body": body,
            "defects": defects,
        }, ensure_ascii=False))
