"""Byte-level pieces of TDS 7.1 as a server writes them: packets and tokens."""

import struct

# Packet types.
PKT_SQL_BATCH = 0x01
PKT_RPC = 0x03
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_TRANSACTION = 0x0E
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12

STATUS_EOM = 0x01
HEADER = struct.Struct(">BBHHBB")

# Token types.
TOKEN_COLMETADATA = 0x81
TOKEN_ERROR = 0xAA
TOKEN_INFO = 0xAB
TOKEN_LOGINACK = 0xAD
TOKEN_ROW = 0xD1
TOKEN_ENVCHANGE = 0xE3
TOKEN_DONE = 0xFD
TOKEN_DONEPROC = 0xFE
TOKEN_DONEINPROC = 0xFF
TOKEN_RETURNSTATUS = 0x79

DONE_FINAL = 0x00
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

CMD_SELECT = 0xC1
CMD_EXECUTE = 0xE0

TDS71 = 0x71000001
# 8.00.2039: SQL Server 2000 SP4, the engine the clients expect.
SERVER_VERSION = (8, 0, 2039)
# Cyrillic_General_CI_AS: LCID 0x419, case-insensitive, kana and width insensitive.
COLLATION = bytes([0x19, 0x04, 0xD0, 0x00, 0x00])

ENCRYPT_NOT_SUP = 0x02

ENV_DATABASE = 1
ENV_LANGUAGE = 2
ENV_PACKET_SIZE = 4
ENV_COLLATION = 7


def ucs2(text):
    return text.encode("utf-16-le")


def b_varchar(text):
    data = ucs2(text)
    if len(data) // 2 > 255:
        raise ValueError("text too long for a one-byte length: %r" % text[:40])
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = ucs2(text)
    return struct.pack("<H", len(data) // 2) + data


def read_ucs2(buf, offset, chars):
    return bytes(buf[offset:offset + 2 * chars]).decode("utf-16-le", "replace")


def packets(kind, payload, packet_size, final=True):
    """Split a message into packets; the last carries end-of-message unless final is False."""
    body = packet_size - HEADER.size
    out = []
    chunks = [payload[i:i + body] for i in range(0, len(payload), body)] or [b""]
    for n, chunk in enumerate(chunks):
        last = n == len(chunks) - 1
        status = STATUS_EOM if (last and final) else 0
        out.append(HEADER.pack(kind, status, len(chunk) + HEADER.size, 0, (n + 1) & 0xFF, 0))
        out.append(chunk)
    return b"".join(out)


def prelogin_reply():
    major, minor, build = SERVER_VERSION
    options = [
        (0x00, struct.pack(">BBHH", major, minor, build, 0)),  # version
        (0x01, bytes([ENCRYPT_NOT_SUP])),                     # encryption
        (0x02, b"\x00"),                                      # instance accepted
    ]
    table_len = 5 * len(options) + 1
    table, data = b"", b""
    for code, value in options:
        table += struct.pack(">BHH", code, table_len + len(data), len(value))
        data += value
    return table + b"\xff" + data


def loginack(program_name):
    major, minor, build = SERVER_VERSION
    body = (bytes([1]) + struct.pack(">I", TDS71) + b_varchar(program_name)
            + bytes([major, minor, build >> 8, build & 0xFF]))
    return bytes([TOKEN_LOGINACK]) + struct.pack("<H", len(body)) + body


def envchange_text(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return bytes([TOKEN_ENVCHANGE]) + struct.pack("<H", len(body)) + body


def envchange_collation():
    body = bytes([ENV_COLLATION, len(COLLATION)]) + COLLATION + b"\x00"
    return bytes([TOKEN_ENVCHANGE]) + struct.pack("<H", len(body)) + body


def message(token, number, state, severity, text, server, proc="", line=1):
    body = (struct.pack("<IBB", number, state, severity) + us_varchar(text)
            + b_varchar(server) + b_varchar(proc) + struct.pack("<H", line))
    return bytes([token]) + struct.pack("<H", len(body)) + body


def done(status=DONE_FINAL, command=0, rows=0, token=TOKEN_DONE):
    return struct.pack("<BHHI", token, status, command, rows)


def return_status(value=0):
    return struct.pack("<Bi", TOKEN_RETURNSTATUS, value)


class Column:
    """A result column: NVARCHAR(chars) or VARCHAR(chars) text, or INT."""

    def __init__(self, name, kind, size=0, nullable=False):
        if kind not in ("nvarchar", "varchar", "int", "smallint"):
            raise ValueError("unknown column kind " + kind)
        self.name, self.kind, self.size, self.nullable = name, kind, size, nullable

    def metadata(self):
        flags = 0x0001 if self.nullable else 0x0000
        head = struct.pack("<HH", 0, flags)
        if self.kind == "nvarchar":
            info = bytes([0xE7]) + struct.pack("<H", 2 * self.size) + COLLATION
        elif self.kind == "varchar":
            info = bytes([0xA7]) + struct.pack("<H", self.size) + COLLATION
        elif self.kind == "int":
            info = bytes([0x26, 4])
        else:
            info = bytes([0x26, 2])
        return head + info + b_varchar(self.name)

    def value(self, v):
        if v is None:
            if not self.nullable:
                raise ValueError("null in not-null column " + self.name)
            return b"\xff\xff" if self.kind in ("nvarchar", "varchar") else b"\x00"
        if self.kind == "nvarchar":
            data = ucs2(str(v))
            if len(data) > 2 * self.size:
                raise ValueError("value longer than column %s: %r" % (self.name, v))
            return struct.pack("<H", len(data)) + data
        if self.kind == "varchar":
            data = str(v).encode("cp1251")
            return struct.pack("<H", len(data)) + data
        if self.kind == "int":
            return b"\x04" + struct.pack("<i", int(v))
        return b"\x02" + struct.pack("<h", int(v))


def colmetadata(columns):
    return (bytes([TOKEN_COLMETADATA]) + struct.pack("<H", len(columns))
            + b"".join(c.metadata() for c in columns))


def row(columns, values):
    return bytes([TOKEN_ROW]) + b"".join(c.value(v) for c, v in zip(columns, values))
