#!/usr/bin/python3
"""The SQL Server stand-in, reached as the wizard reaches SQL Server on Linux:
pyodbc -> unixODBC -> FreeTDS ODBC ("SQL Server" driver name) -> tds_standin.py.

Every stand-in is started with tools/tds_standin/standin-env in a temporary
folder, bounded by its lifetime, and stopped by its PID.
"""

import json
import os
import shlex
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import pyodbc

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOLS = os.path.join(ROOT, "tools", "tds_standin")
STANDIN_ENV = os.path.join(TOOLS, "standin-env")
sys.dont_write_bytecode = True
sys.path.insert(0, TOOLS)
from standin_queries import ATTRIBUTES_QUERY  # noqa: E402

CYRILLIC_DB = "Школа_Основная"
XML_DB = "a<b>&'\"c"
TRICKY_PASSWORD = "p;}=x"
BIG_COUNT = 100000

MAIN_FIXTURE = {
    "logins": {"SA": "", "Lumaro": "Brevanto", "Учитель": "пароль", "Tricky": TRICKY_PASSWORD},
    "databases": [
        {"name": "master", "owner": "sa", "size_kb": 14336},
        {"name": CYRILLIC_DB, "owner": "Lumaro",
         "objects": {"FN": ["fnИмя", "fn<&>"], "P": ["spЗапрос", "sp'quote"],
                     "U": ["Журнал", "T\"&<>"]},
         "attributes": [["UseProxyServer", "1"], ["ProxyPort", "3128"], ["PROXYPORT", "8080"],
                        ["ProxyServer", "прокси.school"], ["ProxyUser", None],
                        ["ProxyPASsword", "<&>"]]},
        {"name": XML_DB, "owner": "Учитель", "users": ["Tricky"]},
        {"name": "Others", "owner": "sa"},
        {"name": "Big", "owner": "Lumaro", "objects": {"U": ["T%06d" % n for n in range(BIG_COUNT)]}},
    ],
}

FAULT_FIXTURE = {
    "logins": {"SA": ""},
    "databases": [{"name": "master", "owner": "sa",
                   "objects": {"U": ["T%d" % n for n in range(50)], "P": ["spA", "spB"]}}],
    "faults": {"drop_after_rows": {"query": "sysobjects:U", "rows": 3},
               "malformed_token": {"query": "sysobjects:P"}},
}

SLOW_LOGIN_FIXTURE = {
    "logins": {"SA": ""},
    "databases": [{"name": "master", "owner": "sa"}],
    "faults": {"login_delay_seconds": 30},
}


class StandIn:
    """A stand-in for one fixture, with its freetds.conf alias MYPC."""

    def __init__(self, fixture, lifetime=240):
        self.dir = tempfile.mkdtemp(prefix="standin-")
        self.fixture_path = os.path.join(self.dir, "fixture.json")
        with open(self.fixture_path, "w", encoding="utf-8") as f:
            json.dump(fixture, f, ensure_ascii=False)
        out = subprocess.run([STANDIN_ENV, "start", self.dir, self.fixture_path, "MYPC", "LMRSRV",
                              "--lifetime", str(lifetime)],
                             check=True, capture_output=True, text=True, timeout=30).stdout
        self.env = {}
        for line in out.splitlines():
            words = shlex.split(line)
            self.assert_export(words)
            for word in words[1:]:
                key, _, value = word.partition("=")
                self.env[key] = value
        self.port = int(self.env["LMR_STANDIN_PORT"])
        with open(self.env["LMR_STANDIN_PID_FILE"]) as f:
            self.pid = int(f.read())

    @staticmethod
    def assert_export(words):
        if not words or words[0] != "export":
            raise AssertionError("standin-env printed a line that is not an export: %r" % words)

    def use(self):
        os.environ.update({k: self.env[k] for k in ("ODBCSYSINI", "FREETDSCONF")})

    def connect(self, uid="SA", pwd="", database="Master", server="SERVERNAME=MYPC", timeout=10):
        self.use()
        conn = pyodbc.connect("DRIVER={SQL Server};%s;UID=%s;PWD={%s};DATABASE=%s"
                              % (server, uid, pwd, database),
                              timeout=timeout, autocommit=True)
        conn.timeout = 60  # a bound on every query: a stand-in that stalls fails the test
        return conn

    def log(self):
        with open(os.path.join(self.dir, "standin.log"), encoding="utf-8") as f:
            return f.read()

    def stop(self):
        subprocess.run([STANDIN_ENV, "stop", self.dir], check=True, timeout=30)


