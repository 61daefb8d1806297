"""What the stand-in answers to a SQL batch, decided from the batch text alone.

Known statements give a result set, a database change or a plain completion;
anything else gives the error a server would raise for it.
"""

import re

from tds_wire import Column

ATTRIBUTES_QUERY = (
    "SELECT A.DataValue, AN.AttributeName FROM Attributes A INNER JOIN Objects O WITH(NOLOCK) "
    "ON O.Object_ID = A.Object_ID INNER JOIN ObjectTypes OT WITH(NOLOCK) ON OT.ObjectType_ID = "
    "O.ObjectType_ID INNER JOIN AttributeNames AN WITH(NOLOCK) ON A.AttributeName_ID = "
    "AN.AttributeName_ID WHERE OT.ObjectTypeCode = 5 and AN.AttributeName in ('UseProxyServer', "
    "'ProxyPASsword','ProxyPort','ProxyServer','ProxyUser','LMROLServerAddress', "
    "'UseProxyAuthorization')")

SYSNAME = 128
VERSION_TEXT = ("Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) \n\tMay  3 2005 23:18:38 \n\t"
                "Copyright (c) 1988-2003 Microsoft Corporation\n\tDesktop Engine on Windows NT 5.1 "
                "(Build 2600: Service Pack 2)\n")

SYSOBJECTS = re.compile(r"SELECT\s+(NAME)\s+FROM\s+sysobjects\s+WHERE\s+Xtype\s*=\s*N?'([^']*)'",
                        re.IGNORECASE)
USE = re.compile(r"USE\s+(?:\[([^\]]+)\]|(\S+))", re.IGNORECASE)
SCALAR = re.compile(r"SELECT\s+(@@SPID|@@VERSION|@@TRANCOUNT|@@SERVERNAME|DB_NAME\(\s*\))",
                    re.IGNORECASE)
PLAIN = re.compile(r"(SET\s|IF\s+@@TRANCOUNT\s*>\s*0\s+(COMMIT|ROLLBACK)\b|"
                   r"(BEGIN|COMMIT|ROLLBACK)(\s+TRAN(SACTION)?)?\s*$)", re.IGNORECASE)
DATATYPE_INFO = re.compile(r"(?:EXEC(?:UTE)?\s+)?sp_datatype_info(?:\s+(-?\d+)(?:\s*,\s*\d+)?)?",
                           re.IGNORECASE)
EXEC = re.compile(r"(?:EXEC(?:UTE)?\s+)?([\w.#@\[\]]+)\s*$", re.IGNORECASE)


class Rows:
    """A result set; `query` names it for the fault switches."""

    def __init__(self, query, columns, rows, procedure=False):
        self.query, self.columns, self.rows, self.procedure = query, columns, rows, procedure


class Done:
    """A statement that completes without rows."""


class Use:
    def __init__(self, database):
        self.database = database


class Error:
    def __init__(self, number, state, severity, text):
        self.number, self.state, self.severity, self.text = number, state, severity, text


