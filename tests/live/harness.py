"""A live systemd of the tests' own, as PID 1 of private namespaces.

/lib/systemd/systemd --system runs as the first process of new pid, mount, uts, ipc, net and
cgroup namespaces, with only stub units (none of the machine's own start), a tmpfs on /run,
/proc/sys read-only, cgroup2 mounted inside a child cgroup of the machine's hierarchy and
/dev/console bound over a file. Commands run inside it through nsenter. SIGRTMIN+14 ends
it at once; a timer that powers it off ends it too, not the machine.

The private cgroup and net namespaces and the read-only /proc/sys are what keep it from
changing the machine's cgroup mount and sysctls: the start script checks all three inside
the namespaces and refuses to start systemd without them.

Skip (exit 77) where this cannot be done: not root, no systemd, no namespaces, no cgroup2.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
SYSTEMD = "/lib/systemd/systemd"

# The stub units: enough for systemd to come up and to power off, nothing of the machine's.
UNITS = {
    "default.target": "[Unit]\nDescription=Default\nRequires=basic.target\nAfter=basic.target\n",
    "system.slice": "[Unit]\nDescription=System Slice\nDefaultDependencies=no\n",
    "poweroff.target": ("[Unit]\nDescription=Power-Off\nDefaultDependencies=no\n"
                        "Requires=systemd-poweroff.service\nAfter=systemd-poweroff.service\n"
                        "AllowIsolate=yes\n"),
    "systemd-poweroff.service": ("[Unit]\nDescription=Power-Off\nDefaultDependencies=no\n"
                                 "SuccessAction=poweroff-force\n"
                                 "[Service]\nType=oneshot\nExecStart=/bin/true\n"),
}
for _target in ("sysinit", "basic", "timers", "shutdown", "sockets", "paths", "slices",
                "local-fs"):
    UNITS[f"{_target}.target"] = f"[Unit]\nDescription={_target}\n"

# Runs as PID 1 of the new namespaces, then becomes systemd. $1: the units folder, $2: the
# machine's cgroup and net namespaces, $3: the alarm-clock shim or "-", $4: the RTC folder
# to show as /sys/class/rtc or "-".
START = r"""#!/bin/sh
set -eu
units=$1 host_namespaces=$2 shim=$3 rtc=$4
# Never without private cgroup and net namespaces.
[ "$(readlink /proc/self/ns/cgroup) $(readlink /proc/self/ns/net)" != "$host_namespaces" ]
[ "$(readlink /proc/self/ns/cgroup)" != "${host_namespaces% *}" ]
[ "$(readlink /proc/self/ns/net)" != "${host_namespaces#* }" ]
mount -t tmpfs -o mode=755 tmpfs /run
mount --bind /proc/sys /proc/sys
mount -o remount,bind,ro /proc/sys
# Never with a writable /proc/sys.
if touch /proc/sys/kernel/hostname 2>/dev/null; then exit 1; fi
awk '$5 == "/proc/sys" && $6 ~ /^ro(,|$)/ { ro = 1 } END { exit !ro }' /proc/self/mountinfo
mount -t cgroup2 cgroup2 /sys/fs/cgroup
: > /run/console
mount --bind /run/console /dev/console
# The tests' RTC folder stands for the machine's clock (one without an RTC has no
# /sys/class/rtc to cover: a tmpfs over /sys/class, in this mount namespace only, makes one).
if [ "$rtc" != - ]; then
    if [ ! -d /sys/class/rtc ]; then
        mount -t tmpfs -o mode=755 tmpfs /sys/class
        mkdir /sys/class/rtc
    fi
    mount --bind "$rtc" /sys/class/rtc
