"""The real program, as root, against a live systemd, with wake-ups and shutdown on.

Everything runs inside the live systemd's namespaces: a private /tmp, an X server, a session
bus with the stand-in notification service, and the program (as root the broker starts
without pkexec). Reservations are typed into the reservation dialog as a user would.

  1. At start-up the pending one-off reservation gets its wake-up RESTORETIME (5) minutes
     before its start; adding one through the dialog plans its wake-up too.
  2. A weekly reservation is handed over, and its next week's wake-up is planned.
  3. A tool that hangs (on its lock, held by a stuck run) is ended; the window says why.
  4. Without an alarm clock the plan fails, and the window says why.
  5. A one-off reservation due in a minute: its shutdown lands 35 s after its end, the
     warning comes a minute before (countdown window and desktop notification), and the
     shutdown powers the namespace's systemd off.
  6. An RTC whose alarm reaches a day (WAKEALARMLIMIT=24): a reservation three days ahead
     gets relay wake-up timers, each within a day of the one before.
"""

import datetime
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

import live_tests
from harness import log
from live_tests import check, parsed

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from recording_e2e import presets_plist, JST, FM_PRESETS  # noqa: E402

LEAD = 300
NOTICE_BAND = (0xFF, 0xF4, 0xD6)  # the notice band's background


def record(nid, start, end, freq, title, week=0):
    return struct.pack("<iddI256sIBBxxI", nid, float(start), float(end), freq,
                       title.encode("utf-8"), week, 1, 1, 0)


def weekday_mask(instant):
    return 1 << (datetime.datetime.fromtimestamp(instant, JST).isoweekday() % 7)


