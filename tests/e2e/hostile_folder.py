#!/usr/bin/env python3
"""A bundle copied into a folder every user may write, and another user who got there first.

Two users made for the run (numeric ids only): the victim copies the built bundle into a
/tmp-like folder (root's, sticky, writable by all) and starts it; before that, the attacker
has planted in that folder what the program used to take from beside its bundle:

  planted    a reservation due now and a Velto.app whose AppRun notes who ran it;
  symlink    .ResvInfo.dat as a symbolic link to one of the victim's own files;
  fifo       .ResvInfo.dat as a FIFO nobody writes to.

Each time the program must keep to the victim's per-user folder, say so on standard error,
start and end by itself, run nothing of the attacker's and leave the victim's file alone.
Needs root (to make the users' files) and setpriv; exit code 77 (skipped) otherwise.
"""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
VICTIM = 50100
ATTACKER = 50101


def as_user(uid, command, **kwargs):
    return subprocess.run(["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups",
                           "--"] + command, check=True, **kwargs)


def reservation(start, end, title):
    # 292 bytes: id, start, end, frequency, title, weekdays, pending, valid, padding, state.
    return struct.pack("<iddI256sIBBxxI", 0, start, end, 0x01000000 | 8000,
                       title.encode("utf-8"), 0, 1, 1, 0)


class Run:
    def __init__(self, root, bundle, case):
        self.case = case
        self.shared = os.path.join(root, case)  # stands for /tmp
        os.mkdir(self.shared)
        os.chmod(self.shared, 0o1777)
        self.marker = os.path.join(self.shared, "ran-by")  # where the planted AppRun writes
        self.home = os.path.join(root, case + "-home")
        os.mkdir(self.home, 0o700)
        os.chown(self.home, VICTIM, VICTIM)
        self.precious = os.path.join(self.home, "precious.txt")
        self.plant()
        as_user(VICTIM, ["cp", "-r", bundle, os.path.join(self.shared, "ResvMan.app")])
        with open(self.precious, "w") as out:
            out.write("the victim's own words\n")
        os.chown(self.precious, VICTIM, VICTIM)

    def plant(self):
        target = os.path.join(self.shared, ".ResvInfo.dat")
        if self.case == "planted":
            now = time.time()
            data = reservation(now + 61, now + 3600, "planted")
            app = os.path.join(self.shared, "Velto.app")
            script = f"#!/bin/sh\nid -u > '{self.marker}'\n"
            as_user(ATTACKER, ["sh", "-c", 'mkdir "$1" && cat > "$1/AppRun" && chmod 755 '
                               '"$1/AppRun"', "sh", app], input=script.encode())
            as_user(ATTACKER, ["sh", "-c", 'cat > "$1"', "sh", target], input=data)
        elif self.case == "symlink":
            as_user(ATTACKER, ["ln", "-s", os.path.join(self.home, "precious.txt"), target])
        elif self.case == "fifo":
            as_user(ATTACKER, ["mkfifo", target])

    def start(self, *arguments):
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.chown(runtime, VICTIM, VICTIM)
        env = {"HOME": self.home, "XDG_RUNTIME_DIR": runtime, "QT_QPA_PLATFORM": "offscreen",
               "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
        program = os.path.join(self.shared, "ResvMan.app", "AppRun")
        return subprocess.Popen(["setpriv", f"--reuid={VICTIM}", f"--regid={VICTIM}",
                                 "--clear-groups", "--", program] + list(arguments),
                                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                text=True)

    def check(self):
        failures = []
        if self.case == "planted":
            # Running, the program would hand the planted reservation over within seconds.
            program = self.start()
            time.sleep(8)
            program.send_signal(signal.SIGTERM)
        else:
            program = self.start("--measure-startup")
        try:
            _, err = program.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            program.kill()
            _, err = program.communicate()
            failures.append("the program did not end (waiting on the planted file?)")
        per_user = os.path.join(self.home, ".local", "share", "resvman")
        if f"not keeping the reservations beside the program in {self.shared}" not in err:
            failures.append("no word on standard error of the folder passed over:\n" + err)
        if not os.path.isdir(per_user):
            failures.append("the per-user folder was not used")
        if os.path.exists(self.marker):
            with open(self.marker) as f:
                failures.append(f"the planted companion ran as user {f.read().strip()}")
        with open(self.precious) as f:
            if f.read() != "the victim's own words\n":
                failures.append("the victim's file was changed")
        if self.case != "fifo" and os.path.exists(os.path.join(self.shared, ".ResvInfo.dat.lock")):
            failures.append("a lock was made in the shared folder")
        return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    args = parser.parse_args()
    if os.geteuid() != 0 or shutil.which("setpriv") is None:
        print("needs root and setpriv")
        return SKIP
    root = tempfile.mkdtemp(prefix="resvman-hostile-")
    os.chmod(root, 0o755)
    failed = False
    try:
        # The victim copies the bundle from a folder every user may read: the build tree may
        # lie where other users cannot enter (a clone in a home folder of mode 0700).
        bundle = os.path.join(root, "built", "ResvMan.app")
        shutil.copytree(os.path.abspath(args.bundle), bundle, symlinks=True)
        subprocess.run(["chmod", "-R", "a+rX,go-w", os.path.dirname(bundle)], check=True)
        for case in ("planted", "symlink", "fifo"):
            failures = Run(root, bundle, case).check()
            for failure in failures:
                print(f"{case}: {failure}")
            print(f"{case}: {'FAILED' if failures else 'ok'}")
            failed = failed or bool(failures)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
