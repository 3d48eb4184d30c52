#!/usr/bin/env python3
"""End to end with the real companion: the manager hands a reservation over to the real
velto, which replays a synthetic FM capture (VELTO_SOURCE=iq:…) and reports back.

A copy of the built bundle (ResvMan.app and Velto.app side by side) in a private folder,
a private home and session bus (run under dbus-run-session), the windows offscreen. A
reservation of one minute is added with `resvman add` to the running program; the manager
starts velto, hands the reservation over, and velto records it. Checked: the Opus file is
there and lasts the programme (±1 s), `resvman history --json` shows it recorded with
that file and "receiver" as its source, and no desktop notification was needed. Then,
the manager started again with a source that finds no receiver: the next reservation is
"Not recorded" in the history, with velto's reason, and one desktop notification says so
(a stand-in notification service logs it).
"""

import argparse
import datetime
import json
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TITLE = "E2E Velto"
TITLE_NONE = "E2E no receiver"


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def fail(text):
    log("FAILED: " + text)
    sys.exit(1)


def wait_for(probe, seconds, what):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(1.0)
    fail(f"no {what} within {seconds:.0f} s")


def stop(p):
    if p.poll() is None:
        try:
            os.killpg(p.pid, signal.SIGTERM)
        except (PermissionError, ProcessLookupError):
            p.terminate()
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()


