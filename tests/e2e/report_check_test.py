#!/usr/bin/env python3
"""The report checker accepts a report only when it follows its template: a
changed byte, a value outside its pattern, a misnumbered file list or a
report that is not windows-1251 text are each refused."""

import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))
from report_check import Mismatch, check  # noqa: E402

TEMPLATE = (
    '<?xml version="1.0" encoding="windows-1251"?>{{LF}}{{CR}}<R.xml>{{LF}}{{CR}}{{-}}\n'
    "<A><Time>{{time:\\d{1,2}:\\d\\d}}</Time>\n"
    "<Path>C:&#0092;Люмаро</Path>\n"
    "<Port>{{port}}</Port>\n"
    "</A><LumaroOptions><ClientFiles><File0>LMRClient.exe Version: 3.1</File0>\n"
    "<File1>axTavMedia.ocx Version: 1.0</File1>\n"
    "</ClientFiles></LumaroOptions></R.xml>\n")

REPORT = ('<?xml version="1.0" encoding="windows-1251"?>\n\r<R.xml>\n\r'
          "<A><Time>9:05</Time>\r\n<Path>C:&#0092;Люмаро</Path>\r\n<Port>8080</Port>\r\n"
          "</A><LumaroOptions><ClientFiles><File0>axTavMedia.ocx Version: 1.0</File0>\r\n"
          "<File1>LMRClient.exe Version: 3.1</File1>\r\n</ClientFiles></LumaroOptions></R.xml>")


def checked(report, values=None):
    check(report.encode("cp1251") if isinstance(report, str) else report, TEMPLATE,
          {"port": "8080"} if values is None else values)


class ReportCheck(unittest.TestCase):
    def test_a_report_that_follows_the_template_passes_whatever_the_file_order(self):
        checked(REPORT)

    def test_each_difference_is_refused(self):
        cases = {
            "a changed letter": REPORT.replace("Люмаро", "Люмарo"),
            "CR LF turned to LF": REPORT.replace("</Path>\r\n", "</Path>\n"),
            "the header's LF CR turned to CR LF": REPORT.replace("<R.xml>\n\r", "<R.xml>\r\n"),
            "a value outside its pattern": REPORT.replace("9:05", "9:5"),
            "another exact value": REPORT.replace("8080", "8081"),
            "a missing element": REPORT.replace("<Port>8080</Port>\r\n", ""),
            "text after the end": REPORT + "\r\n",
            "files numbered out of order": REPORT.replace("File1>LMR", "File2>LMR"),
            "a file more": REPORT.replace("</ClientFiles>", "<File2>x.dll Version: 1</File2>\r\n</ClientFiles>"),
        }
        for what, report in cases.items():
            with self.subTest(what), self.assertRaises(Mismatch):
                checked(report)

    def test_a_report_that_is_not_windows_1251_is_refused(self):
        with self.assertRaises(Mismatch):
            checked(REPORT.encode("cp1251").replace(b"9:05", b"9:\x98"))

    def test_a_value_the_caller_did_not_give_is_an_error_not_a_pass(self):
        with self.assertRaises(Mismatch):
            checked(REPORT, values={})


if __name__ == "__main__":
    unittest.main()
