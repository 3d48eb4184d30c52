#!/usr/bin/env python3
"""End-to-end run of the real program through its real windows.

A copied bundle with the stand-in companion beside it as Velto.app, a presets file of the
companion's, a private X server, session bus and home. The reservations are typed into the
reservation dialog with synthetic keyboard input (xdotool); what the companion receives is
read from the stand-in's JSON log, what the list holds from .ResvInfo.dat.

One program session, in this order:
  1. A reservation for tomorrow; exit is asked for and the countdown dialog cancelled: the
     program runs on and the file is untouched.
  2. A once-only FM reservation whose start is a little over a minute away, and a weekly AM
     reservation for today's weekday one minute after it.
  3. The first hand-off: the companion is started and gets exactly one recording message
     between 61 and 48 seconds before the start; the reservation leaves the file.
  4. The second hand-off: one message, and the weekly reservation comes back a week later
     under a new id.
     The stand-in answers each message with its two reports, "partial" (a dropout): each
     gets one desktop notification, and the history keeps the report beside the hand-over.
  5. Exit confirmed in the countdown dialog: the process ends and the file keeps what is
     still pending.
  6. Tomorrow's reservation moved to yesterday in the file: the second session starts with
     exactly one desktop notification (a stand-in notification service), naming it.
  7. That session, ended by SIGTERM while the reservation dialog is open: the dialog ends
     as if cancelled and the process exits with status 0 within a second.

Everything runs in private mount, PID and network namespaces, so that the X server and the
bus are this run's own and every process started here ends with it, and so that the
companion's presets, which the program reads from the login user's home folder, come from
this run's folder. Exit code 77 (skipped) when namespaces are not available.
"""

import argparse
import ctypes
import datetime
import json
import math
import os
import plistlib
import pwd
import shutil
import signal
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
RECORD_SIZE = 292
JST = datetime.timezone(datetime.timedelta(hours=9))
DAY = 86400
FM_BAND = 0x01000000
MESSAGE = "Schedule_Notification_SendMessage"
REPORTS = ("Velto_Notification_RecordingStarted", "Velto_Notification_RecordingFinished")

# Presets of the companion: 12 FM slots, then 12 AM slots, 260 bytes each.
FM_PRESETS = {0: (7650, "ダミー放送FM"), 2: (8000, "テスト放送FM")}
AM_PRESETS = {0: (594, "テスト放送AM"), 3: (954, "もうひとつのAM")}

TITLE_ONCE = "テスト録音 一回目"
TITLE_WEEKLY = "毎週の番組テスト"
TITLE_TOMORROW = "明日の予約"

SANDBOX_MARK = "RESVMAN_E2E_SANDBOX"


class Failure(Exception):
    pass


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def check(condition, text):
    if not condition:
        raise Failure(text)


# --- the reservation file ------------------------------------------------------------------

def parse_records(data):
    check(len(data) % RECORD_SIZE == 0, f".ResvInfo.dat is {len(data)} bytes, not whole records")
    records = []
    for offset in range(0, len(data), RECORD_SIZE):
        raw = data[offset:offset + RECORD_SIZE]
        nid, start, end, freq = struct.unpack_from("<iddI", raw, 0)
        title = raw[24:280].split(b"\0", 1)[0].decode("utf-8", "replace")
        week, = struct.unpack_from("<I", raw, 280)
        state, = struct.unpack_from("<I", raw, 288)
        records.append({"id": nid, "start": start, "end": end, "freq": freq, "title": title,
                        "week": week, "pending": raw[284], "valid": raw[285], "state": state})
    return records


def describe(record):
    when = lambda t: datetime.datetime.fromtimestamp(t, JST).strftime("%Y-%m-%d %H:%M:%S")
    band = "FM" if record["freq"] >> 24 else "AM"
    return (f"id {record['id']} {when(record['start'])} .. {when(record['end'])} JST "
            f"{band} {record['freq'] & 0xFFFFFF} week {record['week']:#x} "
            f"pending {record['pending']} valid {record['valid']} state {record['state']} "
            f"{record['title']!r}")


