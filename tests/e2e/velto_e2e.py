#!/usr/bin/env python3
"""End to end with the real companion: the manager hands a reservation over to the real
velto, which replays a synthetic FM capture (VELTO_SOURCE=iq:…) and reports back.

A copy of the built bundle (ResvMan.app and Velto.app side by side) in a private folder,
a private home and session bus (run under dbus-run-session), the windows offscreen. Three
one-minute reservations back to back are added with `resvman add` to the running program;
the manager starts velto and hands them over, and velto records them one after another:
1. From the receiver (an FM stereo capture, 1 kHz left, 1.5 kHz right): the Opus file lasts
   the programme (±1 s), carries its tags, decodes with opusdec with each tone on its own
   side, and `resvman history --json` shows it recorded from the "receiver", with no
   desktop notification.
2. A station set to its stream (a loopback server's MP3 of the same two tones): recorded
   from the "stream", the same checks.
3. velto killed (SIGKILL) while recording: the `.part` it left is finished at its next
   start, decodes, lasts what was recorded, and velto says so; the manager's history gets
   the finished report of that reservation ("partial", reason "interrupted", the file).
Then the manager started again with a source that finds no receiver: the next reservation
is "Not recorded" in the history, with velto's reason, and one desktop notification says so
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
import wave

TITLE = "E2E Velto"
TITLE_STREAM = "E2E stream"
TITLE_KILLED = "E2E killed"
TITLE_NONE = "E2E no receiver"
STREAM_STATION = "E2E Radio"


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


def stop_velto(how=signal.SIGTERM):
    """velto keeps running after a recording unless told to quit: ended by its bus name."""
    owner = subprocess.run(["busctl", "--user", "status", "org.velto.Velto"],
                           capture_output=True, text=True, timeout=10)
    for line in owner.stdout.splitlines():
        if line.startswith("PID="):
            try:
                pid = int(line[4:])
                os.kill(pid, how)
                for _ in range(50):
                    os.kill(pid, 0)
                    time.sleep(0.2)
            except (ValueError, ProcessLookupError):
                pass


def tone_level(samples, rate, frequency):
    """Amplitude of one frequency in the samples (Goertzel)."""
    coefficient = 2.0 * math.cos(2.0 * math.pi * frequency / rate)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
    return 2.0 * math.sqrt(max(power, 0.0)) / len(samples)


def decode(path, work):
    """opusdec's PCM of the file: (seconds, left, right), the sides of two seconds from the
    middle as floats."""
    pcm = os.path.join(work, "decoded.wav")
    done = subprocess.run(["opusdec", "--quiet", "--rate", "48000", path, pcm],
                          capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        fail(f"opusdec could not decode {path}: {done.stderr.strip()}")
    with wave.open(pcm, "rb") as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            fail(f"{path} decodes to {w.getnchannels()} channels of {w.getsampwidth()} bytes")
        frames = w.getnframes()
        seconds = frames / w.getframerate()
        w.setpos(max(0, frames // 2 - w.getframerate()))
        data = w.readframes(2 * w.getframerate())
    os.remove(pcm)
    values = [int.from_bytes(data[i:i + 2], "little", signed=True) / 32768.0
              for i in range(0, len(data), 2)]
    return seconds, values[0::2], values[1::2]


def check_tones(path, work, seconds, within=1.0):
    """The file decodes, lasts `seconds` (± `within`) and carries 1 kHz on the left, 1.5 kHz on the
    right: each side's own tone holds most of its sound, the other's is 20 dB under it."""
    length, left, right = decode(path, work)
    if not abs(length - seconds) <= within:
        fail(f"{path} decodes to {length:.2f} s, not {seconds:.1f} ± {within}")
    for side, samples, own, other in (("left", left, 1000, 1500), ("right", right, 1500, 1000)):
        rms = math.sqrt(sum(x * x for x in samples) / len(samples))
        a = tone_level(samples, 48000, own)
        b = tone_level(samples, 48000, other)
        if rms == 0 or a * a / 2 < 0.5 * rms * rms or b > 0.1 * a:
            fail(f"{path}, {side}: {own} Hz at {a:.4f}, {other} Hz at {b:.4f}, rms {rms:.4f}")
    log(f"{os.path.basename(path)}: {length:.2f} s decoded, 1 kHz left, 1.5 kHz right")


def tags(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries",
                            "format_tags:stream_tags", "-of", "json", path],
                           capture_output=True, text=True, timeout=30)
    found = {}
    shown = json.loads(probe.stdout or "{}")
    for part in [shown.get("format", {})] + shown.get("streams", []):
        found.update({k.upper(): v for k, v in part.get("tags", {}).items()})
    return found


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
        server = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(__file__), "..",
                                   "recorder", "stream", "stream_server.py"), "--media",
                                   os.path.join(work, "media")], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        processes.append(server)
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

        def reserve(title, start, fm):
            begins = datetime.datetime.fromtimestamp(start, datetime.timezone.utc)
            ends = begins + datetime.timedelta(minutes=1)
            added = cli("add", "--date", begins.strftime("%Y-%m-%d"), "--start",
                        begins.strftime("%H:%M"), "--end", ends.strftime("%H:%M"), "--fm",
                        fm, "--title", title)
            if added.returncode != 0:
                fail(f"resvman add: {added.returncode} {added.stdout} {added.stderr}")
            log(f"reservation {title!r} at {begins:%H:%M} UTC")

        def next_slot():
            # On a minute boundary at least 75 s ahead: the hand-off comes 60 s before.
            return math.ceil((time.time() + 75) / 60) * 60

        def finished(title):
            shown = cli("history", "--json")
            if shown.returncode != 0:
                return None
            return next((e for e in json.loads(shown.stdout)
                         if e["event"] == "recording-finished" and e.get("title") == title),
                        None)

        def recorded(title, source):
            report = wait_for(lambda: finished(title), start + 60 + 40 - time.time(),
                              f"finished report of {title!r} in the history")
            log(f"history: {report['outcome']} — {report['reason']}")
            if report["result"] != "recorded" or report["failed"] or report["source"] != source:
                fail(f"not recorded whole from the {source}: {report}")
            if abs(report["seconds"] - 60.0) > 1.0 or not report["outcome"].startswith("Recorded "):
                fail(f"{report['seconds']} s recorded, not 60: {report}")
            path = report["file"]
            if not os.path.isfile(path) or not path.endswith(".opus"):
                fail(f"no Opus file at {path!r}")
            check_tones(path, work, 60.0)
            found = tags(path)
            day = datetime.datetime.fromtimestamp(start, datetime.timezone.utc)
            if (found.get("TITLE") != title or day.strftime("%Y-%m-%d") not in found.get("DATE", "")
                    or "FM" not in found.get("COMMENT", "")):
                fail(f"tags of {path}: {found}")
            started = [e for e in json.loads(cli("history", "--json").stdout)
                       if e["event"] == "recording-started" and e.get("title") == title]
            if len(started) != 1:
                fail(f"{len(started)} start reports of {title!r} in the history, not 1")
            if notifications(title):
                fail(f"a notification for a recording made whole: {notifications(title)}")
            return found

        # The stream's station, set before velto first starts and reads its table.
        server_ports = server.stdout.readline().split()
        if len(server_ports) != 3 or server_ports[0] != "ports":
            fail(f"the stream server did not start: {server_ports}")
        velto = os.path.join(place, "Velto.app", "AppRun")
        url = f"http://127.0.0.1:{server_ports[1]}/tone.mp3"
        done = subprocess.run([velto, "stations", "set", "--band", "FM", "--ch", "8100",
                               "--url", url, "--use", "stream", "--name", STREAM_STATION],
                              env=env, cwd=home, capture_output=True, text=True, timeout=30,
                              stdin=subprocess.DEVNULL)
        if done.returncode != 0:
            fail(f"velto stations set: {done.returncode} {done.stderr}")

        start_manager()
        first = next_slot()
        reserve(TITLE, first, "80.0")
        reserve(TITLE_STREAM, first + 60, "81.0")
        reserve(TITLE_KILLED, first + 120, "80.0")

        start = first
        recorded(TITLE, "receiver")
        start = first + 60
        found = recorded(TITLE_STREAM, "stream")
        if found.get("ORGANIZATION") != STREAM_STATION:
            fail(f"the stream's recording does not name its station: {found}")

        # Killed mid-recording: the .part left behind is finished at velto's next start.
        start = first + 120
        wait_for(lambda: [e for e in json.loads(cli("history", "--json").stdout)
                          if e["event"] == "recording-started" and e.get("title") == TITLE_KILLED],
                 start + 20 - time.time(), "start of the recording to be killed")
        time.sleep(max(0.0, start + 15 - time.time()))
        radio = os.path.join(music, "Radio")
        parts = [n for n in os.listdir(radio) if n.endswith(".opus.part") and TITLE_KILLED in n]
        if len(parts) != 1:
            fail(f"not one .part of the recording in {os.listdir(radio)}")
        killed_after = time.time() - start
        stop_velto(signal.SIGKILL)
        log(f"velto killed {killed_after:.1f} s into {TITLE_KILLED!r}")

        # No receiver: velto (started anew by the manager) reports the failure at once.
        for p in processes[2:]:
            stop(p)
        env["VELTO_SOURCE"] = "soapy:driver=velto-e2e-none"
        start_manager()
        start = next_slot()
        reserve(TITLE_NONE, start, "80.0")

        def recovered():
            names = os.listdir(radio)
            done = [n for n in names if n.endswith(".opus") and TITLE_KILLED in n]
            return done if not any(n.endswith(".part") for n in names) else None

        done = wait_for(recovered, start - time.time() + 20, "recovered recording")
        if len(done) != 1:
            fail(f"not one recovered file: {done}")
        # What was flushed before the kill: at most 5 s lost.
        check_tones(os.path.join(radio, done[0]), work, killed_after - 2.5, 3.0)
        if any(n.endswith(".programme") for n in os.listdir(radio)):
            fail(f"the note of the killed recording is left: {os.listdir(radio)}")
        report = wait_for(lambda: finished(TITLE_KILLED), 20,
                          "finished report of the killed recording in the history")
        log(f"history: {report['outcome']} — {report['reason']} ({report['reasonKey']})")
        if (report["result"] != "partial" or report["reasonKey"] != "interrupted"
                or report["source"] != "receiver"
                or os.path.basename(report["file"]) != done[0]
                or abs(report["seconds"] - killed_after) > 6.0):
            fail(f"not reported as interrupted with its file: {report}")

        report = wait_for(lambda: finished(TITLE_NONE), start + 60 + 40 - time.time(),
                          "report of the recording without a receiver")
        log(f"history: {report['outcome']} — {report['reason']} ({report['reasonKey']})")
        if report["result"] != "failed" or not report["failed"] or report["file"]:
            fail(f"not reported as failed without a file: {report}")
        told = wait_for(lambda: notifications(TITLE_NONE), 10, "notification of the failure")
        if len(told) != 1 or not told[0]["summary"].startswith("Not recorded"):
            fail(f"not one notification of the failure: {told}")
        log(f"notified: {told[0]['summary']} / {told[0]['body']!r}")

        # velto tells what it finished, also where no window shows it.
        with open(os.path.join(work, "resvman.log"), encoding="utf-8", errors="replace") as f:
            said = [line for line in f if "interrupted recording" in line]
        if not any(done[0] in line for line in said):
            fail(f"velto did not say it finished {done[0]}: {said}")
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
