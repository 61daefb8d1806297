#!/usr/bin/env python3
"""Loopback stand-in for the product's online service, for tests and the demo.

Answers HEAD and GET of the service path (or of any path with --any-path)
with a chosen status line; every other path gets "404 Not Found". Listens on
127.0.0.1 only and stops by itself after --lifetime seconds.

  online_standin.py --port 0 --port-file F [--status "200 OK"] [--body TEXT]
                    [--path P | --any-path] [--log FILE] [--pid-file FILE]
                    [--lifetime SECONDS]

--log appends, per request, the request line, the headers and a blank line,
so a test can see whether a request came through a proxy (its "Via" header).
"""

import argparse
import http.server
import os
import sys
import threading
import urllib.parse

SERVICE_PATH = "/lumaro/LMROLClientServer.dll"


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--port-file", help="written (atomically) with the port once listening")
    parser.add_argument("--pid-file", help="written with this process id once listening")
    parser.add_argument("--status", default="200 OK", help='status text after the version, e.g. "404 Not Found"')
    parser.add_argument("--body", default="", help="body of a GET answer")
    parser.add_argument("--path", default=SERVICE_PATH, help="the path that gets --status")
    parser.add_argument("--any-path", action="store_true", help="answer --status for every path")
    parser.add_argument("--log", help="file that receives each request line and its headers")
    parser.add_argument("--lifetime", type=float, default=120.0, help="seconds until the server stops by itself")
    args = parser.parse_args(argv)
    code = args.status.split(" ", 1)[0]
    if not (len(code) == 3 and code.isdigit()):
        parser.error("--status must start with a three-digit code: %r" % args.status)
    if args.lifetime <= 0:
        parser.error("--lifetime must be positive")
    return args


def write_atomically(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w") as f:
        f.write(text)
    os.replace(temporary, path)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "OnlineStandin/1"
    config = None
    log_lock = threading.Lock()

    def log_message(self, format, *args):
        pass

    def record(self):
        if not self.config.log:
            return
        with self.log_lock, open(self.config.log, "a", encoding="latin-1") as f:
            f.write(self.requestline + "\n")
            for name, value in self.headers.items():
                f.write("%s: %s\n" % (name, value))
            f.write("\n")

    def answer(self, with_body):
        self.record()
        # A request that came through a proxy may carry the absolute URL.
        path = urllib.parse.urlsplit(self.path).path
        if self.config.any_path or path == self.config.path:
            status, body = self.config.status, self.config.body
        else:
            status, body = "404 Not Found", ""
        data = body.encode("latin-1", "replace")
        self.wfile.write(("%s %s\r\n" % (self.protocol_version, status)).encode("latin-1"))
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if with_body:
            self.wfile.write(data)
        self.wfile.flush()

    def do_HEAD(self):
        self.answer(False)

    def do_GET(self):
        self.answer(True)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main(argv):
    args = parse_args(argv)
    Handler.config = args
    server = Server(("127.0.0.1", args.port), Handler)
    server.timeout = 0.5
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    if args.pid_file:
        write_atomically(args.pid_file, "%d\n" % os.getpid())
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % server.server_address[1])
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
