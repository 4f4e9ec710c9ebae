#!/usr/bin/env python3
"""Screenshots of the phone view in Debian's headless Chromium (through chromedriver's
WebDriver protocol, no extra Python package): a demo database, `coreapp serve` on a free
loopback port, a sign-in through the real form, then every page at 390x844 and 1280x800.
Fails when a page shows an error or never finishes loading.

usage: serve_screenshots.py COREAPP OUTDIR
"""
import base64
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

PAGES = ["today", "wip", "receivables", "staff", "profit", "stock"]
# The demo's bills lie in the autumn of 2026: the pages are opened on those dates.
DATES = "?day=2026-11-20&from=2026-09-01&to=2026-11-30"
SIZES = [(390, 844), (1280, 800)]
NO_PROXY = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def call(base, method, path, body=None):
    data = None if body is None else json.dumps(body).encode()
    req = urllib.request.Request(base + path, data=data, method=method,
                                 headers={"Content-Type": "application/json"})
    with NO_PROXY.open(req, timeout=60) as res:
        return json.loads(res.read() or b"{}").get("value")


def wait_for(check, what, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        if check():
            return
        time.sleep(0.2)
    raise RuntimeError("timed out waiting for " + what)


def element(driver, sid, css):
    found = call(driver, "POST", f"/session/{sid}/element", {"using": "css selector", "value": css})
    return next(iter(found.values()))


def save(driver, sid, name):
    with open(name, "wb") as f:
        f.write(base64.b64decode(call(driver, "GET", f"/session/{sid}/screenshot")))
    print(name)


def shoot_size(driver, site, out, width, height):
    # The page area is set exactly (a window is never narrower than 500 px and its frame
    # takes height); the phone size as a touch device.
    options = {"args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-proxy-server",
                        f"--window-size={max(width, 500)},{height + 200}", "--lang=zh-CN"],
               "mobileEmulation": {"deviceMetrics": {"width": width, "height": height,
                                                     "pixelRatio": 1.0, "mobile": width < 500,
                                                     "touch": width < 500}}}
    caps = {"capabilities": {"alwaysMatch": {"goog:chromeOptions": options}}}
    sid = call(driver, "POST", "/session", caps)["sessionId"]
    try:
        call(driver, "POST", f"/session/{sid}/url", {"url": site + "/login"})
        for css, text in (("input[name=user]", "001"), ("input[name=password]", "123456")):
            call(driver, "POST", f"/session/{sid}/element/{element(driver, sid, css)}/value", {"text": text})
        call(driver, "POST", f"/session/{sid}/element/{element(driver, sid, 'button[type=submit]')}/click", {})
        for page in PAGES:
            call(driver, "POST", f"/session/{sid}/url", {"url": f"{site}/{page}{DATES}"})
            script = {"script": "return document.querySelector('#out .wait') === null", "args": []}
            wait_for(lambda: call(driver, "POST", f"/session/{sid}/execute/sync", script), page)
            error = call(driver, "POST", f"/session/{sid}/execute/sync", {
                "script": "const e = document.querySelector('#out .error'); return e ? e.textContent : ''",
                "args": []})
            if error:
                raise RuntimeError(f"{page} shows an error: {error}")
            save(driver, sid, os.path.join(out, f"{page}-{width}x{height}.png"))
            if page == "receivables":  # a tapped customer opens his running balance
                call(driver, "POST", f"/session/{sid}/element/{element(driver, sid, '.card.tap')}/click", {})
                shown = {"script": "return document.querySelector('.detail table') !== null", "args": []}
                wait_for(lambda: call(driver, "POST", f"/session/{sid}/execute/sync", shown), "the balance")
                save(driver, sid, os.path.join(out, f"balance-{width}x{height}.png"))
    finally:
        call(driver, "DELETE", f"/session/{sid}")


def main():
    coreapp, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="serve_shots_")
    db = os.path.join(work, "demo.db")
    subprocess.run([coreapp, "db", "init", "--db", db, "--demo"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server = subprocess.Popen([coreapp, "serve", "--db", db, "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, text=True)
    port = free_port()
    driver = subprocess.Popen(["chromedriver", f"--port={port}"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        banner = server.stdout.readline()
        site = banner.split()[1].rstrip("/")
        base = f"http://127.0.0.1:{port}"
        wait_for(lambda: _up(base), "chromedriver")
        for width, height in SIZES:
            shoot_size(base, site, out, width, height)
    finally:
        driver.terminate()
        server.terminate()
        driver.wait()
        server.wait()


def _up(base):
    try:
        return call(base, "GET", "/status")["ready"]
    except OSError:
        return False


if __name__ == "__main__":
    main()