def presets_plist():
    def slots(table):
        out = b""
        for i in range(12):
            freq, name = table.get(i, (0, ""))
            out += struct.pack("<I", freq) + name.encode("utf-8").ljust(256, b"\0")
        return out
    return plistlib.dumps({"Presets": slots(FM_PRESETS) + slots(AM_PRESETS)},
                          fmt=plistlib.FMT_BINARY)


# --- namespaces ----------------------------------------------------------------------------

def enter_sandbox(argv):
    """Runs this script again as PID 1 of fresh mount, PID and network namespaces."""
    command = ["unshare", "--mount", "--propagation", "private", "--pid", "--fork",
               "--kill-child", "--mount-proc", "--net"]
    if os.geteuid() != 0:
        command[1:1] = ["--map-current-user", "--keep-caps"]
    try:
        probe = subprocess.run(command + ["true"], capture_output=True, text=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired) as error:
        probe = None
        reason = str(error)
    else:
        reason = probe.stderr.strip()
    if probe is None or probe.returncode != 0:
        print(f"skipped: no private namespaces here ({reason})", flush=True)
        sys.exit(SKIP)
    env = dict(os.environ, **{SANDBOX_MARK: "1"})
    os.execvpe(command[0], command + ["--", sys.executable, "-u", os.path.abspath(sys.argv[0])]
               + argv, env)


MS_BIND = 0x1000


def mount(source, target, fstype=None, flags=0, options=None):
    """mount(2) itself: mount(8) refuses users other than root even inside the namespace."""
    libc = ctypes.CDLL(None, use_errno=True)
    encode = lambda text: text.encode() if text is not None else None
    if libc.mount(encode(source), encode(target), encode(fstype), ctypes.c_ulong(flags),
                  encode(options)) != 0:
        error = ctypes.get_errno()
        raise Failure(f"cannot mount {source} on {target}: {os.strerror(error)}")


# --- the run -------------------------------------------------------------------------------