def answer(text, session):
    """Decide the reply to one batch for a session (login, database, spid, fixture)."""
    stmt = text.strip(" \t\r\n")
    fixture, db = session.fixture, session.database
    if stmt.casefold() == "sp_databases":
        return Rows("sp_databases",
                    [Column("DATABASE_NAME", "nvarchar", SYSNAME), Column("DATABASE_SIZE", "int", nullable=True),
                     Column("REMARKS", "varchar", 254, nullable=True)],
                    [(d.name, d.size_kb, None) for d in fixture.databases if d.admits(session.login)],
                    procedure=True)
    if stmt.casefold() == "sp_mshasdbaccess":
        return Rows("sp_mshasdbaccess",
                    [Column("dbname", "nvarchar", SYSNAME), Column("owner", "nvarchar", SYSNAME),
                     Column("DatIsReadOnly", "int"), Column("dbid", "smallint")],
                    [(d.name, d.owner, 0, n + 1) for n, d in enumerate(fixture.databases)
                     if d.admits(session.login)],
                    procedure=True)
    if stmt == ATTRIBUTES_QUERY:
        return Rows("attributes",
                    [Column("DataValue", "nvarchar", 4000, nullable=True),
                     Column("AttributeName", "nvarchar", SYSNAME)],
                    [(value, name) for name, value in db.attributes])
    m = SYSOBJECTS.fullmatch(stmt)
    if m:
        xtype = m.group(2)
        return Rows("sysobjects:" + xtype.rstrip(" ").casefold(),
                    [Column(m.group(1), "nvarchar", SYSNAME)],
                    [(n,) for n in db.objects_of(xtype)])
    m = DATATYPE_INFO.fullmatch(stmt)
    if m:
        return _type_info(int(m.group(1) or 0))
    m = USE.fullmatch(stmt)
    if m:
        return Use(m.group(1) or m.group(2))
    m = SCALAR.fullmatch(stmt)
    if m:
        return _scalar(m.group(1).upper().replace(" ", ""), session)
    if PLAIN.match(stmt):
        return Done()
    m = EXEC.fullmatch(stmt)
    if m:
        return Error(2812, 62, 16, "Could not find stored procedure '%s'." % m.group(1))
    near = stmt.split()[0] if stmt.split() else stmt
    return Error(102, 1, 15, "Incorrect syntax near '%s'." % near[:128])


def _scalar(what, session):
    if what == "@@SPID":
        return Rows("@@spid", [Column("", "smallint")], [(session.spid,)])
    if what == "@@TRANCOUNT":
        return Rows("@@trancount", [Column("", "int")], [(0,)])
    if what == "@@VERSION":
        return Rows("@@version", [Column("", "nvarchar", 256)], [(VERSION_TEXT,)])
    if what == "@@SERVERNAME":
        return Rows("@@servername", [Column("", "nvarchar", SYSNAME)], [(session.fixture.server_name,)])
    return Rows("db_name()", [Column("", "nvarchar", SYSNAME)], [(session.database.name,)])


# The types a client asks about when it sizes its buffers: name, ODBC type, size,
# literal prefix and suffix, create parameters, case-sensitive, searchable.
TYPES = [
    ("varchar", 12, 8000, "'", "'", "max length", 0, 3),
    ("nvarchar", -9, 4000, "N'", "'", "max length", 0, 3),
    ("varbinary", -3, 8000, "0x", None, "max length", 0, 2),
    ("datetime", 93, 23, "'", "'", None, 0, 3),
    ("int", 4, 10, None, None, None, 0, 2),
]


def _type_info(data_type):
    small = lambda name, nullable=True: Column(name, "smallint", nullable=nullable)  # noqa: E731
    text = lambda name, size: Column(name, "varchar", size, nullable=True)  # noqa: E731
    columns = [Column("TYPE_NAME", "nvarchar", SYSNAME), small("DATA_TYPE", False),
               Column("PRECISION", "int", nullable=True), text("LITERAL_PREFIX", 32),
               text("LITERAL_SUFFIX", 32), text("CREATE_PARAMS", 32), small("NULLABLE", False),
               small("CASE_SENSITIVE", False), small("SEARCHABLE", False), small("UNSIGNED_ATTRIBUTE"),
               small("MONEY", False), small("AUTO_INCREMENT"), Column("LOCAL_TYPE_NAME", "nvarchar", SYSNAME,
                                                                      nullable=True),
               small("MINIMUM_SCALE"), small("MAXIMUM_SCALE"), small("SQL_DATA_TYPE", False),
               small("SQL_DATETIME_SUB"), Column("NUM_PREC_RADIX", "int", nullable=True),
               small("INTERVAL_PRECISION"), small("USERTYPE")]
    rows = []
    for name, odbc, size, prefix, suffix, params, case, search in TYPES:
        if data_type and data_type != odbc:
            continue
        numeric = odbc == 4
        rows.append((name, odbc, size, prefix, suffix, params, 1, case, search, 0 if numeric else None, 0,
                     0 if numeric else None, name, 0 if numeric else None, 0 if numeric else None,
                     9 if odbc == 93 else odbc, 3 if odbc == 93 else None, 10 if numeric else None,
                     None, 0))
    return Rows("sp_datatype_info", columns, rows, procedure=True)
