#!/usr/bin/env python3
"""http_test_server.py <folder>: the loopback HTTP server of the net and bitmap tests and the HTTP
benchmark, on a free port of 127.0.0.1 (written to <folder>/port) until killed or idle for ten
minutes. It also misbehaves on request: endless headers, huge lengths, stalls, cut bodies, loops."""
import json, os, socket, struct, sys, threading, time, zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

last_request = time.monotonic()
hits = {}


def png_quadrants():
    """4 x 4 RGB: red and green above blue and white."""
    colours = [b"\xff\0\0", b"\0\xff\0", b"\0\0\xff", b"\xff\xff\xff"]
    rows = b"".join(b"\0" + b"".join(colours[(y // 2) * 2 + x // 2] for x in range(4)) for y in range(4))
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


PNG = png_quadrants()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    log_message = lambda self, *args: None

    def answer(self, status, body=b"", content_type="text/plain", location=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        if location:
            self.send_header("Location", location)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server.server_address[1], path)

    def raw(self, data, then_stall=False, repeat=b"", times=0):
        try:
            self.wfile.write(data)
            for _ in range(times):
                self.wfile.write(repeat)
            while then_stall and self.connection.recv(1):  # until the client gives up
                pass
        except OSError:
            pass

    def handle_any(self):
        global last_request
        last_request = time.monotonic()
        path = self.path
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        hits[path] = hits.get(path, 0) + 1
        port = self.server.server_address[1]
        if path.startswith("/hits/"):
            self.answer(200, str(hits.get(path[len("/hits"):], 0)).encode())
        elif path == "/empty":
            self.answer(200)
        elif path == "/hello":
            self.answer(200, b"hello, quaven")
        elif path.startswith("/echo"):
            self.answer(200, json.dumps({"method": self.command, "path": path, "body": body.decode("latin-1"),
                                         "headers": dict(self.headers.items())}, sort_keys=True).encode())
        elif path.startswith("/redirect/"):
            left = int(path[len("/redirect/"):])
            self.answer(302, location=self.url("/redirect/%d" % (left - 1) if left > 1 else "/hello"))
        elif path == "/redirect-to-localhost":
            self.answer(307, location="http://localhost:%d/echo" % port)
        elif path == "/loop":
            self.answer(302, location=self.url("/loop"))
        elif path == "/no-location":
            self.answer(302, b"moved")
        elif path == "/endless-headers":
            self.raw(b"HTTP/1.0 200 OK\r\n", repeat=b"X-Filler: more\r\n", times=200000)
        elif path == "/huge-header-line":
            self.raw(b"HTTP/1.0 200 OK\r\nX-Long: ", repeat=b"a" * 1024, times=1000)
        elif path == "/huge-length":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 4000000000000\r\n\r\nshort")
        elif path == "/stall":
            self.raw(b"HTTP/1.0 200 OK\r\n", then_stall=True)
        elif path == "/stall-body":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n0123456789", then_stall=True)
        elif path.startswith("/cut"):
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + b"x" * 100)
        elif path.startswith("/files/"):
            self.answer(200, b"file at " + path.encode())
        elif path.startswith("/art/quadrants"):
            self.answer(200, PNG, content_type="image/png")
        elif path.startswith("/bytes/"):  # the benchmark's download: byte i is i mod 256
            size = int(path[len("/bytes/"):])
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % size, repeat=bytes(range(256)) * 4096,
                     times=size >> 20)
        else:
            self.answer(404, b"not here")

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = handle_any


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    port_file = os.path.join(sys.argv[1], "port")
    with open(port_file + ".tmp", "w") as out:
        out.write("%d\n" % server.server_address[1])
    os.replace(port_file + ".tmp", port_file)

    def exit_when_idle():
        while time.monotonic() - last_request < 600:
            time.sleep(5)
        server.shutdown()

    threading.Thread(target=exit_when_idle, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
