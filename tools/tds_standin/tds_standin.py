#!/usr/bin/python3
"""A SQL Server stand-in for tests and the demo: speaks TDS 7.1 on 127.0.0.1.

    tds_standin.py --fixture FILE [--port N (0 = any free)] [--port-file FILE]
                   [--lifetime SECONDS (default 300)] [--log FILE]

It serves the logins, databases, owners, objects and attribute rows of a JSON
fixture (see README.md beside this file), one thread per connection, writes
its port to --port-file once listening and stops by itself after --lifetime.
"""

import argparse
import itertools
import os
import socket
import struct
import sys
import threading
import time
import traceback

# The source tree stays free of compiled files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import standin_fixture  # noqa: E402
import standin_queries as q  # noqa: E402
import tds_wire as w  # noqa: E402

PROGRAM_NAME = "Microsoft SQL Server"
MIN_PACKET, MAX_PACKET, DEFAULT_PACKET = 512, 32767, 4096
# A message bigger than this is not a client's request: refuse it rather than buffer it.
MAX_MESSAGE = 16 * 1024 * 1024


class ClientGone(Exception):
    pass


class Log:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8") if path else None

    def __call__(self, spid, text):
        if not self.file:
            return
        with self.lock:
            self.file.write("%s [%d] %s\n" % (time.strftime("%H:%M:%S"), spid, text))
            self.file.flush()


