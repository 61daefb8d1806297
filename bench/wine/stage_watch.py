#!/usr/bin/python3
"""Watches one run of the wizard from outside, from Linux:
    stage_watch.py REPORT WINEPREFIX [LIFETIME-SECONDS]

Reads the growing report every 2 ms and notes when each stage's section
start tag and end tag first appear: the stage writes its start tag when it
begins and its end tag as the last thing before its closing one-second wait,
so the difference is the stage's own work without that wait. Samples the
peak resident set (VmHWM) of the wizard's process: the Linux process whose
program (first word of its command line, as Wine sets it once the Windows
program runs) is LMRTSWizard.exe and whose environment holds this
WINEPREFIX. Ends when that process has come and gone, or after LIFETIME
(default 600 s). Prints one line per section and one for memory:
    stage NAME START_S END_S DURATION_MS      (times from the first byte)
    memory peak_kb N rss_max_kb N pid N
"""
import os
import sys
import time

SECTIONS = ["SystemInfo", "MSDEOptions", "LumaroOptions", "DataBaseOptions", "NetWork"]


def find_wizards(prefix):
    """Before Wine has started the Windows program, the same process shows
    the loader's command line (wine64 LMRTSWizard.exe) and its small memory."""
    marker = ("WINEPREFIX=" + prefix).encode()
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                program = f.read().split(b"\0")[0].strip()
            if not program.replace(b"\\", b"/").split(b"/")[-1].lower() == b"lmrtswizard.exe":
                continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if marker in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def memory(pid):
    values = {}
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("VmHWM", "VmRSS"):
                    values[key] = int(rest.split()[0])
    except OSError:
        return None
    return values


def main():
    report, prefix = sys.argv[1], os.path.abspath(sys.argv[2])
    lifetime = float(sys.argv[3]) if len(sys.argv) > 3 else 600
    begin = time.monotonic()
    content = b""
    first_byte = None
    seen = {}
    pid = None
    peak = rss = 0
    next_sample = 0.0
    while time.monotonic() - begin < lifetime:
        now = time.monotonic()
        try:
            with open(report, "rb") as f:
                f.seek(len(content))
                more = f.read()
            if len(more) and first_byte is None:
                first_byte = now
            if more:
                content += more
                for name in SECTIONS:
                    for tag in (f"<{name}>", f"</{name}>"):
                        if tag not in seen and tag.encode() in content:
                            seen[tag] = now
        except OSError:
            pass
        if now >= next_sample:
            next_sample = now + 0.05
            if pid is None:
                pid = next(iter(find_wizards(prefix)), None)
            if pid is not None:
                m = memory(pid)
                if not m:
                    break  # the wizard has ended (a zombie shows no memory)
                peak = max(peak, m.get("VmHWM", 0))
                rss = max(rss, m.get("VmRSS", 0))
        time.sleep(0.002)
    origin = first_byte or begin
    for name in SECTIONS:
        start, end = seen.get(f"<{name}>"), seen.get(f"</{name}>")
        if start is not None and end is not None:
            print(f"stage {name} {start - origin:.3f} {end - origin:.3f} {1000 * (end - start):.0f}")
    print(f"memory peak_kb {peak} rss_max_kb {rss} pid {pid or 0}")


if __name__ == "__main__":
    main()
