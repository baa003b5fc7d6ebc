#!/usr/bin/env python3
"""The HTTP server the net and bitmap tests (and the HTTP benchmark) talk to over loopback.

Usage: http_test_server.py <folder>. Binds 127.0.0.1 on a free port, writes the port to
<folder>/port once it listens, and serves until killed or idle for ten minutes. Besides
ordinary answers it misbehaves on request: endless headers, a huge Content-Length with a
short body, stalls, connections cut mid-body, redirect chains and loops.
"""
import json
import os
import socket
import struct
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

IDLE_EXIT_SECONDS = 600
STALL_SECONDS = 20
last_request = time.monotonic()
hits = {}
hits_lock = threading.Lock()


def png_quadrants():
    """4 x 4 RGB: red and green above blue and white."""
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    rows = b""
    for y in range(4):
        rows += b"\0" + b"".join(bytes(colours[(y // 2) * 2 + x // 2]) for x in range(4))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


PNG = png_quadrants()


def pattern(size):
    """Deterministic bytes: byte i is (i * 7 + i // 256) mod 251."""
    block = bytes((i * 7 + i // 256) % 251 for i in range(251 * 256))
    whole, rest = divmod(size, len(block))
    return block * whole + block[:rest]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):
        pass

    def answer(self, status, body=b"", content_type="text/plain", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server.server_address[1], path)

    def raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()

    def stall(self):
        # Holds the connection open without sending until the client gives up.
        deadline = time.monotonic() + STALL_SECONDS
        self.connection.settimeout(0.2)
        while time.monotonic() < deadline:
            try:
                if self.connection.recv(1) == b"":
                    return
            except socket.timeout:
                pass
            except OSError:
                return

    def handle_any(self):
        global last_request
        last_request = time.monotonic()
        path = self.path
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        with hits_lock:
            hits[path] = hits.get(path, 0) + 1

        if path.startswith("/hits/"):
            with hits_lock:
                count = hits.get(path[len("/hits"):], 0)
            return self.answer(200, str(count).encode())
        if path == "/hello":
            return self.answer(200, b"hello, quaven")
        if path.startswith("/echo"):
            report = {"method": self.command, "path": path, "body": body.decode("latin-1"),
                      "headers": dict(self.headers.items())}
            return self.answer(200, json.dumps(report, sort_keys=True).encode())
        if path.startswith("/redirect/"):
            left = int(path[len("/redirect/"):])
            target = "/redirect/%d" % (left - 1) if left > 1 else "/hello"
            return self.answer(302, b"", extra=[("Location", self.url(target))])
        if path == "/redirect-to-localhost":
            target = "http://localhost:%d/echo" % self.server.server_address[1]
            return self.answer(307, b"", extra=[("Location", target)])
        if path == "/loop":
            return self.answer(302, b"", extra=[("Location", self.url("/loop"))])
        if path == "/no-location":
            return self.answer(302, b"moved")
        if path == "/missing":
            return self.answer(404, b"not here")
        if path == "/endless-headers":
            self.raw(b"HTTP/1.0 200 OK\r\n")
            try:
                for i in range(200000):
                    self.raw(b"X-Filler-%d: more\r\n" % i)
            except OSError:
                pass
            return
        if path == "/huge-header-line":
            self.raw(b"HTTP/1.0 200 OK\r\nX-Long: ")
            try:
                for _ in range(1000):
                    self.raw(b"a" * 1024)
            except OSError:
                pass
            return
        if path == "/huge-length":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 4000000000000\r\n\r\nshort")
            return
        if path == "/stall":
            self.raw(b"HTTP/1.0 200 OK\r\n")
            return self.stall()
        if path == "/stall-body":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n0123456789")
            return self.stall()
        if path.startswith("/cut"):
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + b"x" * 100)
            return
        if path.startswith("/files/"):
            return self.answer(200, b"file at " + path.encode())
        if path.startswith("/art/quadrants"):
            return self.answer(200, PNG, content_type="image/png")
        if path.startswith("/bytes/"):
            size = int(path[len("/bytes/"):])
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(size))
            self.end_headers()
            data = pattern(min(size, 1 << 20))
            sent = 0
            while sent < size:
                piece = data[:min(len(data), size - sent)]
                self.wfile.write(piece)
                sent += len(piece)
            return
        return self.answer(404, b"no such test page")

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = handle_any


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    port_file = os.path.join(folder, "port")
    with open(port_file + ".tmp", "w") as out:
        out.write("%d\n" % server.server_address[1])
    os.replace(port_file + ".tmp", port_file)

    def watchdog():
        while time.monotonic() - last_request < IDLE_EXIT_SECONDS:
            time.sleep(5)
        server.shutdown()

    threading.Thread(target=watchdog, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
