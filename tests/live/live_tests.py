#!/usr/bin/env python3
"""Wake-ups and shutdowns against a live systemd (see harness.py), as root.

  tool     the schedule tool's timers: names, WakeSystem, elapse times, the RTC alarm,
           cancels by kind and by user, the cap of 64 wake-ups per user, a machine that
           cannot be woken by a timer, and a near shutdown that powers systemd off;
  broker   the broker in front of the tool, and a tool that hangs, ended at its deadline;
  program  the real program with wake-ups and shutdown on (see program_case.py).

Usage: live_tests.py CASE --bundle DIR --shim SO --notifications PROGRAM --artifacts DIR
"""

import argparse
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import LiveSystemd, log  # noqa: E402

EPOCH_2001 = 978307200
SET_CODE, CANCEL_CODE, CONFIRM_CODE = "73019482", "18264530", "18264597"
TIMER = re.compile(r"resvman-(wake|shutdown)-(?:u(\d+)-)?(\d+)-(\d+)\.timer$")


class Failure(Exception):
    pass


def check(condition, text):
    if not condition:
        raise Failure(text)


def absolute(unix_time):
    """The tool's time argument for an instant."""
    return f"{unix_time - EPOCH_2001:.10f}"


def elapse(properties):
    """NextElapseUSecRealtime as seconds since 1970 (shown in UTC by timers())."""
    text = properties.get("NextElapseUSecRealtime", "")
    match = re.search(r"(\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d)", text)
    check(match, f"no elapse time in {properties}")
    import calendar
    return calendar.timegm(tuple(int(g) for g in match.groups()) + (0, 0, 0))


def parsed(timers):
    """{name: (kind, user, time, serial)} of the tool's timers."""
    out = {}
    for name in timers:
        match = TIMER.match(name)
        check(match, f"a timer the tool would not have named so: {name}")
        kind, user, at, serial = match.groups()
        out[name] = (kind, int(user) if user else None, int(at), int(serial))
    return out


class Case:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        # A root-only copy of the privileged pair: the broker runs nothing else.
        self.helper = os.path.join(work, "helper")
        os.makedirs(self.helper, mode=0o755)
        for name in ("schedule", "resvman-schedule-broker"):
            shutil.copy2(os.path.join(args.bundle, name), os.path.join(self.helper, name))
        # The shim too: the build tree may lie where the namespaces cover it.
        self.shim = os.path.join(work, "alarm-clock-shim.so")
        shutil.copy2(args.shim, self.shim)
        self.tool = os.path.join(self.helper, "schedule")
        self.broker = os.path.join(self.helper, "resvman-schedule-broker")
        self.rtc = os.path.join(work, "rtc")
        os.makedirs(os.path.join(self.rtc, "rtc0"))
        with open(self.alarm_path(), "w"):
            pass

    def alarm_path(self):
        return os.path.join(self.rtc, "rtc0", "wakealarm")

    def alarm(self):
        with open(self.alarm_path()) as f:
            text = f.read().strip()
        return int(text) if text else 0

    def systemd(self, shim=True):
        return LiveSystemd(os.path.join(self.work, f"systemd-{time.time_ns()}"),
                           shim=self.shim if shim else None, rtc=self.rtc)

    def tool_run(self, sd, user, *arguments, timeout=90):
        result = sd.run(["env", f"PKEXEC_UID={user}", self.tool, *arguments], timeout=timeout)
        return result.returncode, result.stderr.strip()


# --- the tool -----------------------------------------------------------------------------

