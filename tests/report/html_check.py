#!/usr/bin/python3
"""Checks that every page of the club's site parses as HTML5 without a single
parse error (html5lib, strict), and that no id is used twice on a page.

html_check.py SITE
Prints one line per fault and exits 1 if there is any."""
import collections, os, sys

import html5lib

site = sys.argv[1]
faults = []
for folder, _, files in os.walk(site):
    for name in sorted(files):
        if not name.endswith(".html"):
            continue
        path = os.path.join(folder, name)
        page = os.path.relpath(path, site)
        parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
        try:
            with open(path, "rb") as f:
                tree = parser.parse(f.read(), transport_encoding="utf-8")
        except html5lib.html5parser.ParseError as error:
            faults.append("%s: %s" % (page, error))
            continue
        ids = collections.Counter(e.get("id") for e in tree.iter() if e.get("id") is not None)
        faults += ["%s: id %r used %d times" % (page, i, n) for i, n in ids.items() if n > 1]
        if tree.get("lang") != "ru":
            faults.append("%s: no lang=\"ru\"" % page)
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
