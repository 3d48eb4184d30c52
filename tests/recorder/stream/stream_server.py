#!/usr/bin/env python3
"""Loopback HTTP and HTTPS server for the stream source's tests.

Makes its media with the ffmpeg program (once per folder, under a lock), serves good streams
and hostile behaviours, and prints "ports HTTP HTTPS" when it is ready. Ends on SIGTERM.

Good streams: /tone.mp3 (endless MP3, 44.1 kHz, 1 kHz left, 1.5 kHz right, an Icecast-like
burst then real time), /tone.aac (endless ADTS), /tone.opus (Ogg Opus, 6 s),
/hls/tone.m3u8 (HLS, AAC in MPEG-TS, 6 s, complete), /redirect-once (to /tone.mp3),
/rate-change (2 s of /tone.mp3, then endless mono 32 kHz MP3 at 2 kHz), /live/tone.m3u8?id=I
(live HLS of 2 s segments, three of them out when I first asks, one more every 2 s).
Over HTTPS the same paths, with a certificate for "localhost" signed by media/ca.pem.

Hostile: /404, /html, /text (not audio), /endless-header, /silent, /stall (1 s of audio then
silence), /drop (1 s then the connection closes), /drop-gap?id=I&after=S&gap=G (/tone.mp3,
closed S seconds after I's first request, 503 for G seconds, then back), /loop (redirects to itself), /to-file
(redirects to file:), /hls/evil.m3u8 (a segment in file:). /hits?path=P: requests seen for P.
"""
import argparse
import fcntl
import http.server
import os
import signal
import ssl
import subprocess
import sys
import threading
import time

BURST_SECONDS = 3
CHUNK_SECONDS = 0.1
LIVE_SEGMENTS = 15


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", *args],
                   check=True)


def two_tones(rate, seconds):
    return ["-f", "lavfi", "-i", f"sine=frequency=1000:sample_rate={rate}:duration={seconds}",
            "-f", "lavfi", "-i", f"sine=frequency=1500:sample_rate={rate}:duration={seconds}",
            "-filter_complex", "[0][1]amerge=inputs=2"]