def tool_case(case):
    now = int(time.time())
    t0, t1, t2, t3 = now + 1800, now + 3600, now + 7200, now + 9000
    with case.systemd() as sd:
        for user, kind, at in ((1000, "wake", t1), (1000, "wake", t1), (1000, "wake", t2),
                               (1001, "wake", t0), (1000, "shutdown", t3)):
            status, err = case.tool_run(sd, user, SET_CODE, kind, absolute(at))
            check(status == 0, f"{kind} at {at} for {user}: exit {status}: {err}")
        timers = sd.timers()
        names = parsed(timers)
        wanted = {("wake", 1000, t1, 0), ("wake", 1000, t1, 1), ("wake", 1000, t2, 0),
                  ("wake", 1001, t0, 0), ("shutdown", 1000, t3, 0)}
        check(set(names.values()) == wanted, f"timers {sorted(names.values())}, not {wanted}")
        for name, (kind, _, at, _) in names.items():
            properties = timers[name]
            check(elapse(properties) == at, f"{name} elapses at {properties}, not {at}")
            check(properties["AccuracyUSec"] == "1s", f"{name}: {properties}")
            check(properties["WakeSystem"] == ("yes" if kind == "wake" else "no"),
                  f"{name}: WakeSystem={properties['WakeSystem']}")
            check(properties["ActiveState"] == "active", f"{name}: {properties}")
        shutdown = next(n for n, v in names.items() if v[0] == "shutdown")
        command = sd.exec_start(timers[shutdown]["Unit"])
        # No logind answers in here: no inhibitors to honour, a plain power-off.
        check("systemctl poweroff" in command, f"the shutdown runs {command}")
        check(case.alarm() == t0, f"RTC alarm {case.alarm()}, not the earliest wake-up {t0}")
        log("five timers with their names, elapse times and WakeSystem; the RTC alarm")

        # A cancel takes the user's own timers of that kind and no one else's.
        status, err = case.tool_run(sd, 1000, CANCEL_CODE, "wake", CONFIRM_CODE)
        check(status == 0, f"cancel: {err}")
        left = set(parsed(sd.timers()).values())
        check(left == {("wake", 1001, t0, 0), ("shutdown", 1000, t3, 0)}, f"left: {left}")
        check(case.alarm() == t0, "the other user's alarm went with the cancel")
        status, err = case.tool_run(sd, 1001, CANCEL_CODE, "wake", CONFIRM_CODE)
        check(status == 0 and case.alarm() == 0, f"alarm {case.alarm()} after the last cancel")
        status, err = case.tool_run(sd, 1001, CANCEL_CODE, "shutdown", CONFIRM_CODE)
        check(set(parsed(sd.timers()).values()) == {("shutdown", 1000, t3, 0)},
              "another user's cancel took a shutdown that was not theirs")
        status, err = case.tool_run(sd, 1000, CANCEL_CODE, "shutdown", CONFIRM_CODE)
        check(status == 0 and not sd.timers(), f"timers left: {sd.timers()}")
        log("cancels by kind and by user")

        # At most 64 wake-ups per user.
        for i in range(65):
            status, err = case.tool_run(sd, 1002, SET_CODE, "wake", absolute(t1 + 60 * i))
            if i < 64:
                check(status == 0, f"wake-up {i + 1}: exit {status}: {err}")
        check(status == 6, f"the 65th wake-up: exit {status}, not 6 ({err})")
        check(len(sd.timers()) == 64, f"{len(sd.timers())} timers, not 64")
        status, err = case.tool_run(sd, 1003, SET_CODE, "wake", absolute(t1))
        check(status == 0, f"another user is not held by the first one's 64: {err}")
        case.tool_run(sd, 1002, CANCEL_CODE, "wake", CONFIRM_CODE)
        case.tool_run(sd, 1003, CANCEL_CODE, "wake", CONFIRM_CODE)
        check(not sd.timers(), "wake-ups left after the cancels")
        log("64 wake-ups per user, the 65th refused")

        # A shutdown brought near powers this systemd off; no logind here, so no inhibitor.
        status, err = case.tool_run(sd, 1000, SET_CODE, "shutdown", absolute(int(time.time()) + 3))
        check(status == 0, f"near shutdown: {err}")
        check(sd.wait_ended(30), "the near shutdown did not power the live systemd off")
        log("a near shutdown powered the namespace's systemd off")

    # Without an alarm clock systemd refuses wake-up timers: the tool says so, leaves none.
    with case.systemd(shim=False) as sd:
        status, err = case.tool_run(sd, 1000, SET_CODE, "wake", absolute(t1))
        check(status == 5, f"a refused wake-up timer: exit {status}, not 5 ({err})")
        check(not sd.timers(), f"a refused wake-up left {sd.timers()}")
        status, err = case.tool_run(sd, 1000, SET_CODE, "shutdown", absolute(t3))
        check(status == 0 and len(sd.timers()) == 1, f"shutdown without alarm clock: {err}")
        log("no alarm clock: wake-ups refused (exit 5), shutdowns still planned")


