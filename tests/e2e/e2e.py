#!/usr/bin/env python3
"""Runs the wizard under Wine from "Начать" on its first page to "Закрыть"
against the stand-ins, as one scenario of scenarios.json describes, driving
its window from outside with window messages only (gui_driver), and checks the
finished report. Leaves a screenshot of every page in the work folder.

  e2e.py SCENARIO --exe EXE --skin DLL --driver EXE --engine-library DLL
         --samples DIR --prefix WINEPREFIX --work DIR [--manual]

--manual sets everything up, starts the wizard in a window for a person to
click through and stops the stand-ins when the window closes; nothing is
checked. Without a display the run happens under Xvfb (scripts/with-display).
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(HERE))
import report_check  # noqa: E402

PYTHON = "/usr/bin/python3" if os.access("/usr/bin/python3", os.X_OK) else sys.executable
INSTALL = r"C:\Tavel\Lumaro"
SQL_PATH = r"C:\Program Files\Microsoft SQL Server\MSSQL"
MEDIA_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID\{7BB5910B-3E29-4C24-A36C-265AC78590A4}\InprocServer32"
ENGINE_KEYS = (r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\MSSQLServer\MSSQLServer",
               r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\MSSQLSERVER",
               r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Microsoft SQL Server\80\Tools\ClientSetup")
PROXY_USER, PROXY_PASSWORD = "wizard", "Pr0xy-s3cret"
PRODUCT_PASSWORD = "Brevanto"
PROMPT_EDIT_ID = 101  # the password edit of the SA password prompt
STANDIN_LIFETIME = "150"  # seconds; a person clicking through gets MANUAL_LIFETIME
MANUAL_LIFETIME = "3600"


class Failure(Exception):
    pass


def wine_environment():
    """The variables scripts/wine-env sets (the loader, the quiet defaults)."""
    out = subprocess.run(["bash", "-c", '. "$1" && env -0', "_", str(ROOT / "scripts/wine-env")],
                         check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)


def wait_for_file(path, seconds, process=None):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if path.exists() and path.read_text().strip():
            return path.read_text().strip()
        if process is not None and process.poll() is not None:
            break
        time.sleep(0.05)
    raise Failure("%s did not appear within %d s" % (path, seconds))


def start_tool(*command):
    """Runs a stand-in's start script and answers what it printed."""
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure("%s failed: %s" % (" ".join(map(str, command[:2])), done.stderr.strip()))
    return done.stdout


def write_cp1251(path, lines):
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("cp1251"))