fi
export container=resvman-live SYSTEMD_UNIT_PATH=$units
export SYSTEMD_GENERATOR_PATH= SYSTEMD_ENVIRONMENT_GENERATOR_PATH=
if [ "$shim" != - ]; then export LD_PRELOAD=$shim; fi
exec /lib/systemd/systemd --system --log-target=console --log-level=info </dev/null
"""


class Skip(Exception):
    pass


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def cgroup2_root():
    """Where the machine's cgroup2 hierarchy is mounted, and this process's place in it."""
    mount = None
    with open("/proc/self/mountinfo") as f:
        for line in f:
            fields = line.split()
            separator = fields.index("-")
            if fields[separator + 1] == "cgroup2" and fields[3] == "/":
                mount = fields[4]
                break
    own = None
    with open("/proc/self/cgroup") as f:
        for line in f:
            if line.startswith("0::"):
                own = line[3:].strip()
    if mount is None or own is None:
        raise Skip("no cgroup2 hierarchy here")
    return os.path.join(mount, own.lstrip("/"))


def check_possible():
    if os.geteuid() != 0:
        raise Skip("a live systemd needs root")
    if not os.access(SYSTEMD, os.X_OK):
        raise Skip(f"{SYSTEMD} is not installed")
    for tool in ("unshare", "nsenter", "systemctl"):
        if shutil.which(tool) is None:
            raise Skip(f"{tool} is not installed")
    probe = subprocess.run(["unshare", "--pid", "--fork", "--mount", "--uts", "--ipc", "--net",
                            "--cgroup", "--mount-proc", "--propagation", "private", "true"],
                           capture_output=True, text=True, timeout=30)
    if probe.returncode != 0:
        raise Skip(f"no private namespaces here ({probe.stderr.strip()})")
    cgroup2_root()


class LiveSystemd:
    """One systemd in namespaces of its own. Use as a context manager."""

    def __init__(self, work, shim=None, rtc=None):
        self.work = work
        self.shim = shim
        self.rtc = rtc
        self.pid = None  # systemd, as the machine sees it
        self.unshare = None
        self.cgroup = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        units = os.path.join(self.work, "units")
        os.makedirs(units, exist_ok=True)
        for name, text in UNITS.items():
            with open(os.path.join(units, name), "w") as f:
                f.write(text)
        script = os.path.join(self.work, "start-systemd.sh")
        with open(script, "w") as f:
            f.write(START)
        self.cgroup = tempfile.mkdtemp(prefix="resvman-live-", dir=cgroup2_root())
        self.console = None
        host = f"{os.readlink('/proc/self/ns/cgroup')} {os.readlink('/proc/self/ns/net')}"
        # The first process moves itself into the child cgroup, so that the cgroup namespace
        # made next has that cgroup as its root. --kill-child: should this test die, the
        # namespace goes with it.
        self.unshare = subprocess.Popen(
            ["sh", "-c", 'echo $$ > "$1/cgroup.procs" && shift && exec "$@"', "sh", self.cgroup,
             "unshare", "--pid", "--fork", "--kill-child", "--mount", "--uts", "--ipc", "--net",
             "--cgroup", "--mount-proc", "--propagation", "private", "--",
             "/bin/sh", script, units, host, self.shim or "-", self.rtc or "-"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.work, "start.log"), "wb"))
        deadline = time.time() + 20
        while self.pid is None:
            children = f"/proc/{self.unshare.pid}/task/{self.unshare.pid}/children"
            try:
                with open(children) as f:
                    found = f.read().split()
            except OSError:
                found = []
            for child in found:
                try:
                    with open(f"/proc/{child}/comm") as f:
                        if f.read().strip() == "systemd":
                            self.pid = int(child)
                except OSError:
                    pass
            if self.pid is None:
                if self.unshare.poll() is not None or time.time() > deadline:
                    self.stop()
                    with open(os.path.join(self.work, "start.log"), errors="replace") as f:
                        raise RuntimeError(f"systemd did not start: {f.read().strip()}")
                time.sleep(0.02)
        # "offline" until its private socket is up.
        while True:
            result = self.run(["systemctl", "is-system-running", "--wait"], timeout=30)
            state = result.stdout.strip()
            if state in ("running", "degraded"):
                break
            if time.time() > deadline:
                self.stop()
                raise RuntimeError(f"systemd is {state!r}: {result.stderr.strip()}")
            time.sleep(0.05)
        log(f"live systemd {self.pid} is {state}")

    def alive(self):
        return self.unshare is not None and self.unshare.poll() is None

    def command(self, argv):
        """argv as run inside the namespaces."""
        return ["nsenter", "-t", str(self.pid), "-m", "-u", "-i", "-n", "-p", "-C", "--"] + argv

    def run(self, argv, timeout=60, check=False, **kwargs):
        kwargs.setdefault("capture_output", True)
        kwargs.setdefault("text", True)
        result = subprocess.run(self.command(argv), timeout=timeout, **kwargs)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(argv)} exited {result.returncode}: "
                               f"{result.stdout}{result.stderr}")
        return result

    def spawn(self, argv, **kwargs):
        return subprocess.Popen(self.command(argv), **kwargs)

    def timers(self, pattern="resvman-*"):
        """Timer units inside, with the properties the tests look at."""
        listed = self.run(["systemctl", "list-units", "--all", "--plain", "--no-legend",
                           "--no-pager", "--type=timer", "--", pattern], check=True).stdout
        found = {}
        for line in listed.splitlines():
            name = next((t for t in line.split() if t.endswith(".timer")), None)
            if name is None:
                continue
            shown = self.run(["env", "TZ=UTC", "systemctl", "show", "-p",
                              "WakeSystem,AccuracyUSec,NextElapseUSecRealtime,Unit,ActiveState",
                              "--", name], check=True).stdout
            properties = dict(line.split("=", 1) for line in shown.splitlines() if "=" in line)
            found[name] = properties
        return found

    def exec_start(self, service):
        return self.run(["systemctl", "show", "-p", "ExecStart", "--", service],
                        check=True).stdout

    def wait_ended(self, seconds):
        try:
            self.unshare.wait(seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.unshare is not None and self.unshare.poll() is None:
            if self.pid is not None:
                try:
                    os.kill(self.pid, signal.SIGRTMIN + 14)
                except ProcessLookupError:
                    pass
            if not self.wait_ended(10):
                self.unshare.kill()
                self.unshare.wait()
        if self.cgroup is not None:
            # Every process inside has gone with the namespace; the cgroups are empty.
            for folder, subfolders, _ in os.walk(self.cgroup, topdown=False):
                for sub in subfolders:
                    try:
                        os.rmdir(os.path.join(folder, sub))
                    except OSError:
                        pass
            try:
                os.rmdir(self.cgroup)
            except OSError as error:
                log(f"cgroup {self.cgroup} left behind: {error}")
            self.cgroup = None


def main(run_case, base):
    """Runs run_case(work folder) with skip and failure reporting; returns the exit code.
    The work folder is made in base, kept when the case fails."""
    try:
        check_possible()
    except Skip as why:
        print(f"skipped: {why}", flush=True)
        return SKIP
    except (OSError, subprocess.SubprocessError) as error:
        print(f"skipped: {error}", flush=True)
        return SKIP
    os.makedirs(base, exist_ok=True)
    for old in os.listdir(base):
        shutil.rmtree(os.path.join(base, old), ignore_errors=True)
    # The root helper runs only from a folder whose whole path nobody but root may change;
    # a build tree may be group-writable (it is built with umask 002), so the work folder
    # is made in root's sticky /var/tmp, and copied beside the build when the case fails.
    work = tempfile.mkdtemp(prefix="resvman-live-", dir="/var/tmp")
    os.chmod(work, 0o755)
    try:
        run_case(work)
    except Skip as why:
        print(f"skipped: {why}", flush=True)
        return SKIP
    except Exception as error:  # reported, with the work folder kept for a look
        import traceback
        traceback.print_exc()
        kept = os.path.join(base, os.path.basename(work))
        try:
            shutil.copytree(work, kept, symlinks=True, dirs_exist_ok=True)
            shutil.rmtree(work, ignore_errors=True)
        except (OSError, shutil.Error):
            kept = work  # sockets and the like: left where they are
        print(f"FAILED: {error} (files in {kept})", flush=True)
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("passed", flush=True)
    return 0