def query(conn, text):
    cur = conn.cursor()
    cur.execute(text)
    return [d[0] for d in cur.description], [tuple(r) for r in cur.fetchall()]


def objects_query(xtype):
    return "SELECT NAME FROM sysobjects WHERE Xtype = '%s'" % xtype


class MainFixtureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.standin = StandIn(MAIN_FIXTURE)

    @classmethod
    def tearDownClass(cls):
        cls.standin.stop()

    def login_error(self, **kw):
        with self.assertRaises(pyodbc.Error) as caught:
            self.standin.connect(**kw)
        return str(caught.exception)

    def test_login_through_alias_and_through_host_port(self):
        for server in ("SERVERNAME=MYPC", "SERVERNAME=lmrsrv", "SERVER=127.0.0.1,%d" % self.standin.port):
            with self.subTest(server=server):
                conn = self.standin.connect(server=server)
                self.assertEqual(query(conn, "select db_name()")[1], [("master",)])
                conn.close()

    def test_login_and_database_names_ignore_letter_case(self):
        conn = self.standin.connect(uid="LUMARO", pwd="Brevanto", database=CYRILLIC_DB.upper())
        self.assertEqual(query(conn, "select db_name()")[1], [(CYRILLIC_DB,)])

    def test_refused_logins_give_18456_and_name_the_login(self):
        cases = [
            ("wrong password", dict(uid="SA", pwd="nope"), "SA"),
            ("password differs in case", dict(uid="Lumaro", pwd="brevanto", database=CYRILLIC_DB), "Lumaro"),
            ("unknown login", dict(uid="Ghost", pwd=""), "Ghost"),
            ("unknown database", dict(uid="SA", pwd="", database="NoSuchDb"), "SA"),
            ("database of another owner", dict(uid="Lumaro", pwd="Brevanto", database="Others"), "Lumaro"),
        ]
        for name, kw, login in cases:
            with self.subTest(name):
                message = self.login_error(**kw)
                self.assertIn("Login failed for user '%s'." % login, message)
                self.assertIn("18456", message)

    def test_password_with_semicolon_brace_and_equals(self):
        # FreeTDS ends a braced value at the first "};" and keeps "}}" as two braces,
        # so the doubled form of ODBC's own rule reaches the server unchanged.
        cases = [("PWD={p;}=x}", True), ("PWD={p;}}=x}", False), ("PWD={p;}", False)]
        self.standin.use()
        for pwd, accepted in cases:
            with self.subTest(pwd=pwd):
                text = "DRIVER={SQL Server};SERVERNAME=MYPC;UID=Tricky;%s;DATABASE=%s" % (pwd, XML_DB)
                if accepted:
                    conn = pyodbc.connect(text, timeout=10, autocommit=True)
                    self.assertEqual(query(conn, "select db_name()")[1], [(XML_DB,)])
                    conn.close()
                else:
                    with self.assertRaises(pyodbc.Error) as caught:
                        pyodbc.connect(text, timeout=10, autocommit=True)
                    self.assertIn("Login failed for user 'Tricky'.", str(caught.exception))

    def test_cyrillic_login_and_password(self):
        conn = self.standin.connect(uid="учитель", pwd="пароль", database=XML_DB)
        self.assertEqual(query(conn, "select db_name()")[1], [(XML_DB,)])

    def test_sp_databases_lists_every_database_for_sa(self):
        columns, rows = query(self.standin.connect(), "sp_databases")
        self.assertEqual(columns, ["DATABASE_NAME", "DATABASE_SIZE", "REMARKS"])
        self.assertEqual(rows, [("master", 14336, None), (CYRILLIC_DB, 2048, None), (XML_DB, 2048, None),
                                ("Others", 2048, None), ("Big", 2048, None)])

    def test_sp_mshasdbaccess_gives_dbname_then_owner_of_accessible_databases(self):
        cases = [
            ("SA", "", "master", ["master", CYRILLIC_DB, XML_DB, "Others", "Big"]),
            ("Lumaro", "Brevanto", CYRILLIC_DB, [CYRILLIC_DB, "Big"]),
            ("Tricky", TRICKY_PASSWORD, XML_DB, [XML_DB]),
        ]
        owners = {d["name"]: d["owner"] for d in MAIN_FIXTURE["databases"]}
        for login, password, database, expected in cases:
            with self.subTest(login=login):
                conn = self.standin.connect(uid=login, pwd=password, database=database)
                columns, rows = query(conn, "  sp_MShasdbaccess \r\n")
                self.assertEqual(columns[:2], ["dbname", "owner"])
                self.assertEqual([r[:2] for r in rows], [(n, owners[n]) for n in expected])

    def test_object_lists_of_the_current_database(self):
        conn = self.standin.connect(uid="Lumaro", pwd="Brevanto", database=CYRILLIC_DB)
        cases = [("FN", ["fnИмя", "fn<&>"]), ("P", ["spЗапрос", "sp'quote"]), ("U", ["Журнал", "T\"&<>"]),
                 ("fn", ["fnИмя", "fn<&>"]), ("P ", ["spЗапрос", "sp'quote"]), ("V", [])]
        for xtype, names in cases:
            with self.subTest(xtype=xtype):
                columns, rows = query(conn, objects_query(xtype))
                self.assertEqual(columns, ["NAME"])
                self.assertEqual(rows, [(n,) for n in names])
        self.assertEqual(query(self.standin.connect(), objects_query("U"))[1], [])

    def test_use_switches_the_database_the_object_queries_read(self):
        conn = self.standin.connect()
        self.assertEqual(query(conn, objects_query("FN"))[1], [])
        conn.cursor().execute("USE [%s]" % CYRILLIC_DB)
        self.assertEqual(query(conn, objects_query("FN"))[1], [("fnИмя",), ("fn<&>",)])

    def test_attribute_rows_in_fixture_order_with_nulls_and_case_variants(self):
        conn = self.standin.connect(uid="Lumaro", pwd="Brevanto", database=CYRILLIC_DB)
        columns, rows = query(conn, "\t" + ATTRIBUTES_QUERY + "  ")
        self.assertEqual(columns, ["DataValue", "AttributeName"])
        self.assertEqual(rows, [("1", "UseProxyServer"), ("3128", "ProxyPort"), ("8080", "PROXYPORT"),
                                ("прокси.school", "ProxyServer"), (None, "ProxyUser"),
                                ("<&>", "ProxyPASsword")])
        cur = conn.cursor()
        cur.execute(ATTRIBUTES_QUERY)
        nullable = {d[0]: d[6] for d in cur.description}
        self.assertEqual(nullable, {"DataValue": True, "AttributeName": False})

    def test_other_statements_give_server_errors_and_keep_the_connection(self):
        conn = self.standin.connect()
        cases = [("sp_nosuch", "Could not find stored procedure 'sp_nosuch'.", "2812"),
                 ("SELECT * FROM Whatever", "Incorrect syntax near 'SELECT'.", "102"),
                 (ATTRIBUTES_QUERY.replace("= 5", "= 6"), "Incorrect syntax", "102")]
        for text, message, number in cases:
            with self.subTest(text=text[:30]):
                with self.assertRaises(pyodbc.Error) as caught:
                    conn.cursor().execute(text)
                self.assertIn(message, str(caught.exception))
                self.assertIn("(%s)" % number, str(caught.exception))
                self.assertEqual(query(conn, "sp_databases")[1][0][0], "master")

    def test_housekeeping_of_a_transactional_connection_is_answered(self):
        self.standin.use()
        conn = pyodbc.connect("DRIVER={SQL Server};SERVERNAME=MYPC;UID=SA;PWD={};DATABASE=master",
                              timeout=10, autocommit=False)
        conn.timeout = 60
        self.assertGreaterEqual(query(conn, "select @@spid")[1][0][0], 51)
        conn.rollback()
        conn.close()
        log = self.standin.log()
        self.assertIn("BEGIN TRANSACTION", log)
        self.assertIn("IF @@TRANCOUNT > 0 ROLLBACK", log)

    def test_concurrent_sessions_are_served_independently(self):
        idle = self.standin.connect()  # a connection left open must not hold the others up
        results, errors = {}, []

        def work(n):
            try:
                conn = self.standin.connect(uid="Lumaro", pwd="Brevanto", database=CYRILLIC_DB)
                for _ in range(5):
                    results.setdefault(n, []).append(query(conn, objects_query("P"))[1])
                conn.close()
            except Exception as e:  # reported below, with the thread's number
                errors.append((n, e))

        threads = [threading.Thread(target=work, args=(n,)) for n in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(120)
        self.assertEqual(errors, [])
        self.assertEqual(sorted(results), list(range(8)))
        for runs in results.values():
            self.assertEqual(runs, [[("spЗапрос",), ("sp'quote",)]] * 5)
        idle.close()

    def test_hundred_thousand_objects_arrive_whole(self):
        conn = self.standin.connect(uid="Lumaro", pwd="Brevanto", database="Big")
        started = time.monotonic()
        rows = query(conn, objects_query("U"))[1]
        elapsed = time.monotonic() - started
        self.assertEqual(len(rows), BIG_COUNT)
        self.assertEqual((rows[0][0], rows[-1][0]), ("T000000", "T%06d" % (BIG_COUNT - 1)))
        print("\n%d object names in %.2f s" % (BIG_COUNT, elapsed), file=sys.stderr)

    def test_tsql_session(self):
        self.standin.use()
        out = subprocess.run(["tsql", "-S", "MYPC", "-U", "SA", "-P", ""],
                             input="sp_databases\ngo\nexit\n", capture_output=True, text=True,
                             timeout=60, env=dict(os.environ, LANG="C.UTF-8")).stdout
        self.assertIn(CYRILLIC_DB, out)
        self.assertIn("(5 rows affected)", out)


class FaultTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.standin = StandIn(FAULT_FIXTURE)

    @classmethod
    def tearDownClass(cls):
        cls.standin.stop()

    def test_connection_dropped_mid_result_is_an_error(self):
        conn = self.standin.connect()
        with self.assertRaises(pyodbc.Error):
            query(conn, objects_query("U"))
        self.assertIn("dropped the connection after 3 rows", self.standin.log())

    def test_malformed_token_is_an_error(self):
        conn = self.standin.connect()
        with self.assertRaises(pyodbc.Error):
            query(conn, objects_query("P"))

    def test_queries_without_a_fault_still_work(self):
        self.assertEqual(query(self.standin.connect(), "sp_databases")[1], [("master", 2048, None)])


class LifecycleTest(unittest.TestCase):
    def test_login_timeout_of_the_client_ends_a_slow_login(self):
        standin = StandIn(SLOW_LOGIN_FIXTURE)
        try:
            started = time.monotonic()
            with self.assertRaises(pyodbc.Error):
                standin.connect(timeout=2)
            # The stand-in holds its reply for 30 s; the client must give up long before.
            elapsed = time.monotonic() - started
            self.assertLess(elapsed, 20)
            print("\nlogin given up after %.2f s" % elapsed, file=sys.stderr)
        finally:
            standin.stop()

    def test_stand_in_stops_by_itself_after_its_lifetime(self):
        standin = StandIn(SLOW_LOGIN_FIXTURE, lifetime=1)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and os.path.exists("/proc/%d" % standin.pid) \
                and not _is_zombie(standin.pid):
            time.sleep(0.1)
        self.assertFalse(os.path.exists("/proc/%d" % standin.pid) and not _is_zombie(standin.pid))
        self.assertIn("lifetime over", standin.log())

    def test_stop_ends_the_stand_in_by_its_pid(self):
        standin = StandIn(SLOW_LOGIN_FIXTURE)
        standin.stop()
        self.assertFalse(os.path.exists("/proc/%d" % standin.pid) and not _is_zombie(standin.pid))
        self.assertFalse(os.path.exists(standin.env["LMR_STANDIN_PID_FILE"]))

    def test_a_broken_fixture_is_refused_with_a_message(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "fixture.json")
            with open(path, "w") as f:
                json.dump({"logins": {"SA": ""}, "databases": [{"owner": "sa"}]}, f)
            run = subprocess.run([sys.executable, os.path.join(TOOLS, "tds_standin.py"), "--fixture", path,
                                  "--lifetime", "5"], capture_output=True, text=True, timeout=30)
        self.assertEqual(run.returncode, 2)
        self.assertIn("needs a non-empty 'name'", run.stderr)


def _is_zombie(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] == "Z"
    except OSError:
        return False


if __name__ == "__main__":
    unittest.main(verbosity=2)
