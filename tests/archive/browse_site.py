#!/usr/bin/python3
"""Drives headless Chromium through an exported site the way a reader would, over the DevTools
protocol on a pipe (no network port): opens index.html, follows the link to a board, then the
link to an article, types into the page's search box, and saves a screenshot. Prints one JSON
object with what it saw.

    browse_site.py CHROMIUM SITE_FOLDER BOARD_LINK_INDEX SEARCH_TEXT SCREENSHOT.png
"""
import base64
import json
import os
import subprocess
import sys
import tempfile
import time


class Browser:
    def __init__(self, chromium, profile):
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()
        # The child reads commands on fd 3 and writes answers to fd 4.
        def fds():
            # Through fresh copies: a pipe may already sit on 3 or 4, with close-on-exec set.
            read_end, write_end = os.dup(to_child_r), os.dup(from_child_w)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)
        self.proc = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--no-first-run", "--no-default-browser-check",
             "--disable-extensions", "--disable-sync", "--mute-audio", "--hide-scrollbars",
             "--user-data-dir=" + profile, "--remote-debugging-pipe", "--window-size=1000,900",
             "about:blank"],
            preexec_fn=fds, close_fds=False,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def close(self):
        try:
            self.call("Browser.close", session=False, timeout=5)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()

    def read_message(self, timeout):
        deadline = time.time() + timeout
        while b"\0" not in self.buffer:
            import select
            left = deadline - time.time()
            if left <= 0:
                raise TimeoutError("no answer from chromium")
            r, _, _ = select.select([self.from_child], [], [], left)
            if r:
                chunk = os.read(self.from_child, 1 << 20)
                if not chunk:
                    raise EOFError("chromium closed its pipe")
                self.buffer += chunk
        message, _, self.buffer = self.buffer.partition(b"\0")
        return json.loads(message)

    def call(self, method, params=None, session=True, timeout=20):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        while True:
            answer = self.read_message(timeout)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(method + ": " + json.dumps(answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def wait_event(self, method, timeout=20):
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method:
                    del self.events[i]
                    return event
            self.events.append(self.read_message(max(0.01, deadline - time.time())))

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError(json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def click_and_wait(self, expression):
        """Clicks the element the expression finds and waits for the page it leads to."""
        self.events.clear()
        self.evaluate("(" + expression + ").click(), true")
        self.wait_event("Page.loadEventFired")


def main():
    chromium, site, board_index, search, shot = sys.argv[1:6]
    board_index = int(board_index)
    seen = {}
    with tempfile.TemporaryDirectory() as profile:
        b = Browser(chromium, profile)
        try:
            target = b.call("Target.createTarget", {"url": "about:blank"}, session=False)
            attached = b.call("Target.attachToTarget",
                              {"targetId": target["targetId"], "flatten": True}, session=False)
            b.session = attached["sessionId"]
            b.call("Page.enable")
            b.call("Runtime.enable")
            b.call("Emulation.setDeviceMetricsOverride",
                   {"width": 1000, "height": 900, "deviceScaleFactor": 1, "mobile": False})
            b.call("Page.navigate", {"url": "file://" + os.path.abspath(site) + "/index.html"})
            b.wait_event("Page.loadEventFired")
            seen["index_title"] = b.evaluate("document.title")
            seen["boards"] = b.evaluate(
                "Array.from(document.querySelectorAll('a.board')).map(a => a.textContent)")
            b.click_and_wait("document.querySelectorAll('a.board')[%d]" % board_index)
            seen["board_url"] = b.evaluate("location.href")
            seen["board_heading"] = b.evaluate("document.querySelector('h1').textContent")
            seen["rows"] = b.evaluate("document.querySelectorAll('table.grid tbody tr').length")
            # An article: the last title link of the grid.
            seen["article_link"] = b.evaluate(
                "(() => { const l = document.querySelectorAll('table.grid a');"
                " const a = l[l.length - 1]; a.click(); return a.getAttribute('href'); })()")
            time.sleep(0.2)
            seen["hash"] = b.evaluate("location.hash")
            seen["article_visible"] = b.evaluate(
                "(() => { const a = document.querySelector(location.hash);"
                " const r = a.getBoundingClientRect(); return r.top >= 0 && r.top < innerHeight; })()")
            seen["article_title"] = b.evaluate(
                "document.querySelector(location.hash + ' .t').textContent")
            seen["scripts"] = b.evaluate("document.scripts.length")
            # The search box, typed into as a user does.
            b.evaluate("window.scrollTo(0, 0), document.getElementById('q').focus(), true")
            b.call("Input.insertText", {"text": search})
            time.sleep(0.2)
            seen["hits"] = b.evaluate("document.getElementById('hits').textContent")
            seen["shown"] = b.evaluate(
                "Array.from(document.querySelectorAll('article')).filter(a => !a.hidden)"
                ".map(a => a.id)")
            seen["shown_rows"] = b.evaluate(
                "Array.from(document.querySelectorAll('table.grid tbody tr'))"
                ".filter(r => !r.hidden).length")
            seen["dialogs"] = sum(1 for e in b.events if e.get("method") == "Page.javascriptDialogOpening")
            png = b.call("Page.captureScreenshot", {"format": "png"})
            with open(shot, "wb") as f:
                f.write(base64.b64decode(png["data"]))
        finally:
            b.close()
    print(json.dumps(seen, ensure_ascii=False))


main()
