#!/usr/bin/python3
"""Parses every page of an exported site with html5lib in strict mode (a parse error is a
failure: the pages are to be valid HTML5) and prints one JSON object with what a reader sees:
the index's boards, and for each board page its grid rows, its articles and its scripts. Links
inside the site are checked to lead somewhere and to have text to click ("blank_links")."""
import json
import os
import sys

import html5lib

folder = sys.argv[1]


def parse(name):
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"), strict=True,
                                 namespaceHTMLElements=False)
    with open(os.path.join(folder, name), "rb") as f:
        try:
            return parser.parse(f.read())
        except html5lib.html5parser.ParseError as e:
            print("parse error in %s: %s" % (name, e), file=sys.stderr)
            sys.exit(1)


def text(el):
    return "".join(el.itertext()) if el is not None else None


def cls(el):
    return (el.get("class") or "").split()


broken = []
blank = []
out = {"boards": [], "pages": {}}


def check_text(name, doc):
    for a in doc.iter("a"):
        if not (text(a) or "").strip():
            blank.append(name + " -> " + (a.get("href") or ""))


index = parse("index.html")
check_text("index.html", index)
for tr in index.iter("tr"):
    cells = tr.findall("td")
    if not cells:
        continue
    link = cells[1].find("a")
    out["boards"].append({"number": text(cells[0]), "key": text(cells[1]), "title": text(cells[2]),
                          "count": text(cells[3]), "href": link.get("href") if link is not None else None})
    if link is not None and not os.path.exists(os.path.join(folder, link.get("href"))):
        broken.append("index.html -> " + link.get("href"))

for name in sorted(os.listdir(folder)):
    if not name.endswith(".html") or name == "index.html":
        continue
    doc = parse(name)
    check_text(name, doc)
    ids = {el.get("id") for el in doc.iter() if el.get("id")}
    page = {"title": text(doc.find(".//title")), "heading": text(doc.find(".//h1")),
            "rows": [], "articles": [], "scripts": [text(s) for s in doc.iter("script")]}
    for a in doc.iter("a"):
        href = a.get("href") or ""
        if href.startswith("#") and href[1:] not in ids:
            broken.append(name + " -> " + href)
        elif href and not href.startswith("#") and ":" not in href \
                and not os.path.exists(os.path.join(folder, href)):
            broken.append(name + " -> " + href)
    table = doc.find(".//table")
    for tr in table.find("tbody").findall("tr"):
        cells = tr.findall("td")
        page["rows"].append({"id": tr.get("id"), "missing": "m" in cls(tr),
                             "number": text(cells[0]), "writer": text(cells[1]),
                             "title": text(cells[2])})
    for art in doc.iter("article"):
        spans = {c: None for c in ("no", "w", "t")}
        for s in art.find("div").iter("span"):
            for c in cls(s):
                if c in spans:
                    spans[c] = text(s)
        nav = {(a.get("rel") or a.get("class") or a.text): a.get("href") for a in art.find("nav").iter("a")}
        pre = art.find("pre")
        page["articles"].append({
            "id": art.get("id"), "missing": "m" in cls(art), "number": spans["no"],
            "writer": spans["w"], "title": spans["t"],
            "date": art.find(".//time").get("datetime") if art.find(".//time") is not None else None,
            "prev": nav.get("prev"), "next": nav.get("next"), "parent": nav.get("parent"),
            "text": text(pre),
            "quotes": [text(q) for q in pre.iter("span") if "q" in cls(q)] if pre is not None else [],
            "links": [a.get("href") for a in pre.iter("a")] if pre is not None else [],
        })
    out["pages"][name] = page
out["broken_links"] = broken
out["blank_links"] = blank
print(json.dumps(out, ensure_ascii=False))