def make_media(folder):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = os.path.join(folder, "complete-2")
        if os.path.exists(stamp):
            return
        raw = ["-write_xing", "0", "-id3v2_version", "0"]
        ffmpeg(*two_tones(44100, 4), "-c:a", "libmp3lame", "-b:a", "128k", *raw,
               os.path.join(folder, "tone.mp3"))
        ffmpeg("-f", "lavfi", "-i", "sine=frequency=2000:sample_rate=32000:duration=4",
               "-ac", "1", "-c:a", "libmp3lame", "-b:a", "64k", *raw,
               os.path.join(folder, "mono32k.mp3"))
        ffmpeg(*two_tones(44100, 4), "-c:a", "aac", "-b:a", "128k", "-f", "adts",
               os.path.join(folder, "tone.aac"))
        ffmpeg(*two_tones(48000, 6), "-c:a", "libopus", "-b:a", "96k",
               os.path.join(folder, "tone.opus"))
        hls = os.path.join(folder, "hls")
        os.makedirs(hls, exist_ok=True)
        ffmpeg(*two_tones(48000, 6), "-c:a", "aac", "-b:a", "128k", "-f", "hls",
               "-hls_time", "2", "-hls_playlist_type", "vod",
               "-hls_segment_filename", os.path.join(hls, "seg%d.ts"),
               os.path.join(hls, "tone.m3u8"))
        live = os.path.join(folder, "live")
        os.makedirs(live, exist_ok=True)
        ffmpeg(*two_tones(48000, LIVE_SEGMENTS * 2), "-c:a", "aac", "-b:a", "128k", "-f", "hls",
               "-hls_time", "2", "-hls_playlist_type", "vod",
               "-hls_segment_filename", os.path.join(live, "seg%d.ts"),
               os.path.join(live, "all.m3u8"))
        with open(os.path.join(hls, "evil.m3u8"), "w") as playlist:
            playlist.write("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-PLAYLIST-TYPE:VOD\n"
                           "#EXTINF:2.0,\nfile:///etc/stream-test-segment.ts\n#EXT-X-ENDLIST\n")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec",
                        "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                        "-keyout", os.path.join(folder, "key.pem"),
                        "-out", os.path.join(folder, "ca.pem")],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        open(stamp, "w").close()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    media = ""
    hits = {}
    hits_lock = threading.Lock()
    first_seen = {}  # the first request of each id, for the timed paths

    def log_message(self, *args):
        pass

    def data(self, name):
        with open(os.path.join(self.media, name), "rb") as f:
            return f.read()

    def start(self, code=200, content_type="audio/mpeg", length=None):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.end_headers()

    def paced(self, parts, bytes_per_second, seconds=None):
        """Sends the parts (an endless iterator of bytes) like a stream server: a burst, then
        in real time; stops after `seconds` of audio when given."""
        began = time.monotonic()
        sent = 0
        pending = b""
        chunk = int(bytes_per_second * CHUNK_SECONDS)
        while seconds is None or sent < bytes_per_second * seconds:
            while len(pending) < chunk:
                pending += next(parts)
            self.wfile.write(pending[:chunk])
            pending = pending[chunk:]
            sent += chunk
            due = began + sent / bytes_per_second - BURST_SECONDS
            delay = due - time.monotonic()
            if delay > 0:
                time.sleep(delay)

    @staticmethod
    def forever(data):
        while True:
            yield data

    def query(self):
        text = self.path.split("?", 1)[1] if "?" in self.path else ""
        return dict(item.split("=", 1) for item in text.split("&") if "=" in item)

    def since_first(self, key):
        with self.hits_lock:
            first = self.first_seen.setdefault(key, time.monotonic())
        return time.monotonic() - first

    def live_playlist(self):
        # A sliding window of three segments; the media sequence counts on past the made
        # segments, which come round again after a discontinuity.
        newest = int(self.since_first("live " + self.query().get("id", ""))) // 2 + 2
        lines = ["#EXTM3U", "#EXT-X-VERSION:3", "#EXT-X-TARGETDURATION:2",
                 f"#EXT-X-MEDIA-SEQUENCE:{newest - 2}"]
        for n in range(newest - 2, newest + 1):
            if n % LIVE_SEGMENTS == 0 and n > 0:
                lines.append("#EXT-X-DISCONTINUITY")
            lines += ["#EXTINF:2.0,", f"seg{n % LIVE_SEGMENTS}.ts"]
        return ("\n".join(lines) + "\n").encode()

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        with self.hits_lock:
            self.hits[path] = self.hits.get(path, 0) + 1
        try:
            self.route(path)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def route(self, path):
        mp3 = 16000  # bytes a second at 128 kbit/s
        if path == "/tone.mp3":
            self.start()
            self.paced(self.forever(self.data("tone.mp3")), mp3)
        elif path == "/tone.aac":
            self.start(content_type="audio/aac")
            self.paced(self.forever(self.data("tone.aac")), mp3)
        elif path == "/tone.opus":
            self.start(content_type="audio/ogg")
            self.wfile.write(self.data("tone.opus"))
        elif path == "/rate-change":
            first = self.data("tone.mp3")[:2 * mp3]
            def parts():
                yield first
                while True:
                    yield self.data("mono32k.mp3")
            self.start()
            self.paced(parts(), mp3)
        elif path == "/drop-gap":
            q = self.query()
            after, gap = float(q.get("after", 4)), float(q.get("gap", 5))
            elapsed = self.since_first("drop " + q.get("id", ""))
            if after <= elapsed < after + gap:
                self.start(503, "text/plain", 0)
                return
            self.start()
            self.paced(self.forever(self.data("tone.mp3")), mp3,
                       seconds=BURST_SECONDS + after - elapsed if elapsed < after else None)
        elif path == "/live/tone.m3u8":
            body = self.live_playlist()
            self.start(200, "application/vnd.apple.mpegurl", len(body))
            self.wfile.write(body)
        elif path.startswith("/live/seg"):
            body = self.data(os.path.join("live", os.path.basename(path)))
            self.start(200, "video/mp2t", len(body))
            self.wfile.write(body)
        elif path.startswith("/hls/"):
            name = os.path.basename(path)
            full = os.path.join(self.media, "hls", name)
            if not os.path.isfile(full):
                self.start(404, "text/plain", 0)
                return
            body = self.data(os.path.join("hls", name))
            kind = "application/vnd.apple.mpegurl" if name.endswith(".m3u8") else "video/mp2t"
            self.start(200, kind, len(body))
            self.wfile.write(body)
        elif path == "/redirect-once":
            self.redirect("/tone.mp3")
        elif path == "/loop":
            self.redirect("/loop")
        elif path == "/to-file":
            self.redirect("file:///etc/passwd")
        elif path == "/html":
            body = b"<!DOCTYPE html><html><head><title>Radio</title></head><body>Listen live</body></html>"
            self.start(200, "text/html; charset=utf-8", len(body))
            self.wfile.write(body)
        elif path == "/text":
            body = b"This is not audio, only words.\n" * 4000
            self.start(200, "application/octet-stream", len(body))
            self.wfile.write(body)
        elif path == "/endless-header":
            self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n")
            n = 0
            while True:
                self.wfile.write(b"X-Filler-%d: more\r\n" % n)
                n += 1
                time.sleep(0.001)
        elif path == "/silent":
            time.sleep(120)
        elif path == "/stall":
            self.start()
            self.paced(self.forever(self.data("tone.mp3")), mp3, seconds=1)
            self.wfile.flush()
            time.sleep(120)
        elif path == "/drop":
            self.start()
            self.paced(self.forever(self.data("tone.mp3")), mp3, seconds=1)
        elif path == "/hits":
            query = self.path.split("?", 1)[1] if "?" in self.path else ""
            asked = query[len("path="):] if query.startswith("path=") else ""
            with self.hits_lock:
                body = str(self.hits.get(asked, 0)).encode()
            self.start(200, "text/plain", len(body))
            self.wfile.write(body)
        else:
            self.start(404, "text/plain", 0)

    def redirect(self, target):
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--media", required=True, help="folder for the generated media")
    parser.add_argument("--make-media", action="store_true", help="only make the media")
    args = parser.parse_args()
    make_media(args.media)
    if args.make_media:
        return
    Handler.media = args.media
    plain = Server(("127.0.0.1", 0), Handler)
    secure = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(args.media, "ca.pem"), os.path.join(args.media, "key.pem"))
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for server in (plain, secure):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    print(f"ports {plain.server_address[1]} {secure.server_address[1]}", flush=True)
    # Python runs the handler in the main thread only, and signal.pause() does not wake when
    # the signal lands on a serving thread.
    while True:
        time.sleep(0.2)


if __name__ == "__main__":
    main()
