"""The stand-in's fixture: logins, databases with owners, objects and attributes, faults.

Names compare without letter case, as on a server with a case-insensitive collation.
"""

import json

SYSADMIN = "sa"
# sysname and the attribute value column: longer texts do not fit the result columns.
MAX_NAME = 128
MAX_VALUE = 4000
QUERY_NAMES = ("sp_databases", "sp_mshasdbaccess", "attributes")


class FixtureError(Exception):
    pass


class Database:
    def __init__(self, raw):
        self.name = _text(raw, "name")
        self.owner = _text(raw, "owner")
        self.size_kb = int(raw.get("size_kb", 2048))
        self.users = [str(u) for u in raw.get("users", [])]
        objects = raw.get("objects", {})
        if not isinstance(objects, dict):
            raise FixtureError("database %s: objects must be an object of kind -> names" % self.name)
        self.objects = {k.strip().upper(): [_name(n) for n in v] for k, v in objects.items()}
        self.attributes = []
        for pair in raw.get("attributes", []):
            if not isinstance(pair, list) or len(pair) != 2:
                raise FixtureError("database %s: each attribute is [AttributeName, DataValue]" % self.name)
            value = pair[1]
            if value is not None and len(str(value)) > MAX_VALUE:
                raise FixtureError("database %s: a DataValue is longer than %d characters" % (self.name, MAX_VALUE))
            self.attributes.append((_name(pair[0]), None if value is None else str(value)))

    def admits(self, login):
        folded = login.casefold()
        return (folded == SYSADMIN or folded == self.owner.casefold()
                or any(folded == u.casefold() for u in self.users))

    def objects_of(self, xtype):
        # xtype is char(2): trailing blanks do not count, letter case does not either.
        return self.objects.get(xtype.rstrip(" ").upper(), [])


class Faults:
    def __init__(self, raw):
        drop = raw.get("drop_after_rows")
        self.drop_query = _query_name(drop["query"]) if drop else None
        self.drop_rows = int(drop["rows"]) if drop else 0
        bad = raw.get("malformed_token")
        self.malformed_query = _query_name(bad["query"]) if bad else None
        self.login_delay = float(raw.get("login_delay_seconds", 0))


class Fixture:
    def __init__(self, raw):
        self.server_name = _name(raw.get("server_name", "LMRSRV"))
        logins = raw.get("logins")
        if not isinstance(logins, dict) or not logins:
            raise FixtureError("fixture needs logins: {name: password}")
        self.logins = {str(k): str(v) for k, v in logins.items()}
        self.databases = [Database(d) for d in raw.get("databases", [])]
        if not self.databases:
            raise FixtureError("fixture needs at least one database")
        self.faults = Faults(raw.get("faults", {}))

    def password_of(self, login):
        for name, password in self.logins.items():
            if name.casefold() == login.casefold():
                return password
        return None

    def database(self, name):
        for db in self.databases:
            if db.name.casefold() == name.casefold():
                return db
        return None

    def default_database(self):
        return self.database("master") or self.databases[0]


def load(path):
    try:
        with open(path, encoding="utf-8") as f:
            raw = json.load(f)
        return Fixture(raw)
    except (OSError, ValueError, KeyError, TypeError) as e:
        raise FixtureError("fixture %s: %s" % (path, e)) from e


def _text(raw, key):
    if not isinstance(raw.get(key), str) or not raw[key]:
        raise FixtureError("database entry needs a non-empty %r: %r" % (key, raw))
    return _name(raw[key])


def _name(value):
    text = str(value)
    if len(text) > MAX_NAME:
        raise FixtureError("name longer than %d characters: %r..." % (MAX_NAME, text[:40]))
    return text


def _query_name(name):
    folded = str(name).casefold()
    if folded in QUERY_NAMES or folded.startswith("sysobjects:"):
        return folded
    raise FixtureError("unknown query name %r (use %s or sysobjects:<xtype>)"
                       % (name, ", ".join(QUERY_NAMES)))