class Program:
    """The program and its desktop inside a live systemd."""

    def __init__(self, case, args, sd, name, settings=""):
        self.case, self.args, self.sd = case, args, sd
        self.dir = os.path.join(case.work, name)
        self.place = os.path.join(self.dir, "place")
        self.home = os.path.join(self.dir, "home")
        self.runtime = os.path.join(self.dir, "runtime")
        self.notifications = os.path.join(self.dir, "notifications.jsonl")
        os.makedirs(self.place)
        os.makedirs(os.path.join(self.home, ".config", "Velto"))
        os.makedirs(self.runtime, mode=0o700)
        shutil.copytree(args.bundle, os.path.join(self.place, "ResvMan.app"), symlinks=True)
        # Run from this run's folder: /tmp and root's home folder, where the build tree may
        # lie, are covered inside the namespaces (see start()).
        self.standin = os.path.join(self.dir, "notifications-standin")
        shutil.copy2(args.notifications, self.standin)
        with open(os.path.join(self.home, ".config", "Velto", "ResvMan.conf"), "w") as f:
            f.write("[General]\nUSEACPI=1\nSHUTDOWN=1\nRESTORETIME=5\nSUSPENDFLAG=1\n" + settings)
        with open(os.path.join(self.home, ".config", "Velto", "Velto.plist"), "wb") as f:
            f.write(presets_plist())
        self.file = os.path.join(self.place, ".ResvInfo.dat")
        self.processes = []
        self.window = None

    def write_reservations(self, records):
        with open(self.file, "wb") as f:
            f.write(b"".join(records))

    def environment(self):
        return {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "HOME": self.home,
                "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
                "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
                "XDG_RUNTIME_DIR": self.runtime, "DISPLAY": self.display,
                "DBUS_SESSION_BUS_ADDRESS": self.bus, "LANG": "C.UTF-8", "LANGUAGE": "en",
                "TZ": "Asia/Tokyo", "QT_QPA_PLATFORM": "xcb", "NO_AT_BRIDGE": "1"}

    def start(self):
        sd = self.sd
        # /tmp of its own (the X server's socket and lock), and the login user's home folder
        # (where the presets are read) is this run's.
        sd.run(["mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", "/tmp"], check=True)
        sd.run(["mount", "--bind", self.home, os.path.expanduser("~root")], check=True)
        xvfb = sd.spawn(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24",
                         "-nolisten", "tcp"], stdout=subprocess.PIPE,
                        stderr=open(os.path.join(self.dir, "xvfb.log"), "wb"), text=True)
        self.processes.append(xvfb)
        number = xvfb.stdout.readline().strip()
        check(number.isdigit(), "Xvfb did not report its display")
        self.display = ":" + number
        bus = sd.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.processes.append(bus)
        self.bus = bus.stdout.readline().strip()
        check(self.bus.startswith("unix:"), "dbus-daemon did not report its address")
        standin = sd.spawn([self.standin, self.notifications],
                           env=self.environment(), stdout=subprocess.PIPE, text=True)
        self.processes.append(standin)
        check(standin.stdout.readline().strip() == "ready", "no notification stand-in")
        self.err = os.path.join(self.dir, "resvman.err")
        self.program = sd.spawn([os.path.join(self.place, "ResvMan.app", "AppRun")],
                                env=self.environment(), cwd=self.home,
                                stdin=subprocess.DEVNULL,
                                stdout=open(os.path.join(self.dir, "resvman.out"), "wb"),
                                stderr=open(self.err, "wb"))
        self.processes.append(self.program)
        self.window = self.wait_for(lambda: self.only_new_window(set()), 30, "the main window")
        self.xdo("mousemove", "0", "0")
        log(f"program up, main window {self.window}")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def wait_powered_off(self, deadline):
        """Waits until the live systemd has ended, or deadline (seconds since 1970).

        systemd-shutdown stops every process with SIGSTOP before it signals them. The ones
        started here run under an nsenter outside the namespaces, which stops itself when
        its child stops, and nothing in there would continue it: it would never reap its
        child, and systemd-shutdown would wait for those zombies. They are continued here,
        as a container manager's own children would be."""
        while time.time() < deadline:
            for process in self.processes:
                if process.poll() is None:
                    try:
                        os.kill(process.pid, signal.SIGCONT)
                    except ProcessLookupError:
                        pass
            if self.sd.wait_ended(0.5):
                return True
        lingering = self.sd.run(["ps", "-eo", "pid,stat,etime,cmd"]).stdout
        log(f"still running inside:\n{lingering}")
        return False

    # X

    def xdo(self, *args):
        result = self.sd.run(["xdotool", *args], env=self.environment(), timeout=30)
        if result.returncode != 0 and args[0] != "search":
            raise live_tests.Failure(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout

    def pid(self):
        out = self.sd.run(["pgrep", "-x", "resvman"]).stdout.split()
        return out[0] if out else None

    def windows(self):
        pid = self.pid()
        if pid is None:
            return set()
        return set(self.xdo("search", "--onlyvisible", "--pid", pid).split())

    def only_new_window(self, known):
        new = self.windows() - known
        return next(iter(new)) if len(new) == 1 else None

    def wait_for(self, probe, seconds, what):
        deadline = time.time() + seconds
        while True:
            value = probe()
            if value:
                return value
            if time.time() > deadline:
                raise live_tests.Failure(f"timed out after {seconds:.0f} s waiting for {what}")
            time.sleep(0.2)

    def keys(self, *names):
        self.xdo("key", "--clearmodifiers", "--delay", "80", *names)
        time.sleep(0.15)

    def type_text(self, text):
        self.xdo("type", "--clearmodifiers", "--delay", "60", text)
        time.sleep(0.15)

    def add_reservation(self, start, end, title):
        """A one-off FM reservation typed into the reservation dialog."""
        known = self.windows()
        self.xdo("windowfocus", "--sync", self.window)
        self.keys("ctrl+n")
        dialog = self.wait_for(lambda: self.only_new_window(known), 15, "the reservation dialog")
        self.wait_for(lambda: self.xdo("getwindowfocus").strip() == dialog, 5, "dialog focus")
        first, last = (datetime.datetime.fromtimestamp(t, JST) for t in (start, end))
        self.type_text(first.strftime("%Y%m%d"))
        self.keys("Tab")
        self.type_text(first.strftime("%H%M"))
        self.keys("Tab")
        self.type_text(last.strftime("%H%M"))
        self.keys("Tab", "Down", "Tab", "Tab")  # FM, its first preset
        self.type_text(title)
        self.keys("ctrl+Return")
        self.wait_for(lambda: dialog not in self.windows(), 15, "the dialog to close")

    def screenshot(self, name, window=None):
        path = os.path.join(self.dir, name + ".png")
        self.sd.run(["import", "-window", window or "root", path], env=self.environment())
        return path

    def shows_notice(self, name):
        """Whether the main window shows the notice band (saved as name.png)."""
        path = self.screenshot(name, self.window)
        ppm = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True)
        data = ppm.stdout
        band = sum(1 for i in range(0, len(data) - 2, 3)
                   if tuple(data[i:i + 3]) == NOTICE_BAND)
        return band > 2000

    def stderr(self):
        with open(self.err, errors="replace") as f:
            return f.read()


def wake_times(sd):
    return {at for kind, _, at, _ in parsed(sd.timers()).values() if kind == "wake"}


def shutdown_times(sd):
    return {at for kind, _, at, _ in parsed(sd.timers()).values() if kind == "shutdown"}


