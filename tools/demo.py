#!/usr/bin/env python3
"""Runs the viewer once, as the host application would, against the bundled simulator."""
import argparse
import os
import shutil
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "bed"))

from print_server import PrintServer  # noqa: E402
from winenv import CACHE, WineSession  # noqa: E402

BIN = os.path.join(ROOT, "build", "win", "bin")
OUT = os.path.join(ROOT, "build", "demo")
# An address of its own per run, so a demo never meets another run on port 80.
HOST = "127.0.%d.1" % (1 + os.getpid() % 250)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--file", action="store_true", help="hand the parameters over in a parameter file")
    args = ap.parse_args()
    started = time.time()
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    output = os.path.join(OUT, "job result.xml")

    seen = []

    def report(req):
        seen.append(req)
        who = "curl   " if req.from_curl else "viewer "
        extra = " (body %d bytes)" % len(req.body) if req.method == "POST" else ""
        print("  %6.2f s  %s %s%s" % (req.time - started, who, req.request_line, extra), flush=True)

    print("preparing Wine and Xvfb ...", flush=True)
    with WineSession() as wine, PrintServer(HOST, 80, 8080, on_request=report) as server:
        tools = wine.c_drive("Program Files", "Common Files", "Quorvex")
        os.makedirs(tools, exist_ok=True)
        shutil.copy(os.path.join(CACHE, "curl", "curl.exe"), tools)
        wine.reg_add(r"HKLM\SOFTWARE\Quorvex\Vanta Deskhub", "CommonFiles", r"C:\Program Files\Common Files\Quorvex")

        params = [("ServerIP", HOST), ("URL", server.viewer_url),
                  ("InputPath", wine.windows_path(os.path.join(ROOT, "samples", "input.xml"))),
                  ("OutputPath", wine.windows_path(output)),
                  ("finish", "auto"), ("delay", "1500")]
        if args.file:
            path = os.path.join(OUT, "launch parameters.txt")
            with open(path, "w", newline="\r\n") as f:
                f.write("".join("%s=%s\n" % kv for kv in params))
            tail = wine.windows_path(path)
            print("parameter file %s" % path)
        else:
            tail = " ".join('"%s=%s"' % kv for kv in params)
        print("simulator on %s (login port 80, viewer %s)" % (HOST, server.viewer_url))
        print("launch: tessel.exe %s" % tail, flush=True)
        tail_file = os.path.join(OUT, "tail.txt")
        with open(tail_file, "w", encoding="utf-8") as f:
            f.write(tail)
        launched = time.time()
        proc = wine.start(os.path.join(BIN, "winprobe.exe"), "run", wine.windows_path(os.path.join(BIN, "tessel.exe")),
                          wine.windows_path(tail_file))
        wine.wine(os.path.join(BIN, "winprobe.exe"), "wait", "tessel", "20000")
        time.sleep(0.5)
        shot = os.path.join(OUT, "window.png")
        wine.screenshot(shot)
        code = proc.wait(120)
        ended = time.time()
        if code is None:
            proc.kill()
            print("the viewer did not end in time")
            return 1
    print()
    print("requests seen: %d (login %d, viewer %d, result download %d, delete %d)" % (
        len(seen), sum(r.path == "/wt4/login" for r in seen), sum(r.path == "/viewer" and r.method != "DELETE" for r in seen),
        sum(r.from_curl and r.method == "GET" for r in seen), sum(r.method == "DELETE" for r in seen)))
    if os.path.exists(output):
        print("result file: %s (%d bytes)" % (output, os.path.getsize(output)))
    else:
        print("result file: not written")
    print("screenshot: %s" % shot)
    print("exit status: %d; viewer ran %.1f s; total %.1f s" % (code, ended - launched, time.time() - started))
    ok = code == 0 and os.path.exists(output) and any(r.method == "DELETE" for r in seen)
    print("demo %s" % ("succeeded" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
