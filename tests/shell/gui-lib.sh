# Sourced by the GUI test scripts once their work folder is the current one
# and $driver names the GUI driver (tools/gui_driver): the failure flag, the
# driving of the window, and what a machine with the engine running and the
# product's configuration looks like.

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# drive NAME <<commands: runs them through the driver, keeping its output in
# NAME.out and a screenshot in NAME.png.
drive() {
  cat > "$1.cmd"
  "$LMR_WINE" "$(basename "$driver")" "$1.cmd" > "$1.out" 2>&1 || fail "checks in $1.cmd: $(cat "$1.out")"
  import -window root "$1.png" 2>/dev/null || true
}

# engine_running DLL: the engine's registry entries in $WINEPREFIX and the
# service-control stand-in DLL (answering "running") in engine/Binn.
engine_running() {
  local path="Z:${PWD//\//\\}\\engine"
  mkdir -p engine/Binn
  cp "$1" engine/Binn/w95scm.dll
  cat > engine.reg <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer]
"LoginMode"=dword:00000002
"DefaultCollationName"="Cyrillic_General_CI_AS"

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\MSSQLSERVER]
"Start"=dword:00000002

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\80\\Tools\\ClientSetup]
"SQLPath"="${path//\\/\\\\}\\\\"
REG
  "$LMR_WINE" reg import engine.reg >/dev/null 2>&1 || fail "registry import"
  export LMR_STANDIN_STATE=4
}

# product_config SERVER: server/DbEngine.ini naming the databases Tav, Search
# and School (slots 1, 4 and 5) on SERVER.
product_config() {
  mkdir -p server
  printf '[Database1]\r\nSQLAlias=Tav\r\nServerName=%s\r\n[Database4]\r\nSQLAlias=Search\r\nServerName=%s\r\n[Database5]\r\nSQLAlias=School\r\nServerName=%s\r\n' \
    "$1" "$1" "$1" > server/DbEngine.ini
}