def run(case, args):
    for tool in ("Xvfb", "xdotool", "dbus-daemon", "import", "convert"):
        if shutil.which(tool) is None:
            raise live_tests.Failure(f"{tool} is not installed (scripts/deps.sh installs it)")
    fm = 0x01000000 + FM_PRESETS[0][0]

    # 1-3: wake-ups planned, after a hand-off too, and a hung tool ended.
    now = int(time.time())
    one_off = now + 3 * 3600
    weekly = now + 110  # handed over 60 s before its start
    with case.systemd() as sd:
        program = Program(case, args, sd, "plan")
        program.write_reservations([record(0, weekly, weekly + 60, fm, "weekly",
                                           weekday_mask(weekly)),
                                    record(1, one_off, one_off + 1800, fm, "one-off")])
        try:
            program.start()
            program.wait_for(lambda: wake_times(sd) == {one_off - LEAD}, 30,
                             "the one-off reservation's wake-up")
            check(not shutdown_times(sd), "a shutdown although a weekly reservation is active")
            log("start-up planned the wake-up 5 minutes before the one-off reservation")

            added = (now // 60 + 24 * 60) * 60  # tomorrow, on the minute
            program.add_reservation(added, added + 1800, "added")
            program.wait_for(lambda: wake_times(sd) == {one_off - LEAD, added - LEAD}, 30,
                             "the added reservation's wake-up")
            log("adding a reservation planned its wake-up")

            next_week = weekly + 7 * 86400
            program.wait_for(lambda: next_week - LEAD in wake_times(sd),
                             weekly - 60 - time.time() + 40, "next week's wake-up")
            check(wake_times(sd) == {one_off - LEAD, added - LEAD, next_week - LEAD},
                  f"wake-ups after the hand-off: {sorted(wake_times(sd))}")
            log("the weekly hand-off planned next week's wake-up")

            # A stuck run holds the tool's lock: the next plan's tool hangs and is ended.
            holder = sd.spawn(["flock", "/run/resvman-schedule.lock", "sleep", "600"])
            time.sleep(0.5)
            began = time.time()
            program.add_reservation(added + 7200, added + 9000, "while stuck")
            program.wait_for(lambda: "did not answer in time" in program.stderr(), 120,
                             "the plan to give up on the hung tool")
            log(f"the hung tool was ended; the plan failed after {time.time() - began:.0f} s")
            check(program.wait_for(lambda: program.shows_notice("hung-tool"), 10,
                                   "the notice in the window"), "no notice")
            holder.kill()
            sd.run(["pkill", "-x", "flock"])
        finally:
            program.stop()

    # 4: no alarm clock, so systemd refuses wake-up timers: the window says why.
    with case.systemd(shim=False) as sd:
        program = Program(case, args, sd, "no-alarm")
        program.write_reservations([record(0, one_off, one_off + 1800, fm, "one-off")])
        try:
            program.start()
            program.wait_for(lambda: "no alarm clock can wake this computer" in program.stderr(),
                             60, "the failed plan")
            check(program.wait_for(lambda: program.shows_notice("no-alarm-clock"), 10,
                                   "the notice in the window"), "no notice")
            log("a plan without an alarm clock failed, and the window shows why")
        finally:
            program.stop()

    # 6: alarms reach a day: relay wake-ups lead up to a reservation three days ahead.
    now = int(time.time())
    far = now + 3 * 86400
    with case.systemd() as sd:
        program = Program(case, args, sd, "relays", "WAKEALARMLIMIT=24\n")
        program.write_reservations([record(0, far, far + 1800, fm, "in three days")])
        try:
            program.start()
            program.wait_for(lambda: far - LEAD in wake_times(sd) and len(wake_times(sd)) >= 4,
                             30, "the relay wake-ups")
            times = sorted(wake_times(sd))
            check(times[-1] == far - LEAD, f"the last wake-up is not the reservation's: {times}")
            gaps = [b - a for a, b in zip([now] + times, times)]
            check(all(0 < gap <= 86400 for gap in gaps), f"a wake-up beyond a day: {times}")
            log(f"{len(times) - 1} relay wake-ups lead up to the reservation, at most "
                f"{max(gaps) / 3600:.1f} h apart")
        finally:
            program.stop()

    # 5: the shutdown after the last reservation, its warning, and the power-off.
    now = int(time.time())
    start = now + 80
    end = start + 30
    shutdown = end + 35
    with case.systemd() as sd:
        program = Program(case, args, sd, "shutdown")
        program.write_reservations([record(0, start, end, fm, "last one")])
        try:
            program.start()
            program.wait_for(lambda: shutdown_times(sd) == {shutdown}, 30, "the shutdown timer")
            log("the shutdown lands 35 s after the last end")
            known = program.windows()
            warning = program.wait_for(lambda: program.only_new_window(known),
                                       shutdown - 60 - time.time() + 15, "the shutdown warning")
            warned = time.time()
            check(shutdown - warned <= 62, f"warned {shutdown - warned:.0f} s before, not 60")
            program.screenshot("shutdown-warning", warning)
            def notified():
                with open(program.notifications) as f:
                    shown = [json.loads(line) for line in f if line.strip()]
                return any("Cancel shutdown" in n["actions"] for n in shown)
            program.wait_for(notified, 10, "a notification with Cancel shutdown")
            log(f"warned {shutdown - warned:.0f} s before the shutdown, window and notification")
            check(program.wait_powered_off(shutdown + 30),
                  "the planned shutdown did not power the live systemd off")
            log(f"the live systemd powered off {time.time() - shutdown:+.1f} s from its plan")
        finally:
            program.stop()