def stop_velto():
    """velto keeps running after a recording unless told to quit: ended by its bus name."""
    owner = subprocess.run(["busctl", "--user", "status", "org.velto.Velto"],
                           capture_output=True, text=True, timeout=10)
    for line in owner.stdout.splitlines():
        if line.startswith("PID="):
            try:
                pid = int(line[4:])
                os.kill(pid, signal.SIGTERM)
                for _ in range(50):
                    os.kill(pid, 0)
                    time.sleep(0.2)
            except (ValueError, ProcessLookupError):
                pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bundle-parent", required=True, help="folder of ResvMan.app, Velto.app")
    parser.add_argument("--make-capture", required=True, help="the built make_capture")
    parser.add_argument("--notifications", required=True,
                        help="the built notification service stand-in")
    args = parser.parse_args()
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("needs a session bus of its own (dbus-run-session)")
        return 77

    work = tempfile.mkdtemp(prefix="velto-e2e-")
    os.chmod(work, 0o700)
    processes = []
    try:
        home = os.path.join(work, "home")
        place = os.path.join(work, "Applications")
        music = os.path.join(home, "Music")
        for folder in (home, place, music, os.path.join(work, "run")):
            os.makedirs(folder, mode=0o700)
        for app in ("ResvMan.app", "Velto.app"):
            shutil.copytree(os.path.join(args.bundle_parent, app), os.path.join(place, app),
                            symlinks=True)
        capture = os.path.join(work, "fm.cu8")
        made = subprocess.run([args.make_capture, "fm-stereo", "5", capture], check=True,
                              capture_output=True, text=True, timeout=60)
        settings = made.stdout.strip().splitlines()[-1].strip()
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_MUSIC_DIR": music,
            "XDG_RUNTIME_DIR": os.path.join(work, "run"),
            "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
            "LANG": "C.UTF-8",
            "LANGUAGE": "en",
            "TZ": "UTC",
            "QT_QPA_PLATFORM": "offscreen",
            "VELTO_SOURCE": f"iq:{capture}{settings}&loop=1",
        }
        notification_log = os.path.join(work, "notifications.jsonl")
        service = subprocess.Popen([args.notifications, notification_log], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        processes.append(service)
        if service.stdout.readline().strip() != "ready":
            fail("the notification stand-in did not take its name")

        def notifications(title):
            try:
                with open(notification_log, encoding="utf-8") as f:
                    shown = [json.loads(line) for line in f if line.strip()]
            except FileNotFoundError:
                return []
            return [n for n in shown if title in n["summary"]]

        resvman = os.path.join(place, "ResvMan.app", "AppRun")

        def start_manager():
            out = open(os.path.join(work, "resvman.log"), "ab")
            program = subprocess.Popen([resvman], env=env, cwd=home, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=out, start_new_session=True)
            processes.append(program)
            time.sleep(3.0)

        def cli(*words):
            return subprocess.run([resvman, *words], env=env, cwd=home, capture_output=True,
                                  text=True, timeout=30, stdin=subprocess.DEVNULL)

        def reserve(title):
            # On a minute boundary at least 75 s ahead: the hand-off comes 60 s before.
            start = math.ceil((time.time() + 75) / 60) * 60
            begins = datetime.datetime.fromtimestamp(start, datetime.timezone.utc)
            ends = begins + datetime.timedelta(minutes=1)
            added = cli("add", "--date", begins.strftime("%Y-%m-%d"), "--start",
                        begins.strftime("%H:%M"), "--end", ends.strftime("%H:%M"), "--fm",
                        "80.0", "--title", title)
            if added.returncode != 0:
                fail(f"resvman add: {added.returncode} {added.stdout} {added.stderr}")
            log(f"reservation {title!r} at {begins:%H:%M} UTC, waiting for it")
            return start

        def finished(title):
            shown = cli("history", "--json")
            if shown.returncode != 0:
                return None
            return next((e for e in json.loads(shown.stdout)
                         if e["event"] == "recording-finished" and e.get("title") == title),
                        None)

        start_manager()
        start = reserve(TITLE)
        report = wait_for(lambda: finished(TITLE), start + 60 + 40 - time.time(),
                          "finished report in the history")
        log(f"history: {report['outcome']} — {report['reason']}")
        if report["result"] != "recorded" or report["failed"] or report["source"] != "receiver":
            fail(f"not recorded whole from the receiver: {report}")
        if abs(report["seconds"] - 60.0) > 1.0 or not report["outcome"].startswith("Recorded "):
            fail(f"{report['seconds']} s recorded, not 60: {report}")
        path = report["file"]
        if not os.path.isfile(path) or not path.endswith(".opus"):
            fail(f"no Opus file at {path!r}")
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration",
                                "-of", "csv=p=0", path], capture_output=True, text=True,
                               timeout=30)
        length = float(probe.stdout.strip() or "nan")
        if not abs(length - 60.0) <= 1.0:
            fail(f"the file lasts {length} s, not 60 ± 1")
        log(f"file {path} lasts {length:.2f} s")
        started = [e for e in json.loads(cli("history", "--json").stdout)
                   if e["event"] == "recording-started" and e.get("title") == TITLE]
        if len(started) != 1:
            fail(f"{len(started)} start reports in the history, not 1")
        if notifications(TITLE):
            fail(f"a notification for a recording made whole: {notifications(TITLE)}")

        # No receiver: velto (started anew by the manager) reports the failure at once.
        stop_velto()
        for p in processes[1:]:
            stop(p)
        env["VELTO_SOURCE"] = "soapy:driver=velto-e2e-none"
        start_manager()
        start = reserve(TITLE_NONE)
        report = wait_for(lambda: finished(TITLE_NONE), start + 60 + 40 - time.time(),
                          "report of the recording without a receiver")
        log(f"history: {report['outcome']} — {report['reason']} ({report['reasonKey']})")
        if report["result"] != "failed" or not report["failed"] or report["file"]:
            fail(f"not reported as failed without a file: {report}")
        told = wait_for(lambda: notifications(TITLE_NONE), 10, "notification of the failure")
        if len(told) != 1 or not told[0]["summary"].startswith("Not recorded"):
            fail(f"not one notification of the failure: {told}")
        log(f"notified: {told[0]['summary']} / {told[0]['body']!r}")
        return 0
    finally:
        stop_velto()
        for p in processes:
            stop(p)
        if os.environ.get("VELTO_E2E_KEEP"):
            log(f"kept {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
