#!/usr/bin/env python3
"""Compares the SystemInfo section of a wizard report with what the host says
independently: memory from /proc/meminfo, drive sizes from statvfs of the
folders Wine maps, the computer's name.   check-systeminfo.py REPORT PREFIX"""
import os
import sys
import xml.etree.ElementTree as ET

report, prefix = sys.argv[1], sys.argv[2]
root = ET.parse(report).getroot()
info = root.find("SystemInfo")
failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: report {got!r}, host {want!r}")


mem_kib = int(next(l.split()[1] for l in open("/proc/meminfo") if l.startswith("MemTotal:")))
expect("TotalPhys", info.findtext("TotalPhys"), f"{round(mem_kib / 1024)}MB")  # ties to even, as round()

drives = {d.findtext("Name"): d for d in info.find("HardDrives")}
for letter, folder in (("C:\\", os.path.join(prefix, "drive_c")), ("Z:\\", "/")):
    if letter not in drives:
        failures.append(f"drive {letter} missing from {sorted(drives)}")
        continue
    st = os.statvfs(folder)
    d = drives[letter]
    expect(letter + " TotalSpace", d.findtext("TotalSpace"), f"{st.f_blocks * st.f_frsize // 2**20}MB")
    expect(letter + " DriveTypeWinConst", d.findtext("DriveTypeWinConst"), "DRIVE_FIXED")
    expect(letter + " InfoEx", d.findtext("InfoEx") or "", "")

for name in ("Time", "OSVersion", "ComputerName", "User", "CPU", "TotalVirtual"):
    if not (info.findtext(name) or "").strip():
        failures.append(f"{name} empty")
if not info.findtext("OSVersion", "").startswith("Windows"):
    failures.append("OSVersion " + info.findtext("OSVersion", ""))

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
