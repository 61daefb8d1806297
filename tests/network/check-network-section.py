#!/usr/bin/env python3
"""Checks the "NetWork" section of a finished report against the host:
   check-network-section.py REPORT HOST-INTERFACES-FILE BOXES
the ports (only 42424 has a listener), the yes/no facts, the online part
(one "ConnectionError" per error box answered, then the error texts, or
"Connected"), the proxy settings and one adapter per host interface with its
IPv4 addresses (a file of lines "NAME ADDRESS..."; 0.0.0.0 for none)."""
import re
import sys
import xml.etree.ElementTree as ET

report, interfaces_file, boxes = sys.argv[1], sys.argv[2], int(sys.argv[3])
root = ET.fromstring(open(report, "rb").read())
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


network = root.find("NetWork")
if network is None:
    sys.exit("no NetWork section")
check([c.tag for c in network] == ["Ports", "Online", "NetAdapters"], "NetWork holds %s" % [c.tag for c in network])

ports = [(c.tag, c.text or "") for c in network.find("Ports")]
check(ports[:4] == [("Port_42424", "Open"), ("Port_42425", "Close"), ("Port_42426", "Close"),
                    ("Port_42427", "Close")], "ports %s" % ports[:4])
check(ports[4:6] == [("IsAdminCurrentUser", "Yes"), ("IsPresentNetwork", "Yes")], "facts %s" % ports[4:6])
check(len(ports) == 7 and ports[6][0] == "IsInternetConnected"
      and re.fullmatch(r"(Yes|No) Kind: INTERNET_CONNECTION_[A-Z_]+", ports[6][1]) is not None,
      "internet state %s" % ports[6:])

online = [c.tag for c in network.find("Online")]
errors = online.count("ConnectionError")
if "Connected" in online:
    check(online == ["Connected", "ProxyParams"], "online part %s" % online)
else:
    check(online == ["ConnectionError"] * errors + ["SYSError", "WSAError", "ProxyParams"], "online part %s" % online)
check(errors == boxes, "%d ConnectionError entries, %d boxes answered" % (errors, boxes))
params = [c.tag for c in network.find("Online/ProxyParams")]
check(params == ["UseProxyServer", "ProxyPort", "ProxyServer", "ProxyUser", "LMROLServerAddress",
                 "UseProxyAuthorization"], "proxy params %s" % params)

adapters = list(network.find("NetAdapters"))
check([a.tag for a in adapters] == ["Adapter%d" % n for n in range(len(adapters))], "adapter names")
for a in adapters:
    tags = [c.tag for c in a]
    check(tags[:2] == ["AdapterName", "Description"] and set(tags[2:]) == {"IP"}, "%s holds %s" % (a.tag, tags))
# Wine names each adapter's description after the host interface.
found = {(a.findtext("Description") or ""): sorted(c.text or "" for c in a if c.tag == "IP") for a in adapters}
host = {line.split()[0]: sorted(line.split()[1:]) for line in open(interfaces_file) if line.strip()}
check(found == (host or {"": [""]}), "adapters %s, the host has %s" % (found, host))

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