# --- the broker ---------------------------------------------------------------------------

def frame(text):
    data = text.encode()
    return struct.pack(">I", len(data)) + data


def read_frame(sock, timeout):
    sock.settimeout(timeout)
    header = b""
    while len(header) < 4:
        chunk = sock.recv(4 - len(header))
        check(chunk, "the broker closed the channel")
        header += chunk
    size = struct.unpack(">I", header)[0]
    body = b""
    while len(body) < size:
        chunk = sock.recv(size - len(body))
        check(chunk, "the broker closed the channel inside a frame")
        body += chunk
    return body.decode()


def request(sock, *arguments, timeout=90):
    sock.sendall(frame("".join(a + "\0" for a in arguments)))
    return read_frame(sock, timeout)


def broker_case(case):
    t1 = int(time.time()) + 3600
    with case.systemd() as sd:
        ours, theirs = socket.socketpair()
        broker = sd.spawn([case.broker], stdin=theirs, stdout=theirs,
                          stderr=open(os.path.join(case.work, "broker.log"), "wb"))
        theirs.close()
        try:
            check(read_frame(ours, 30) == "resvman-schedule-broker 1", "no greeting")
            check(request(ours, SET_CODE, "wake", absolute(t1)) == "started 0", "wake refused")
            names = set(parsed(sd.timers()).values())
            check(names == {("wake", 0, t1, 0)}, f"timers {names}")
            check(request(ours, "/bin/sh", "-c", "id") == "refused", "a shell was not refused")

            # A tool that hangs (here on its lock, held by a stuck run) is ended at 60 s.
            holder = sd.spawn(["flock", "/run/resvman-schedule.lock", "sleep", "600"])
            time.sleep(0.5)
            began = time.time()
            answer = request(ours, CANCEL_CODE, "wake", CONFIRM_CODE, timeout=120)
            took = time.time() - began
            check(answer == "timed-out", f"a hung tool answered {answer!r}")
            check(55 <= took <= 75, f"the hung tool was ended after {took:.0f} s, not 60")
            stuck = sd.run(["pgrep", "-x", "schedule"]).stdout.split()
            check(not stuck, f"tool processes left after the deadline: {stuck}")
            log(f"a hung tool was ended after {took:.1f} s")
            holder.kill()
            holder.wait()
            # flock's command keeps the lock it inherited: both go.
            sd.run(["pkill", "-x", "flock"])
            sd.run(["pkill", "-f", "^sleep 600$"])
            time.sleep(0.5)
            check(request(ours, CANCEL_CODE, "wake", CONFIRM_CODE) == "started 0",
                  "the broker did not serve the next run")
            check(not sd.timers(), "the cancel after the hang left timers")
        finally:
            ours.close()
            broker.wait(10)
        check(broker.returncode == 0, f"the broker ended with {broker.returncode}")
        log("the broker runs the tool, refuses anything else, and ends with its channel")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("case", choices=("tool", "broker", "program"))
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--shim", required=True)
    parser.add_argument("--notifications", required=True, help="notifications-standin")
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    args.bundle = os.path.abspath(args.bundle)
    args.shim = os.path.abspath(args.shim)

    def run(work):
        case = Case(args, work)
        if args.case == "tool":
            tool_case(case)
        elif args.case == "broker":
            broker_case(case)
        else:
            import program_case
            program_case.run(case, args)

    return harness.main(run, os.path.abspath(args.artifacts))


if __name__ == "__main__":
    sys.exit(main())
