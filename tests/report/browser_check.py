#!/usr/bin/env python3
"""Checks the club's site in headless Chromium over its DevTools pipe.

browser_check.py CHROMIUM SITE EXPECTED.json SHOTS
Prints one line per failed check and exits 1 if any failed."""
import base64, json, os, subprocess, sys, tempfile

chromium, site, expected_path, shots = sys.argv[1:5]
expected = json.load(open(expected_path, encoding="utf-8"))
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


class Browser:
    def __init__(self):
        self.profile = tempfile.TemporaryDirectory()
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()

        # Chromium reads commands on fd 3 and answers on fd 4.
        def fds():
            os.dup2(to_child_r, 100)  # out of the way of 3 and 4 first
            os.dup2(from_child_w, 101)
            os.dup2(100, 3)
            os.dup2(101, 4)

        args = [chromium, "--headless=new", "--remote-debugging-pipe", "--no-first-run",
                "--disable-gpu", "--no-default-browser-check", "--disable-extensions",
                "--user-data-dir=" + self.profile.name, "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")
        self.process = subprocess.Popen(args, preexec_fn=fds, pass_fds=(3, 4),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.call(domain + ".enable")

    def read_message(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_child, 1 << 16)
            if not chunk:
                raise RuntimeError("chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if self.session:
            message["sessionId"] = self.session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.read_message()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(method + ": " + json.dumps(reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def wait_event(self, method):
        for i, event in enumerate(self.events):
            if event.get("method") == method:
                del self.events[i]
                return event
        while True:
            event = self.read_message()
            if event.get("method") == method:
                return event
            self.events.append(event)

    def open(self, page):
        self.events = [e for e in self.events if e.get("method") != "Page.loadEventFired"]
        self.call("Page.navigate", {"url": "file://" + os.path.join(site, page)})
        self.wait_event("Page.loadEventFired")

    def js(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError(expression + ": " + json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def width(self, width, mobile=False, media=""):
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": 800, "deviceScaleFactor": 1, "mobile": mobile})
        self.call("Emulation.setEmulatedMedia", {"media": media})

    def screenshot(self, name):
        data = self.call("Page.captureScreenshot", {"format": "png", "captureBeyondViewport": True})
        with open(os.path.join(shots, name), "wb") as f:
            f.write(base64.b64decode(data["data"]))

    def click(self, selector):
        box = self.js("(() => { const r = document.querySelector(%s).getBoundingClientRect();"
                      " return [r.x + r.width / 2, r.y + r.height / 2]; })()" % json.dumps(selector))
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1],
                                                   "button": "left", "clickCount": 1})

    def key(self, key, code):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": key,
                                                 "windowsVirtualKeyCode": code})

    def close(self):
        self.process.kill()
        self.process.wait()


browser = Browser()
pages = {"rating": "index.html", "player": expected["playerPage"], "game": expected["gamePage"],
         "journal": "journal/index.html", "dice": "dice.html", "match": expected["matchPage"],
         "tournament": expected["tournamentPage"]}
rows = "Array.from(document.querySelectorAll('#ratings tbody tr'))"
try:
    for kind, page in pages.items():
        browser.width(1000)
        browser.open(page)
        check(browser.js("document.documentElement.lang") == "ru", page + ": lang is ru")
        check(browser.js("Array.from(document.querySelectorAll('table')).every(t => t.caption && t.tHead)"),
              page + ": every table has a caption and headers")
        check(browser.js("Array.from(document.querySelectorAll('svg')).every(s => s.getAttribute('aria-label')"
                         " || s.querySelector('title'))"), page + ": every picture has a text alternative")
        check(browser.js("document.querySelector('p.club').textContent") == expected["club"],
              page + ": the club's name on top")
        check(browser.js("(() => { const i = document.querySelector('p.club img');"
                         " return i.complete && i.naturalWidth > 0; })()"), page + ": the club's logo loads")
        browser.screenshot(kind + ".png")
        browser.width(360, mobile=True)
        check(browser.js("document.documentElement.scrollWidth") <= 360,
              page + ": no sideways scrolling 360 pixels wide")
        # A chart's labels as big on the screen as 10 pixel type at least, none over another.
        labels = browser.js("Array.from(document.querySelectorAll('svg.chart')).flatMap(svg => "
                            "Array.from(svg.querySelectorAll('text'), t => { const r = t.getBoundingClientRect();"
                            " return [parseFloat(getComputedStyle(t).fontSize) * svg.getBoundingClientRect().width"
                            " / svg.viewBox.baseVal.width, r.left, r.top, r.right, r.bottom]; }))")
        check(all(label[0] >= 10 for label in labels), page + ": chart labels readable 360 pixels wide: %s" % labels)
        check(not any(a[1] < b[3] and b[1] < a[3] and a[2] < b[4] and b[2] < a[4]
                      for i, a in enumerate(labels) for b in labels[i + 1:]),
              page + ": chart labels apart 360 pixels wide")
        # A table's row as a card: each line labelled with its column's heading.
        cards = browser.js("Array.from(document.querySelectorAll('table.cards')).flatMap(t => {"
                           " const row = t.tBodies[0].rows[0]; if (!row) return [];"
                           " return Array.from(row.cells, (c, i) => [t.tHead.rows[0].cells[i].textContent,"
                           " getComputedStyle(c, '::before').content]); })")
        check(all(label == '"%s: "' % head for head, label in cards),
              page + ": cards labelled by their columns 360 pixels wide: %s" % cards)
        if kind == "rating":
            browser.screenshot("rating-phone.png")
        # A4 less the page's margins: 186 mm at 96 pixels an inch.
        browser.width(703, media="print")
        check(browser.js("Math.max(...Array.from(document.querySelectorAll('table, svg'), e => "
                         "e.getBoundingClientRect().right), 0)") <= 703,
              page + ": every column on an A4 page")

    browser.width(1000)
    browser.open("index.html")
    links = browser.js("Array.from(document.querySelectorAll('a[href^=\"tournaments/\"]'), a => a.textContent)")
    check(links == expected["tournaments"], "the index links the tournaments: %s" % links)
    browser.open(expected["tournamentPage"])
    standings = browser.js("Array.from(document.querySelector('table').tBodies[0].rows, r => r.cells[1].textContent)")
    check(standings == expected["tournamentStandings"], "tournament standings: %s" % standings)
    head = browser.js("document.querySelector('table').tHead.rows[0].cells[3].textContent")
    check(head == expected["tieBreak"], "the tie-break named: %s" % head)
    games = browser.js("Array.from(document.querySelectorAll('a[href*=\"games/\"]'), a => a.getAttribute('href'))")
    check(games == expected["tournamentGames"], "the rounds link their games: %s" % games)
    check(all(os.path.isfile(os.path.join(site, "tournaments", g)) for g in games), "linked games exist")

    browser.open("index.html")
    names = browser.js(rows + ".map(r => r.dataset.name)")
    check(names == expected["players"], "rating rows in the launcher's order: %s" % names)
    browser.js("document.querySelector('input[type=search]').focus()")
    browser.call("Input.insertText", {"text": expected["search"]})
    shown = browser.js(rows + ".filter(r => !r.hidden).map(r => r.dataset.name)")
    check(shown == expected["found"], "the search box filters: %s" % shown)
    browser.js("document.querySelector('input[type=search]').value = '';"
               "document.querySelector('input[type=search]').dispatchEvent(new Event('input'))")
    browser.click("#ratings thead th:nth-child(3)")
    points = browser.js(rows + ".map(r => Number(r.cells[2].textContent))")
    check(points == sorted(points) and points != expected["pointsDescending"],
          "a click on Очки sorts ascending: %s" % points)
    browser.click("#ratings thead th:nth-child(3)")
    points = browser.js(rows + ".map(r => Number(r.cells[2].textContent))")
    check(points == expected["pointsDescending"], "a second click sorts descending: %s" % points)

    recent = browser.js("Array.from(document.querySelectorAll('section.recent tbody tr'), r => r.cells[0].textContent)")
    check(recent == expected["recent"], "the newest games under the rating: %s" % recent)

    browser.open(expected["playerPage"])
    check(browser.js("document.querySelectorAll('svg.chart circle').length") == expected["playerGames"],
          "the chart has one point per game")

    browser.open(expected["gamePage"])
    last = browser.js("document.querySelector('g.checkers').innerHTML")
    browser.key("Home", 36)
    check(browser.js("document.querySelector('.step').textContent") == "Начальная позиция",
          "Home shows the start")
    check(browser.js("document.querySelectorAll('g.checkers circle').length") == 30,
          "the start shows all 30 checkers")
    browser.key("ArrowRight", 39)
    check(browser.js("document.querySelector('ol.moves li.current') === document.querySelector('ol.moves li')"),
          "the right arrow steps to the first turn")
    browser.key("End", 35)
    check(browser.js("document.querySelector('g.checkers').innerHTML") == last,
          "End shows the final position as the report drew it")
    turns = browser.js("document.querySelectorAll('ol.moves li').length")
    check(browser.js("document.querySelector('.step').textContent") == "После хода %d из %d" % (turns, turns),
          "one step a turn: %d turns" % turns)

    browser.key("Home", 36)
    for _ in range(10):
        browser.key("ArrowRight", 39)
    caption = browser.js("document.querySelector('figcaption').textContent")
    check(caption == expected["captionAt10"], "the caption tells position 10 and its pips: %s" % caption)
    browser.screenshot("game-at-10.png")

    # A match: a board a game, each stepping through its own turns (the cube's
    # and the resignations' lines are none); the keys step the board last used.
    browser.width(360, mobile=True)
    browser.open(expected["matchPage"])
    games = "Array.from(document.querySelectorAll('section.game'))"
    browser.js(games + "[1].querySelector('button.back').click()")
    browser.key("End", 35)
    steps = browser.js(games + ".map(g => g.querySelector('.step').textContent)")
    turns = browser.js(games + ".map(g => g.querySelectorAll('ol.moves li:not(.action)').length)")
    check(len(turns) == 5 and steps == [""] + ["После хода %d из %d" % (turns[1], turns[1])] + [""] * 3,
          "each game's board steps through its own turns: %s" % steps)
    caption = browser.js(games + "[1].querySelector('figcaption').textContent")
    check(caption.startswith("Позиция после хода %d из %d. Пипсов: у белых " % (turns[1], turns[1])),
          "a match game's caption counts its own turns: %s" % caption)

    browser.width(1000)
    browser.open("dice.html")
    shares = browser.js("document.body.textContent.match(/p = [\\d.,]+|\\d+[.,]\\d+ %/g)")
    check(shares and all("," in share and "." not in share for share in shares),
          "fractions written the Russian way: %s" % shares)
    counts = browser.js("Object.fromEntries(['all', 'computer', 'people'].map(id => [id, "
                        "[Number(document.querySelector('#' + id + ' .total').textContent),"
                        " Array.from(document.querySelectorAll('#' + id + ' table.rolls td.count'), c => Number(c.textContent)).reduce((a, b) => a + b, 0),"
                        " Array.from(document.querySelectorAll('#' + id + ' table.faces td.count'), c => Number(c.textContent)).reduce((a, b) => a + b, 0)]]))")
    check(counts["all"] == [expected["rolls"], expected["rolls"], 2 * expected["rolls"]],
          "the dice counts add up to the archive's rolls: %s" % counts)
    check(counts["computer"][0] + counts["people"][0] == expected["rolls"], "computer and people make all")

    for event in browser.events:
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.exceptionThrown" or (method == "Runtime.consoleAPICalled" and params.get("type") == "error") \
                or (method == "Log.entryAdded" and params["entry"].get("level") == "error"):
            check(False, "console error: %s" % json.dumps(params)[:300])
        if method == "Network.requestWillBeSent":
            url = params["request"]["url"]
            check(url.startswith("file://" + site + "/") or url.startswith("data:"), "request outside the site: " + url)
finally:
    browser.close()
sys.exit(1 if failures else 0)