class Run:
    def __init__(self, args):
        self.args = args
        self.processes = []
        self.program = None
        self.main_window = None
        self.started = time.time()
        self.shots = []
        self.dialogs = 0
        self.work = None
        self.file = ""
        self.companion_log = ""

    # set-up

    def prepare(self):
        # Reached through a descriptor: the folder may lie under what is covered below.
        self.artifacts_shown = os.path.abspath(self.args.artifacts)
        os.makedirs(self.artifacts_shown, exist_ok=True)
        descriptor = os.open(self.artifacts_shown, os.O_RDONLY | os.O_DIRECTORY)
        self.artifacts = f"/proc/{os.getpid()}/fd/{descriptor}"
        for name in os.listdir(self.artifacts):
            if name.endswith((".png", ".txt", ".dat")):
                os.unlink(os.path.join(self.artifacts, name))

        # The build tree may lie under /tmp too: keep the bundle and the stand-in reachable
        # through descriptors once the private /tmp covers them.
        bundle_fd = os.open(os.path.abspath(self.args.bundle), os.O_RDONLY | os.O_DIRECTORY)
        standin_fd = os.open(os.path.abspath(self.args.standin), os.O_RDONLY)
        notifications_fd = os.open(os.path.abspath(self.args.notifications), os.O_RDONLY)
        self.notifications = f"/proc/{os.getpid()}/fd/{notifications_fd}"
        bundle_source = f"/proc/{os.getpid()}/fd/{bundle_fd}"
        standin_source = f"/proc/{os.getpid()}/fd/{standin_fd}"

        # A private /tmp: the X server's lock and socket, the bus and the work folder.
        mount("tmpfs", "/tmp", "tmpfs", 0, "mode=1777")
        self.work = tempfile.mkdtemp(prefix="resvman-e2e-", dir="/tmp")
        self.home = os.path.join(self.work, "home")
        self.config = os.path.join(self.home, ".config")
        self.runtime = os.path.join(self.work, "runtime")
        self.place = os.path.join(self.work, "Applications")
        os.makedirs(os.path.join(self.config, "Velto"))
        os.makedirs(self.runtime, mode=0o700)
        os.makedirs(self.place)

        # The bundle as a user would have it: copied, the companion beside it.
        self.bundle = os.path.join(self.place, "ResvMan.app")
        shutil.copytree(bundle_source, self.bundle, symlinks=True)
        os.close(bundle_fd)
        companion = os.path.join(self.place, "Velto.app")
        os.makedirs(companion)
        shutil.copy2(standin_source, os.path.join(companion, "AppRun"))
        os.close(standin_fd)
        self.file = os.path.join(self.place, ".ResvInfo.dat")
        self.companion_log = os.path.join(self.work, "velto-standin.jsonl")

        with open(os.path.join(self.config, "Velto", "Velto.plist"), "wb") as out:
            out.write(presets_plist())
        # The program looks for the presets in the login user's home folder, whatever HOME
        # says: for the life of the namespace that folder is this run's. Everything needed
        # from the build tree, which may lie in it, has been copied by now.
        login_home = pwd.getpwuid(os.getuid()).pw_dir
        check(os.path.isdir(login_home), f"the login user's home folder {login_home} is missing")
        mount(self.home, login_home, None, MS_BIND)

    def spawn(self, command, **kwargs):
        process = subprocess.Popen(command, **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                    "-nolisten", "tcp"], pass_fds=[write_end], stdout=subprocess.DEVNULL,
                   stderr=open(os.path.join(self.work, "xvfb.log"), "wb"))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        check(number.isdigit(), "Xvfb did not report its display")
        self.display = ":" + number

    def start_bus(self):
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.bus_address = bus.stdout.readline().strip()
        check(self.bus_address.startswith("unix:"), "dbus-daemon did not report its address")
        # The desktop's notification service: each notification shown, one JSON line.
        self.notification_log = os.path.join(self.work, "notifications.jsonl")
        service = self.spawn([self.notifications, self.notification_log],
                             env={"DBUS_SESSION_BUS_ADDRESS": self.bus_address,
                                  "QT_QPA_PLATFORM": "offscreen"},
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        check(service.stdout.readline().strip() == "ready",
              "the notification stand-in did not take its name")

    def notifications_shown(self):
        try:
            with open(self.notification_log, encoding="utf-8") as f:
                return [json.loads(line) for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def environment(self):
        return {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_RUNTIME_DIR": self.runtime,
            "DISPLAY": self.display,
            "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
            "LANG": "C.UTF-8",
            "LANGUAGE": "ja_JP:ja",
            "TZ": "Asia/Tokyo",
            "QT_QPA_PLATFORM": "xcb",
            "NO_AT_BRIDGE": "1",
            "VELTO_STANDIN_LOG": self.companion_log,
            # The stand-in reports every recording as partial, one dropout.
            "VELTO_STANDIN_REPORT": "partial",
            "VELTO_STANDIN_REASON": "source-lost",
            "VELTO_STANDIN_REASON_TEXT": "The receiver was lost for 4 s.",
            "VELTO_STANDIN_FILE": os.path.join(self.home, "Music", "Radio", "recording.opus"),
            "VELTO_STANDIN_SECONDS": "56.5",
            "VELTO_STANDIN_DROPOUTS": "1",
        }

    def start_program(self):
        self.out = open(os.path.join(self.work, "resvman.out"), "wb")
        self.err = open(os.path.join(self.work, "resvman.err"), "wb")
        self.program = self.spawn([os.path.join(self.bundle, "AppRun")], env=self.environment(),
                                  cwd=self.home, stdin=subprocess.DEVNULL, stdout=self.out,
                                  stderr=self.err)
        self.main_window = self.wait_for(lambda: self.only_new_window(set()), 20,
                                         "the main window")
        log(f"main window {self.main_window}")
        # The pointer out of the way: a tooltip would count as a new window.
        self.xdo("mousemove", "0", "0")

    # X input and windows

    def xdo(self, *args, check_result=True):
        try:
            result = subprocess.run(["xdotool", *args], env=self.environment(),
                                    capture_output=True, text=True, timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure(f"xdotool {' '.join(args)} did not return")
        if check_result and result.returncode != 0 and args[0] != "search":
            raise Failure(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout

    def windows(self):
        """The program's mapped top-level windows."""
        if self.program is None or self.program.poll() is not None:
            return set()
        out = self.xdo("search", "--onlyvisible", "--pid", str(self.program.pid))
        return {line for line in out.split() if line}

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
                raise Failure(f"timed out after {seconds} s waiting for {what}")
            time.sleep(0.1)

    def focus(self, window):
        if self.xdo("getwindowfocus").strip() != window:
            self.xdo("windowfocus", "--sync", window)
        self.wait_for(lambda: self.xdo("getwindowfocus").strip() == window, 5,
                      f"keyboard focus on window {window}")

    def keys(self, *names):
        if not names:
            return
        self.xdo("key", "--clearmodifiers", "--delay", "80", *names)
        time.sleep(0.15)

    def type_text(self, text):
        # Characters off the keyboard map are typed through a remapped key each: slower,
        # so that the program has taken each new map before the next.
        delay = "60" if text.isascii() else "120"
        self.xdo("type", "--clearmodifiers", "--delay", delay, text)
        time.sleep(0.15)

    def open_dialog(self, keys):
        """Sends keys to the main window and waits for the window they open."""
        known = self.windows()
        check(self.main_window in known, "the main window is not shown")
        self.focus(self.main_window)
        self.keys(*keys)
        dialog = self.wait_for(lambda: self.only_new_window(known), 10,
                               f"a dialog after {' '.join(keys)}")
        # The program gives its dialogs the focus itself.
        self.wait_for(lambda: self.xdo("getwindowfocus").strip() == dialog, 5,
                      f"focus in dialog {dialog}")
        return dialog

    def wait_closed(self, window, seconds=10):
        self.wait_for(lambda: window not in self.windows(), seconds, f"window {window} to close")

    def screenshot(self, name):
        path = os.path.join(self.artifacts, name + ".png")
        result = subprocess.run(["import", "-window", "root", path], env=self.environment(),
                                capture_output=True, timeout=30)
        if result.returncode == 0:
            shown = os.path.join(self.artifacts_shown, name + ".png")
            self.shots.append(shown)
            log(f"screenshot {shown}")

    # the reservation dialog

    def add_reservation(self, start, end, fm, entry, title, weekday=None):
        """Fills in a new reservation with the keyboard and registers it.

        start and end are whole minutes (epoch seconds); entry is the position of the
        preset in the channel list of the band; weekday (0 Sunday) makes it weekly."""
        began = time.time()
        dialog = self.open_dialog(["ctrl+n"])
        first, last = (datetime.datetime.fromtimestamp(t, JST) for t in (start, end))
        # The dialog opens on the day field's year; a filled section moves on to the next,
        # and Tab leaves a field from its last section. A weekly reservation keeps today
        # as its day and finds its weekday from there.
        day = datetime.datetime.now(JST) if weekday is not None else first
        self.type_text(day.strftime("%Y%m%d"))
        self.keys("Tab")
        self.type_text(first.strftime("%H%M"))
        self.keys("Tab")
        self.type_text(last.strftime("%H%M"))
        self.keys("Tab")
        if fm:
            self.keys("Down")  # AM to FM: the first FM preset is chosen
        self.keys("Tab")
        self.keys(*["Down"] * entry)
        self.keys("Tab")
        self.type_text(title)
        if weekday is not None:
            self.keys(*["Tab"] * (weekday + 1), "space")
        self.dialogs += 1
        self.screenshot(f"dialog-{self.dialogs}")
        self.keys("ctrl+Return")
        self.wait_closed(dialog)
        log(f"registered {title!r} in {time.time() - began:.1f} s")
        return time.time() - began

    def read_file(self):
        if not os.path.exists(self.file):
            return []
        with open(self.file, "rb") as f:
            return parse_records(f.read())

    def companion_lines(self):
        if not os.path.exists(self.companion_log):
            return []
        with open(self.companion_log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    # diagnostics and clean-up

    def report_failure(self):
        print("\n==== diagnostics ====", flush=True)
        if self.work is None:
            return  # nothing was started
        try:
            self.screenshot("failure")
        except Exception as error:  # the X server may be gone
            print(f"no screenshot: {error}")
        print(f"windows of the program: {sorted(self.windows())}")
        print("-- .ResvInfo.dat")
        if os.path.exists(self.file):
            shutil.copy(self.file, os.path.join(self.artifacts, "ResvInfo.dat"))
        try:
            for record in self.read_file():
                print("  " + describe(record))
        except Failure as error:
            print(f"  {error}")
        for title, path in (("stand-in companion's log", self.companion_log),
                            ("program stdout", os.path.join(self.work, "resvman.out")),
                            ("program stderr", os.path.join(self.work, "resvman.err")),
                            ("Xvfb", os.path.join(self.work, "xvfb.log"))):
            if not path or not os.path.exists(path):
                print(f"-- {title}: none")
                continue
            kept = os.path.basename(path) + ".txt"
            shutil.copy(path, os.path.join(self.artifacts, kept))
            print(f"-- {title} (kept as {os.path.join(self.artifacts_shown, kept)})")
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            print(text if text.strip() else "  (empty)")
        for path in self.shots:
            print(f"screenshot: {path}")
        sys.stdout.flush()

    def clean_up(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        deadline = time.time() + 5
        for process in reversed(self.processes):
            try:
                process.wait(max(0.1, deadline - time.time()))
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        # Whatever else was started here (the companion, started detached by the program)
        # was handed to this process, the namespace's first: end and reap it.
        for pid in os.listdir("/proc"):
            if pid.isdigit() and int(pid) != os.getpid():
                try:
                    os.kill(int(pid), signal.SIGKILL)
                except ProcessLookupError:
                    pass
        try:
            while os.waitpid(-1, 0):
                pass
        except ChildProcessError:
            pass


# --- the scenario --------------------------------------------------------------------------

def expect_record(records, title, start, end, freq, week):
    found = [r for r in records if r["title"] == title]
    check(len(found) == 1, f"{len(found)} reservations titled {title!r} in .ResvInfo.dat")
    record = found[0]
    wanted = {"start": float(start), "end": float(end), "freq": freq, "week": week,
              "pending": 1, "valid": 1}
    got = {key: record[key] for key in wanted}
    check(got == wanted, f"{title!r} is stored as {got}, not {wanted}")
    return record


def recording_messages(lines):
    return [line for line in lines
            if line.get("event") == "notification" and line.get("name") == MESSAGE]


def check_message(line, record, channel, band):
    """The recording message for record: its object, its six typed entries, its timing."""
    check(line.get("object") == "message", f"message object {line.get('object')!r}")
    got = {key: (value.get("type"), value.get("value"))
           for key, value in line.get("userInfo", {}).items()}
    wanted = {"CH": ("i", channel), "BAND": ("s", band),
              "RecStartTime": ("d", record["start"]), "RecEndTime": ("d", record["end"]),
              "Title": ("s", record["title"]), "AppTerminate": ("b", False)}
    check(got == wanted, f"recording message {got}, wanted {wanted}")
    ahead = record["start"] - line["time"]
    check(48.0 <= ahead <= 61.0,
          f"the message for {record['title']!r} came {ahead:.1f} s before the start, "
          "not between 61 and 48 s")
    return ahead


def wait_for_handoff(run, record, channel, band):
    """Waits for the one message about record and for the record to leave the file."""
    title = record["title"]
    line = run.wait_for(
        lambda: next((m for m in recording_messages(run.companion_lines())
                      if m.get("userInfo", {}).get("Title", {}).get("value") == title), None),
        max(5.0, record["start"] - 40 - time.time()), f"the recording message for {title!r}")
    ahead = check_message(line, record, channel, band)
    log(f"message for {title!r} arrived {ahead:.1f} s before its start")
    run.wait_for(lambda: all((r["title"], r["start"]) != (title, record["start"])
                             for r in run.read_file()),
                 max(5.0, record["start"] - 35 - time.time()),
                 f"{title!r} to leave .ResvInfo.dat")
    return ahead


def scenario(run):
    # 1. A reservation for tomorrow keeps the exit from going ahead unasked; cancelled,
    #    nothing changes.
    now = datetime.datetime.now(JST)
    noon = (now + datetime.timedelta(days=1)).replace(hour=12, minute=0, second=0,
                                                       microsecond=0)
    tomorrow_start = noon.timestamp()
    took = run.add_reservation(tomorrow_start, tomorrow_start + 1800, fm=False, entry=1,
                               title=TITLE_TOMORROW)
    expect_record(run.read_file(), TITLE_TOMORROW, tomorrow_start,
                  tomorrow_start + 1800, AM_PRESETS[3][0], 0)
    with open(run.file, "rb") as f:
        saved = f.read()

    main_name = run.xdo("getwindowname", run.main_window).strip()
    countdown = run.open_dialog(["ctrl+q"])
    check(run.xdo("getwindowname", countdown).strip() == main_name,
          "the window opened by the exit command is not the countdown dialog")
    run.screenshot("countdown-1")
    run.keys("Tab", "space")  # from OK, which has the focus, to Cancel
    run.wait_closed(countdown)
    time.sleep(1.0)
    check(run.program.poll() is None, "the program ended although the exit was cancelled")
    check(run.main_window in run.windows(), "the main window went away after Cancel")
    with open(run.file, "rb") as f:
        check(f.read() == saved, ".ResvInfo.dat changed although the exit was cancelled")
    log("exit cancelled: still running, file untouched")

    # 2. A once-only FM reservation a little over a minute ahead and a weekly AM one on the
    #    minute after; slow typing moves both further out.
    lead = 60 + max(20.0, 3 * took)
    once_start = math.ceil((time.time() + lead) / 60) * 60
    weekly_start = once_start + 60
    weekday = datetime.datetime.fromtimestamp(weekly_start, JST).isoweekday() % 7
    run.add_reservation(once_start, once_start + 60, fm=True, entry=1, title=TITLE_ONCE)
    check(time.time() < once_start - 62,
          "typing the reservation took so long that it was due at once")
    run.add_reservation(weekly_start, weekly_start + 240, fm=False, entry=0,
                        title=TITLE_WEEKLY, weekday=weekday)
    records = run.read_file()
    check(len(records) == 3, f"{len(records)} reservations in the file, not 3")
    once = expect_record(records, TITLE_ONCE, once_start, once_start + 60,
                         FM_BAND + FM_PRESETS[2][0], 0)
    weekly = expect_record(records, TITLE_WEEKLY, weekly_start, weekly_start + 240,
                           AM_PRESETS[0][0], 1 << weekday)
    run.screenshot("three-reservations")
    log(f"waiting for the hand-offs at {time.strftime('%H:%M:%S', time.localtime(once_start))}"
        f" and {time.strftime('%H:%M:%S', time.localtime(weekly_start))} local time")

    # 3. The once-only reservation is handed over: companion started, one message, gone.
    wait_for_handoff(run, once, FM_PRESETS[2][0], "FM")
    lines = run.companion_lines()
    starts = [line for line in lines if line.get("event") == "start"]
    check(len(starts) == 1, f"the companion was started {len(starts)} times")
    first_message = recording_messages(lines)[0]
    check(once_start - 62 <= starts[0]["time"] <= first_message["time"],
          "the companion did not start between the due moment and the message")
    records = run.read_file()
    check(len(records) == 2, f"{len(records)} reservations left after the first hand-off")
    expect_record(records, TITLE_WEEKLY, weekly_start, weekly_start + 240,
                  AM_PRESETS[0][0], 1 << weekday)
    expect_record(records, TITLE_TOMORROW, tomorrow_start, tomorrow_start + 1800,
                  AM_PRESETS[3][0], 0)

    # 4. The weekly one is handed over and comes back a week later under a new id.
    wait_for_handoff(run, weekly, AM_PRESETS[0][0], "AM")
    records = run.read_file()
    check(len(records) == 2, f"{len(records)} reservations left after the second hand-off")
    again = expect_record(records, TITLE_WEEKLY, weekly_start + 7 * DAY,
                          weekly_start + 7 * DAY + 240, AM_PRESETS[0][0], 1 << weekday)
    check(again["id"] != weekly["id"], "the weekly reservation came back under its old id")
    expect_record(records, TITLE_TOMORROW, tomorrow_start, tomorrow_start + 1800,
                  AM_PRESETS[3][0], 0)
    lines = run.companion_lines()
    check(len(recording_messages(lines)) == 2,
          f"{len(recording_messages(lines))} recording messages, not 2")
    check(all(line.get("event") == "start" or line.get("name") in (MESSAGE,) + REPORTS
              for line in lines),
          "the companion heard something besides its start, the two recording messages and "
          "its own reports")
    # Each partial recording is told once, naming it.
    for title in (TITLE_ONCE, TITLE_WEEKLY):
        told = run.wait_for(
            lambda: [n for n in run.notifications_shown() if title in n["summary"]], 20,
            f"the notification of the partial recording of {title!r}")
        check(len(told) == 1 and "一部しか録音できませんでした" in told[0]["summary"]
              and "1 回途切れました" in told[0]["body"],
              f"not one notification of the partial recording of {title!r}: {told}")
        log(f"notified: {told[0]['summary']} / {told[0]['body']}")
    run.screenshot("after-handoffs")

    # 5. Exit confirmed: the program saves and ends.
    with open(run.file, "rb") as f:
        saved = f.read()
    countdown = run.open_dialog(["ctrl+q"])
    run.screenshot("countdown-2")
    run.keys("Return")
    began = time.time()
    run.wait_for(lambda: run.program.poll() is not None, 15, "the program to end after OK")
    check(run.program.returncode == 0, f"the program ended with {run.program.returncode}")
    log(f"program ended {time.time() - began:.1f} s after OK")
    records = run.read_file()
    check(len(records) == 2, f"{len(records)} reservations in the file after exit, not 2")
    # The history keeps each report beside its hand-over.
    db = sqlite3.connect(f"file:{os.path.join(run.place, '.ResvHistory.db')}?mode=ro", uri=True)
    rows = db.execute("SELECT title, kind, outcome, file, seconds, reason_key, dropouts, source"
                      " FROM events WHERE kind IN (1, 12, 13) ORDER BY id").fetchall()
    db.close()
    for title in (TITLE_ONCE, TITLE_WEEKLY):
        kinds = [r[1] for r in rows if r[0] == title]
        check(kinds == [1, 12, 13], f"history rows of {title!r}: kinds {kinds}, not 1, 12, 13")
        finished = next(r for r in rows if r[0] == title and r[1] == 13)
        check(finished[2:] == (1, os.path.join(run.home, "Music", "Radio", "recording.opus"),
                               56.5, "source-lost", 1, "receiver"),
              f"the finished report of {title!r} is kept as {finished}")
    # And `resvman history --json` carries them.
    shown = subprocess.run([os.path.join(run.bundle, "AppRun"), "history", "--json"],
                           env=run.environment(), cwd=run.home, capture_output=True, text=True,
                           timeout=30, stdin=subprocess.DEVNULL)
    check(shown.returncode == 0, f"history --json ended with {shown.returncode}: {shown.stderr}")
    reports = [e for e in json.loads(shown.stdout) if e["event"] == "recording-finished"]
    check(sorted(e["title"] for e in reports) == sorted([TITLE_ONCE, TITLE_WEEKLY])
          and all(e["result"] == "partial" and e["failed"] and e["dropouts"] == 1
                  and e["reasonKey"] == "source-lost" and e["outcome"].startswith("一部のみ録音 0:56")
                  for e in reports),
          f"history --json does not carry the two partial reports: {reports}")
    log("history: both hand-overs with their start and partial finished reports, also in "
        "history --json")
    with open(run.file, "rb") as f:
        check(f.read() == saved, ".ResvInfo.dat changed on exit")

    # 6. Tomorrow's reservation is moved to yesterday while the program is not running: the
    #    next start says, in one notification, that it was missed, naming it.
    data = bytearray(saved)
    for offset in range(0, len(data), RECORD_SIZE):
        if parse_records(bytes(data[offset:offset + RECORD_SIZE]))[0]["title"] == TITLE_TOMORROW:
            start, end = struct.unpack_from("<dd", data, offset + 4)
            struct.pack_into("<dd", data, offset + 4, start - 2 * DAY, end - 2 * DAY)
    with open(run.file, "wb") as f:
        f.write(data)
    saved = bytes(data)
    earlier = len(run.notifications_shown())
    run.start_program()
    missed = run.wait_for(
        lambda: [n for n in run.notifications_shown()[earlier:] if TITLE_TOMORROW in n["body"]],
        20, "the start-up notification of the missed reservation")
    time.sleep(2.0)  # nothing else may follow
    shown = run.notifications_shown()[earlier:]
    check(len(missed) == 1 and len(shown) == 1,
          f"{len(shown)} notifications at start-up, not one naming the missed reservation: "
          f"{shown}")
    log(f"start-up notification: {missed[0]['summary']} / {missed[0]['body']}")

    # 7. SIGTERM with the reservation dialog open ends the program as an exit would.
    run.open_dialog(["ctrl+n"])
    run.type_text("not registered")
    run.program.send_signal(signal.SIGTERM)
    began = time.time()
    run.wait_for(lambda: run.program.poll() is not None, 15, "the program to end after SIGTERM")
    took = time.time() - began
    check(run.program.returncode == 0, f"the program ended with {run.program.returncode}")
    check(took < 1.0, f"the program took {took:.2f} s to end after SIGTERM")
    log(f"program ended {took:.2f} s after SIGTERM with the reservation dialog open")
    records = run.read_file()
    check(len(records) == 2 and not any(r["title"] == "not registered" for r in records),
          "SIGTERM with the dialog open changed the reservations: "
          + "; ".join(describe(r) for r in records))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bundle", required=True, help="the built ResvMan.app")
    parser.add_argument("--standin", required=True, help="the built velto-standin")
    parser.add_argument("--notifications", required=True,
                        help="the built notification service stand-in")
    parser.add_argument("--artifacts", required=True, help="where screenshots and logs go")
    args = parser.parse_args()
    missing = [tool for tool in ("unshare", "Xvfb", "dbus-daemon", "xdotool", "import")
               if shutil.which(tool) is None]
    if missing:
        print(f"FAILED: {', '.join(missing)} not installed (scripts/deps.sh installs them)")
        return 1
    if os.environ.get(SANDBOX_MARK) != "1":
        enter_sandbox(sys.argv[1:])

    run = Run(args)
    try:
        run.prepare()
        run.start_display()
        run.start_bus()
        run.start_program()
        scenario(run)
    except BaseException as error:
        print(f"\nFAILED: {error}", flush=True)
        if not isinstance(error, Failure):
            traceback.print_exc()
        run.report_failure()
        return 1
    finally:
        run.clean_up()
    log(f"passed in {time.time() - run.started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