class Run:
    def __init__(self, name, scenario, args):
        self.name, self.scenario, self.args = name, scenario, args
        self.work = Path(args.work).resolve()
        self.env = dict(os.environ, **wine_environment())
        self.env["WINEPREFIX"] = str(Path(args.prefix).resolve())
        self.wine, self.wineserver = self.env["LMR_WINE"], self.env["LMR_WINESERVER"]
        self.standins = []  # (what, stop action)
        self.lifetime = MANUAL_LIFETIME if args.manual else STANDIN_LIFETIME
        self.values = {"proxy_password": PROXY_PASSWORD}  # what the exact placeholders stand for
        self.boxes = {}  # stage -> texts of the boxes answered during it
        self.failures = []

    # --- stand-ins ---------------------------------------------------------

    def start_online_service(self):
        folder = self.work / "online"
        folder.mkdir()
        process = subprocess.Popen(
            [PYTHON, str(ROOT / "tools/online_standin/online_standin.py"), "--port", "0",
             "--port-file", str(folder / "port"), "--status", self.scenario.get("online_status", "200 OK"),
             "--log", str(folder / "requests.log"), "--lifetime", self.lifetime],
            stdout=subprocess.DEVNULL, stderr=open(folder / "stderr.log", "w"), start_new_session=True)
        self.standins.append(("online service", lambda: self.stop_process(process)))
        port = wait_for_file(folder / "port", 10, process)
        self.values["service"] = "127.0.0.1:" + port
        if self.scenario.get("online_down"):
            self.stop_process(process)  # its port stays known and now refuses

    def start_proxy(self):
        folder = self.work / "proxy"
        port = start_tool(ROOT / "tools/online_standin/proxy-env", "start", folder, PROXY_USER, PROXY_PASSWORD,
                          self.lifetime).strip()
        self.standins.append(("proxy", lambda: subprocess.run(
            [str(ROOT / "tools/online_standin/proxy-env"), "stop", str(folder)], check=False)))
        self.values["proxy_port"] = port

    def start_database(self):
        standin_env = ROOT / "tools/tds_standin/standin-env"
        folder = self.work / "database"
        fixture = json.loads((HERE / "tds-fixture.json").read_text(encoding="utf-8"))
        database = self.scenario.get("database", {})
        fixture["logins"]["SA"] = database.get("sa_password", "")
        for db in fixture["databases"]:
            for kind, names in database.get("extra_objects", {}).get(db["name"], {}).items():
                db.setdefault("objects", {}).setdefault(kind, []).extend(names)
            db["attributes"] = [[n, self.fill(v)] for n, v in db.get("attributes", [])]
        attributes = database.get("attributes")
        if attributes is not None:
            product = next(db for db in fixture["databases"] if db["name"] == "LumaroSchool")
            product["attributes"] = [[n, self.fill(v)] for n, v in attributes]
        folder.mkdir()
        (folder / "fixture.json").write_text(json.dumps(fixture, ensure_ascii=False, indent=1), encoding="utf-8")
        # The driver must match the Wine loader: the host's i386 FreeTDS for a 32-bit prefix.
        arch = "i386" if self.env.get("WINEARCH") == "win32" else "amd64"
        out = start_tool(standin_env, "start", folder, folder / "fixture.json", "--arch", arch,
                         "--lifetime", self.lifetime)
        self.standins.append(("SQL Server stand-in", lambda: subprocess.run(
            [str(standin_env), "stop", str(folder)], check=False)))
        exports = dict(re.findall(r"(\w+)=(\S+)", out))
        self.env["ODBCSYSINI"] = exports["ODBCSYSINI"]
        self.env["FREETDSCONF"] = exports["FREETDSCONF"]
        # The stand-in's port as the driver's default port: the configuration file names the server
        # "localhost" as on a machine with a local engine, and a server that does not answer by an
        # address where nothing listens.
        self.env["TDSPORT"] = exports["LMR_STANDIN_PORT"]

    def fill(self, value):
        """A fixture value with {service} and {proxy_port} of this run put in."""
        if value is None:
            return None
        return re.sub(r"\{(\w+)\}", lambda m: self.values[m.group(1)], str(value))

    def stop_process(self, process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(5)

    def stop_standins(self):
        for _, stop in reversed(self.standins):
            stop()
        self.standins = []

    # --- the machine: prefix registry and the sample installation ------------

    def wine_tool(self, *command):
        with tempfile.TemporaryFile() as output:
            done = subprocess.run([self.wine, *command], env=self.env, stdout=output, stderr=subprocess.STDOUT,
                                  timeout=60)
            output.seek(0)
            return done.returncode, output.read().decode(errors="replace")

    def prepare_machine(self):
        drive_c = Path(self.env["WINEPREFIX"]) / "drive_c"
        install = drive_c / "Tavel/Lumaro"
        shutil.rmtree(install, ignore_errors=True)
        samples = Path(self.args.samples)
        server, client = install / "Server", install / "Client"
        shutil.copytree(samples / "Server", server)
        shutil.copytree(samples / "Client", client)
        for folder in ("Content", "SchoolContent"):
            (install / folder).mkdir()
        ini = (HERE / "sample/DbEngine.ini").read_text(encoding="utf-8")
        self.values["slot5_server"] = self.scenario.get("slot5_server", "localhost")
        ini = ini.replace("{slot5_server}", self.values["slot5_server"])
        write_cp1251(server / "DbEngine.ini", ini.splitlines())
        shutil.copy(HERE / "sample/readme.txt", server / "readme.txt")

        engine = self.scenario.get("engine")
        binn = drive_c / "Program Files/Microsoft SQL Server/MSSQL/Binn"
        shutil.rmtree(binn.parent, ignore_errors=True)
        lines = ["Windows Registry Editor Version 5.00", ""]
        for key in ENGINE_KEYS:
            lines += ["[-%s]" % key, ""]
        if engine is not None:
            binn.mkdir(parents=True)
            shutil.copy(self.args.engine_library, binn / "w95scm.dll")
            self.env["LMR_STANDIN_STATE"] = str(engine["state"])
            lines += ["[%s]" % ENGINE_KEYS[0], '"LoginMode"=dword:%08x' % (engine["login_mode"] & 0xFFFFFFFF),
                      '"DefaultCollationName"="%s"' % engine["collation"], "",
                      "[%s]" % ENGINE_KEYS[1], '"Start"=dword:%08x' % engine["start"], "",
                      "[%s]" % ENGINE_KEYS[2], '"SQLPath"="%s"' % SQL_PATH.replace("\\", "\\\\"), ""]
        else:
            self.env.pop("LMR_STANDIN_STATE", None)
        lines += ["[-%s]" % MEDIA_KEY, ""]
        if self.scenario.get("media_registered", True):
            lines += ["[%s]" % MEDIA_KEY, '@="%s"' % (INSTALL + r"\Client\axTavMedia.ocx").replace("\\", "\\\\"), ""]
        reg = self.work / "machine.reg"
        reg.write_text("\r\n".join(lines), encoding="ascii")
        code, output = self.wine_tool("reg", "import", str(reg))
        if code != 0:
            raise Failure("reg import: %s" % output)

    # --- the wizard ------------------------------------------------------------

    def prepare_work(self):
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        for f in (self.args.exe, self.args.skin, self.args.driver):
            shutil.copy(f, self.work)
        for kind in ("Func", "Proc", "Table"):
            shutil.copy(HERE / "sample" / ("DBObjects_%s.txt" % kind), self.work)

    def drive(self, step, commands, stage=None):
        """Runs gui_driver on the commands, then screenshots the screen."""
        path = self.work / (step + ".cmd")
        path.write_text("\n".join(commands) + "\n", encoding="utf-8")
        # Output to a file, not a pipe: Wine's helper processes would keep a pipe open.
        output = self.work / (step + ".out")
        try:
            with open(output, "wb") as out_file:
                done = subprocess.run([self.wine, Path(self.args.driver).name, path.name], cwd=self.work,
                                      env=self.env, stdout=out_file, stderr=subprocess.STDOUT, timeout=180)
        except subprocess.TimeoutExpired:
            done = None
        out = output.read_text(encoding="utf-8", errors="replace")
        if done is None:
            out += "FAIL: gui_driver did not finish within 180 s\n"
        subprocess.run(["import", "-window", "root", str(self.work / (step + ".png"))], env=self.env,
                       capture_output=True, timeout=30)
        if stage:
            self.boxes[stage] = [l[5:] for l in out.splitlines() if l.startswith("box: ")]
        fails = [l for l in out.splitlines() if l.startswith("FAIL")]
        if fails or (done is not None and done.returncode != 0):
            self.failures += ["%s: %s" % (step, l) for l in fails or ["gui_driver exit %s" % done.returncode]]

    def run_stage(self, step, button, stage, then):
        """Presses a stage's button without waiting on it, answers every box
        that shows meanwhile (printing its text) until the window is enabled
        again, then checks the page."""
        self.drive(step, ["wait-window", "click-async %d" % button, "answer-all * 1"] + then, stage)

    def walk(self):
        s = self.scenario
        self.drive("01-system", ["wait-window", "wait-visible 201 1", "text 202 Начать"])
        self.run_stage("02-engine", 202, "system", ["wait-visible 301 1", "line 201 4 HardDrives: Complete"])
        self.run_stage("03-installation", 302, "engine", [
            "wait-visible 403 1", "line 301 4 Default Collation Name: Complite",
            "settext 403 " + INSTALL + r"\Server", "settext 406 " + INSTALL + r"\Client", "enabled 410 1"])
        self.run_stage("04-database", 410, "installation", ["wait-visible 501 1", "count 501 5"])
        if s.get("database_complete", True):
            database_checks = ["line 501 4 Check SP & FN: Complete"]
        else:
            database_checks = ["line 501 0 Connecting To MasterDB: "]
        if "sa_password" in s.get("database", {}):
            self.drive("05-network", [
                "wait-window", "click-async 502", "wait-dialog Ошибка",
                "dlg-settext %d %s" % (PROMPT_EDIT_ID, s["database"]["sa_password"]),
                "dlg-click 1", "wait-dialog-gone", "answer-all * 1", "wait-visible 601 1"] + database_checks,
                "database")
        else:
            self.run_stage("05-network", 502, "database", ["wait-visible 601 1"] + database_checks)
        if s.get("network_completes", True):
            self.run_stage("06-finished", 602, "network", [
                "wait-visible 603 1", "line 601 2 Lumaro Network Options: Complete", "enabled 602 0",
                "text 603 Закрыть"])
            self.drive("07-closed", ["wait-window", "click 603", "wait-gone"])
        else:
            # The stage ended in an error: the page stays, "Закрыть" is not offered.
            # The box of the error that left the stage shows after the window is enabled again.
            self.drive("06-network-failed", ["wait-window", "click-async 602", "wait-dialog LMRTSWizard",
                                             "answer-all LMRTSWizard 1", "wait-enabled 602 1", "visible 603 0"],
                       "network")
            self.drive("07-closed", ["wait-window", "close", "wait-gone"])

    def run_wizard(self):
        wizard = subprocess.Popen([self.wine, Path(self.args.exe).name], cwd=self.work, env=self.env,
                                  stdout=subprocess.DEVNULL, stderr=open(self.work / "wine.log", "w"))
        try:
            if self.args.manual:
                wizard.wait()
            else:
                self.walk()
                wizard.wait(30)
        except subprocess.TimeoutExpired:
            self.failures.append("the wizard did not end after its window closed")
        finally:
            if wizard.poll() is None:
                subprocess.run([self.wineserver, "-k"], env=self.env, check=False)
                wizard.wait(10)

    # --- checks -----------------------------------------------------------------

    def check_report(self):
        report_path = self.work / "LMRTSWizard.xml"
        if not report_path.exists():
            raise Failure("no report")
        report = report_path.read_bytes()
        template = (HERE / "expected" / self.scenario["expected"]).read_text(encoding="utf-8")
        template = report_check.expand_includes(template, HERE / "expected")
        try:
            report_check.check(report, template, self.values)
        except report_check.Mismatch as e:
            self.failures.append("report differs from expected/%s %s" % (self.scenario["expected"], e))
        lint = subprocess.run(["xmllint", "--noout", str(report_path)], capture_output=True, text=True)
        if lint.returncode != 0:
            self.failures.append("report is not well-formed: " + lint.stderr.strip())
        secrets = [PRODUCT_PASSWORD, PROXY_PASSWORD, self.scenario.get("database", {}).get("sa_password")]
        for secret in filter(None, secrets):
            if secret.encode("cp1251") in report:
                self.failures.append("the password %r appears in the report" % secret)
        systeminfo = subprocess.run([PYTHON, str(ROOT / "tests/shell/check-systeminfo.py"), str(report_path),
                                     self.env["WINEPREFIX"]], capture_output=True, text=True)
        if systeminfo.returncode != 0:
            self.failures.append("SystemInfo disagrees with the host: " + systeminfo.stdout.strip())
        return report

    def check_boxes(self, report):
        expected = self.scenario.get("boxes", {})
        for stage in ("system", "engine", "installation", "database", "network"):
            got = self.boxes.get(stage, [])
            if stage == "network" and expected.get("network") == "ConnectionError":
                lines = [l.decode("cp1251") for l in re.findall(rb"<ConnectionError>([^<]*)</ConnectionError>",
                                                                   report)]
                want = ["ConnectionError: " + l for l in lines]
                if not lines or got != want:
                    self.failures.append("network error boxes %r, expected one per ConnectionError %r" % (got, want))
            elif isinstance(expected.get(stage), str):
                if not (len(got) == 1 and re.fullmatch(expected[stage], got[0], re.S)):
                    self.failures.append("%s stage boxes %r, expected one matching %r" % (stage, got, expected[stage]))
            elif got:
                self.failures.append("%s stage showed unexpected boxes %r" % (stage, got))

    def check_requests(self):
        want = self.scenario.get("service_requests", {})
        log_path = self.work / "online/requests.log"
        log = log_path.read_text(encoding="latin-1") if log_path.exists() else ""
        requests = [r for r in log.split("\n\n") if r.strip()]
        heads = [r for r in requests if r.startswith("HEAD /lumaro/LMROLClientServer.dll HTTP/1.")]
        if len(requests) != want.get("count", 0) or len(heads) != len(requests):
            self.failures.append("online service requests %r, expected %d HEAD of the service path"
                                 % (requests, want.get("count", 0)))
        through_proxy = [r for r in heads if re.search(r"^Via: .*tinyproxy", r, re.M)]
        if len(through_proxy) != (len(heads) if want.get("via_proxy") else 0):
            self.failures.append("requests through the proxy: %d of %d" % (len(through_proxy), len(heads)))
        if want.get("via_proxy"):
            proxy_log = (self.work / "proxy/tinyproxy.log").read_text(errors="replace")
            if "HEAD http://%s/lumaro/LMROLClientServer.dll" % self.values["service"] not in proxy_log:
                self.failures.append("the proxy forwarded no HEAD request of the service")

    # --- the whole run ----------------------------------------------------------

    def execute(self):
        started = time.monotonic()
        self.prepare_work()
        try:
            self.start_online_service()
            if self.scenario.get("proxy"):
                self.start_proxy()
            self.start_database()
            self.prepare_machine()
            self.run_wizard()
        finally:
            self.stop_standins()
        if self.args.manual:
            return 0
        report = self.check_report()
        self.check_boxes(report)
        self.check_requests()
        for f in self.failures:
            print("FAIL: %s: %s" % (self.name, f))
        print("%s: %s in %.1f s; report and screenshots in %s" % (
            self.name, "failed" if self.failures else "ok", time.monotonic() - started, self.work))
        return 1 if self.failures else 0


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("scenario")
    for option in ("exe", "skin", "driver", "engine-library", "samples", "prefix", "work"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--manual", action="store_true")
    args = parser.parse_args(argv)
    if not os.environ.get("DISPLAY"):
        os.execv(str(ROOT / "scripts/with-display"), [str(ROOT / "scripts/with-display"), PYTHON, __file__] + argv)
    scenarios = json.loads((HERE / "scenarios.json").read_text(encoding="utf-8"))
    if args.scenario not in scenarios:
        print("unknown scenario %s; known: %s" % (args.scenario, ", ".join(scenarios)))
        return 2
    run = Run(args.scenario, scenarios[args.scenario], args)
    # A stopped run still stops its stand-ins (the finally blocks).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        return run.execute()
    except Failure as e:
        print("FAIL: %s: %s" % (args.scenario, e))
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