class Session:
    """One client connection: pre-login, login, then batches until the client leaves."""

    def __init__(self, sock, spid, fixture, log):
        self.sock, self.spid, self.fixture, self.log = sock, spid, fixture, log
        self.packet_size = DEFAULT_PACKET
        self.login = ""
        self.database = None

    # --- framing -------------------------------------------------------------

    def recv_exact(self, n):
        buf = bytearray()
        while len(buf) < n:
            chunk = self.sock.recv(n - len(buf))
            if not chunk:
                raise ClientGone()
            buf += chunk
        return bytes(buf)

    def read_message(self):
        kind, payload = None, bytearray()
        while True:
            head = self.recv_exact(w.HEADER.size)
            ptype, status, length, _, _, _ = w.HEADER.unpack(head)
            if length < w.HEADER.size:
                raise ClientGone()
            payload += self.recv_exact(length - w.HEADER.size)
            if len(payload) > MAX_MESSAGE:
                raise ClientGone()
            kind = ptype if kind is None else kind
            if status & w.STATUS_EOM:
                return kind, bytes(payload)

    def send(self, payload, final=True):
        self.sock.sendall(w.packets(w.PKT_REPLY, payload, self.packet_size, final))

    def error_token(self, number, state, severity, text):
        return w.message(w.TOKEN_ERROR, number, state, severity, text, self.fixture.server_name)

    def info_token(self, number, state, text):
        return w.message(w.TOKEN_INFO, number, state, 0, text, self.fixture.server_name)

    # --- connection ----------------------------------------------------------

    def run(self):
        try:
            kind, payload = self.read_message()
            if kind == w.PKT_PRELOGIN:
                self.send(w.prelogin_reply())
                kind, payload = self.read_message()
            if kind != w.PKT_LOGIN7:
                self.log(self.spid, "expected a login, got packet type 0x%02x" % kind)
                return
            if not self.handle_login(payload):
                return
            while True:
                kind, payload = self.read_message()
                if not self.handle_request(kind, payload):
                    return
        except (ClientGone, ConnectionError, socket.timeout, OSError):
            pass
        except Exception:  # a fault of the stand-in itself: keep it in the log, drop the client
            self.log(self.spid, "internal error\n" + traceback.format_exc())
        finally:
            self.log(self.spid, "closed")
            try:
                self.sock.close()
            except OSError:
                pass

    def handle_login(self, p):
        # The fixed part up to the database name's place, present since TDS 7.0.
        if len(p) < 72:
            self.log(self.spid, "login record too short")
            return False
        version, packet_size = struct.unpack_from("<II", p, 4)

        def field(index):
            return struct.unpack_from("<HH", p, 36 + 4 * index)

        user = w.read_ucs2(p, *field(1))
        pw_off, pw_chars = field(2)
        password = bytes(((b ^ 0xA5) >> 4) | (((b ^ 0xA5) & 0x0F) << 4)
                         for b in p[pw_off:pw_off + 2 * pw_chars]).decode("utf-16-le", "replace")
        app = w.read_ucs2(p, *field(3))
        wanted_db = w.read_ucs2(p, *field(8))
        self.log(self.spid, "login user=%r database=%r app=%r tds=0x%08x packet=%d"
                 % (user, wanted_db, app, version, packet_size))
        if self.fixture.faults.login_delay:
            time.sleep(self.fixture.faults.login_delay)

        expected = self.fixture.password_of(user)
        if not user or expected is None or expected != password:
            self.refuse_login(user, None)
            return False
        self.login = user
        db = self.fixture.database(wanted_db) if wanted_db else self.fixture.default_database()
        if db is None or not db.admits(user):
            self.refuse_login(user, wanted_db)
            return False
        self.database = db
        if packet_size:
            self.packet_size = max(MIN_PACKET, min(MAX_PACKET, packet_size))
        self.send(
            w.envchange_text(w.ENV_DATABASE, db.name, "master")
            + self.info_token(5701, 2, "Changed database context to '%s'." % db.name)
            + w.envchange_collation()
            + w.envchange_text(w.ENV_LANGUAGE, "us_english", "")
            + self.info_token(5703, 1, "Changed language setting to us_english.")
            + w.loginack(PROGRAM_NAME)
            + w.envchange_text(w.ENV_PACKET_SIZE, str(self.packet_size), str(self.packet_size))
            + w.done())
        self.log(self.spid, "login ok, database %s" % db.name)
        return True

    def refuse_login(self, user, database):
        tokens = b""
        if database is not None:
            tokens += self.error_token(4060, 1, 11, "Cannot open database requested in login '%s'. "
                                                    "Login fails." % database)
        tokens += self.error_token(18456, 1, 14, "Login failed for user '%s'." % user)
        self.send(tokens + w.done(w.DONE_ERROR))
        self.log(self.spid, "login refused for %r" % user)

    # --- requests ------------------------------------------------------------

    def handle_request(self, kind, payload):
        if kind == w.PKT_SQL_BATCH:
            # Under TDS 7.1 a batch is its text alone, with no request headers.
            text = payload.decode("utf-16-le", "replace")
            self.log(self.spid, "batch %r" % text[:300])
            return self.reply(q.answer(text, self))
        if kind == w.PKT_ATTENTION:
            self.log(self.spid, "attention")
            self.send(w.done(w.DONE_ATTN))
            return True
        if kind == w.PKT_TRANSACTION:
            self.log(self.spid, "transaction manager request")
            self.send(w.done())
            return True
        self.log(self.spid, "unsupported packet type 0x%02x" % kind)
        self.send(self.error_token(8009, 1, 16, "The request type 0x%02x is not supported here." % kind)
                  + w.done(w.DONE_ERROR))
        return True

    def reply(self, a):
        if isinstance(a, q.Rows):
            return self.send_rows(a)
        if isinstance(a, q.Use):
            db = self.fixture.database(a.database)
            if db is None or not db.admits(self.login):
                self.send(self.error_token(911, 1, 16, "Could not locate entry in sysdatabases for "
                                           "database '%s'. No entry found with that name. Make sure "
                                           "that the name is entered correctly." % a.database)
                          + w.done(w.DONE_ERROR))
                return True
            old, self.database = self.database, db
            self.send(w.envchange_text(w.ENV_DATABASE, db.name, old.name)
                      + self.info_token(5701, 1, "Changed database context to '%s'." % db.name)
                      + w.done())
            return True
        if isinstance(a, q.Error):
            self.send(self.error_token(a.number, a.state, a.severity, a.text) + w.done(w.DONE_ERROR))
            return True
        self.send(w.done())
        return True

    def send_rows(self, a):
        faults = self.fixture.faults
        head = w.colmetadata(a.columns)
        if faults.malformed_query == a.query:
            # A token type no server sends, where the first row belongs.
            self.send(head + b"\x5a\x00\x10garbage")
            self.log(self.spid, "sent a malformed token for %s" % a.query)
            return True
        if faults.drop_query == a.query:
            shown = a.rows[:faults.drop_rows]
            self.send(head + b"".join(w.row(a.columns, r) for r in shown), final=False)
            self.log(self.spid, "dropped the connection after %d rows of %s" % (len(shown), a.query))
            self.sock.shutdown(socket.SHUT_RDWR)
            return False
        body = b"".join(w.row(a.columns, r) for r in a.rows)
        count = len(a.rows)
        if a.procedure:
            tail = (w.done(w.DONE_COUNT | w.DONE_MORE, w.CMD_SELECT, count, w.TOKEN_DONEINPROC)
                    + w.return_status(0) + w.done(w.DONE_FINAL, w.CMD_EXECUTE, 0, w.TOKEN_DONEPROC))
        else:
            tail = w.done(w.DONE_COUNT, w.CMD_SELECT, count)
        self.send(head + body + tail)
        return True


def main(argv=None):
    ap = argparse.ArgumentParser(description="TDS 7.1 stand-in for SQL Server on 127.0.0.1")
    ap.add_argument("--fixture", required=True)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--lifetime", type=float, default=300)
    ap.add_argument("--log")
    args = ap.parse_args(argv)
    try:
        fixture = standin_fixture.load(args.fixture)
    except standin_fixture.FixtureError as e:
        print("tds_standin: %s" % e, file=sys.stderr)
        return 2
    log = Log(args.log)

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", args.port))
    server.listen(64)
    port = server.getsockname()[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    log(0, "listening on 127.0.0.1:%d, pid %d, lifetime %gs" % (port, os.getpid(), args.lifetime))

    deadline = time.monotonic() + args.lifetime
    spids = itertools.count(51)
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        server.settimeout(min(left, 1.0))
        try:
            conn, _ = server.accept()
        except socket.timeout:
            continue
        conn.settimeout(max(1.0, left))
        spid = next(spids)
        log(spid, "connected")
        threading.Thread(target=Session(conn, spid, fixture, log).run, daemon=True).start()
    log(0, "lifetime over, stopping")
    return 0


if __name__ == "__main__":
    sys.exit(main())
