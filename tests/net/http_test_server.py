#!/usr/bin/env python3
"""http_test_server.py <folder>: the loopback HTTP server of the net and bitmap tests and the HTTP
benchmark, on a free port of 127.0.0.1 (written to <folder>/port) until killed or idle for ten
minutes. It also misbehaves on request: endless headers, huge lengths, stalls, cut bodies, early answers, loops."""
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

    def answer_early(self, status, body):
        """Answers without reading the request's body, ends its side of the connection and
        leaves the rest unread for a while: the client's upload stalls, the answer waits."""
        self.answer(status, body)
        try:
            self.connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        time.sleep(5)

    def handle_any(self):
        global last_request
        last_request = time.monotonic()
        length = int(self.headers.get("Content-Length") or 0)
        # "/early" answers before it has read the request's body.
        early = self.path.startswith("/early")
        self.body = self.rfile.read(length) if length > 0 and not early else b""
        hits[self.path] = hits.get(self.path, 0) + 1
        # The first route that begins the path answers; one ending in "$" must be the whole path.
        for route, respond in ROUTES:
            if self.path == route[:-1] if route.endswith("$") else self.path.startswith(route):
                return respond(self, self.path)
        self.answer(404, b"not here")

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = handle_any


OK = b"HTTP/1.0 200 OK\r\n"
ROUTES = [
    ("/hits/", lambda h, path: h.answer(200, str(hits.get(path[len("/hits"):], 0)).encode())),
    ("/empty$", lambda h, path: h.answer(200)),
    ("/hello$", lambda h, path: h.answer(200, b"hello, quaven")),
    ("/echo", lambda h, path: h.answer(200, json.dumps({"method": h.command, "path": path, "body": h.body.decode(
        "latin-1"), "headers": dict(h.headers.items())}, sort_keys=True).encode())),
    ("/redirect/", lambda h, path: h.answer(302, location=h.url(
        "/redirect/%d" % (int(path[10:]) - 1) if int(path[10:]) > 1 else "/hello"))),
    ("/redirect-to-localhost$",
     lambda h, path: h.answer(307, location="http://localhost:%d/echo" % h.server.server_address[1])),
    ("/loop$", lambda h, path: h.answer(302, location=h.url("/loop"))),
    ("/no-location$", lambda h, path: h.answer(302, b"moved")),
    ("/endless-headers$", lambda h, path: h.raw(OK, repeat=b"X-Filler: more\r\n", times=200000)),
    ("/huge-header-line$", lambda h, path: h.raw(OK + b"X-Long: ", repeat=b"a" * 1024, times=1000)),
    ("/huge-length$", lambda h, path: h.raw(OK + b"Content-Length: 4000000000000\r\n\r\nshort")),
    ("/stall$", lambda h, path: h.raw(OK, then_stall=True)),
    ("/stall-body$", lambda h, path: h.raw(OK + b"Content-Length: 100\r\n\r\n0123456789", then_stall=True)),
    ("/cut", lambda h, path: h.raw(OK + b"Content-Length: 1000\r\n\r\n" + b"x" * 100)),
    ("/no-length$", lambda h, path: h.raw(OK + b"\r\nwhole body")),
    ("/stall-after-body$", lambda h, path: h.raw(OK + b"Content-Length: 10\r\n\r\nwhole body", then_stall=True)),
    ("/stall-no-length$", lambda h, path: h.raw(OK + b"\r\nwhole body", then_stall=True)),
    ("/stall-empty-length$", lambda h, path: h.raw(OK + b"Content-Length: 0\r\n\r\n", then_stall=True)),
    ("/early-413$", lambda h, path: h.answer_early(413, b"too large")),
    ("/files/", lambda h, path: h.answer(200, b"file at " + path.encode())),
    ("/art/quadrants", lambda h, path: h.answer(200, PNG, content_type="image/png")),
    # The benchmark's download: byte i is i mod 256.
    ("/bytes/", lambda h, path: h.raw(OK + b"Content-Length: %d\r\n\r\n" % int(path[7:]),
                                      repeat=bytes(range(256)) * 4096, times=int(path[7:]) >> 20)),
]


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
