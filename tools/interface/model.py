"""The interface file (interface/quorvane.toml) read into plain objects, checked.

Everything the generators write comes from here: the version, the constant groups,
the records with their field layouts, the callbacks and the messages. Loading fails
with a clear message when the file contradicts itself (a duplicate name or number, an
offset that does not follow from the types, a group that does not exist).
"""
import re
import tomllib
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
INTERFACE_FILE = ROOT / "interface" / "quorvane.toml"


class InterfaceError(Exception):
    pass


@dataclass(frozen=True)
class ScalarType:
    """A field type of 32-bit Windows and its spelling in each language."""
    size: int
    c: str
    pascal: str
    masm: str


# The control is 32-bit: handles and pointers are 4 bytes. The Pascal unit spells
# pointers with its own aliases, which keep 4 bytes when the unit is compiled for a
# 64-bit target (as the layout check does on Linux).
SCALARS = {
    "DWORD": ScalarType(4, "DWORD", "LongWord", "DWORD"),
    "WORD": ScalarType(2, "WORD", "Word", "WORD"),
    "LONG": ScalarType(4, "LONG", "LongInt", "SDWORD"),
    "HWND": ScalarType(4, "HWND", "TQvHandle", "DWORD"),
    "HFONT": ScalarType(4, "HFONT", "TQvHandle", "DWORD"),
    "cstring": ScalarType(4, "const char *", "TQvPAnsiChar", "DWORD"),
    "bytes": ScalarType(4, "const BYTE *", "TQvPByte", "DWORD"),
}


@dataclass
class Constant:
    name: str
    value: object  # int or str
    doc: str
    default: int | None = None  # colour indexes: the colour at creation


@dataclass
class ConstantGroup:
    id: str
    title: str
    doc: str
    items: list
    style: str = "define"  # or "enum" (C only)
    hex: bool = False
    platform: bool = False  # the platform's own names: not declared by the C header
    first: bool = False  # written before the message numbers


@dataclass
class Field:
    name: str
    type: str
    offset: int
    size: int
    count: int | None  # array length, None for a single value
    count_name: str | None  # the constant naming the length
    doc: str
    pascal_name: str
    masm_name: str


@dataclass
class Record:
    name: str
    doc: str
    size: int
    fields: list
    packed: bool = False
    platform: bool = False
    pascal: str = ""
    masm: str = ""


@dataclass
class Callback:
    name: str
    pascal: str
    result: str
    args: list  # of (name, type)
    doc: str


@dataclass
class Message:
    name: str
    number: int
    family: str
    feature: str
    section: str
    brief: str
    wparam: str
    lparam: str
    does: str
    result: str
    notifies: str
    deviates: str
    example: str
    hostile: str = ""  # the defined answer to hostile input: NULL, sizes, ranges

    @property
    def private(self):
        return self.family == "private"


@dataclass
class Group:
    id: str
    title: str
    intro: str = ""


@dataclass
class Topic:
    id: str
    title: str
    body: str
    after: list = field(default_factory=list)


@dataclass
class Interface:
    name: str
    version: tuple
    dll: str
    summary: str
    sections: list
    features: list
    constant_groups: list
    records: list
    callbacks: list
    messages: list
    topics: list

    @property
    def version_string(self):
        return ".".join(str(v) for v in self.version)

    def constants(self):
        return [c for g in self.constant_groups for c in g.items]

    def record(self, name):
        return next(r for r in self.records if r.name == name)

    def group(self, id):
        return next(g for g in self.constant_groups if g.id == id)

    def private_messages(self, section):
        return sorted((m for m in self.messages if m.private and m.section == section), key=lambda m: m.number)

    def platform_messages(self):
        return sorted((m for m in self.messages if not m.private), key=lambda m: m.number)


def _text(entry, key):
    return entry.get(key, "").strip()


def _require(cond, message):
    if not cond:
        raise InterfaceError(message)


def _constant_groups(data, version):
    groups = []
    for g in data["constants"]:
        items = []
        if g.get("from_version"):
            names = ("QUORVANE_VERSION_MAJOR", "QUORVANE_VERSION_MINOR", "QUORVANE_VERSION_PATCH")
            docs = ("major version", "minor version", "patch level")
            items = [Constant(n, v, d) for n, v, d in zip(names, version, docs)]
            items.append(Constant("QUORVANE_VERSION_STRING", ".".join(map(str, version)), "the three, as text"))
        for c in g.get("items", []):
            _require(isinstance(c.get("value"), (int, str)), f"constant {c.get('name')}: no value")
            items.append(Constant(c["name"], c["value"], c.get("doc", ""), c.get("default")))
        groups.append(ConstantGroup(g["id"], g["title"], _text(g, "doc"), items, g.get("style", "define"),
                                    g.get("hex", False), g.get("platform", False), g.get("first", False)))
    return groups


def _records(data, values):
    records = []
    sizes = dict((n, t.size) for n, t in SCALARS.items())
    for r in data["record"]:
        fields = []
        offset = 0
        for f in r["fields"]:
            _require(f["type"] in sizes, f"{r['name']}.{f['name']}: unknown type {f['type']}")
            count_name = f.get("count")
            count = None
            if count_name is not None:
                _require(count_name in values, f"{r['name']}.{f['name']}: unknown count {count_name}")
                count = values[count_name]
            size = sizes[f["type"]] * (count or 1)
            _require(f["offset"] == offset,
                     f"{r['name']}.{f['name']}: offset {f['offset']} given, {offset} follows from the types")
            fields.append(Field(f["name"], f["type"], offset, size, count, count_name, f.get("doc", ""),
                                f.get("pascal_name", f["name"]), f.get("masm_name", f["name"])))
            offset += size
        _require(offset == r["size"], f"{r['name']}: size {r['size']} given, the fields make {offset}")
        sizes[r["name"]] = offset
        records.append(Record(r["name"], _text(r, "doc"), offset, fields, r.get("packed", False),
                              r.get("platform", False), r.get("pascal", "T" + r["name"]),
                              r.get("masm", r["name"])))
    return records


def load(path=INTERFACE_FILE):
    with open(path, "rb") as f:
        data = tomllib.load(f)
    lib = data["library"]
    m = re.fullmatch(r"(\d+)\.(\d+)\.(\d+)", lib["version"])
    _require(m is not None, "library.version must be MAJOR.MINOR.PATCH")
    version = tuple(int(v) for v in m.groups())

    groups = _constant_groups(data, version)
    values = {}
    for c in (c for g in groups for c in g.items):
        _require(c.name not in values, f"constant {c.name} declared twice")
        values[c.name] = c.value
    records = _records(data, values)
    sections = [Group(s["id"], s["title"]) for s in data["section"]]
    features = [Group(f["id"], f["title"], _text(f, "intro")) for f in data["feature"]]
    section_ids = {s.id for s in sections}
    feature_ids = {f.id for f in features}

    messages = []
    numbers = {}
    for e in data["message"]:
        msg = Message(e["name"], e["number"], e["family"], e["feature"], e.get("section", ""),
                      _text(e, "brief"), _text(e, "wparam"), _text(e, "lparam"), _text(e, "does"),
                      _text(e, "result"), _text(e, "notifies"), _text(e, "deviates"), _text(e, "example"),
                      _text(e, "hostile"))
        _require(msg.family in ("edit", "richedit", "window", "private"), f"{msg.name}: unknown family")
        _require(msg.feature in feature_ids, f"{msg.name}: unknown feature {msg.feature}")
        _require(msg.result, f"{msg.name}: no result")
        _require(msg.example, f"{msg.name}: no example")
        _require(msg.number not in numbers, f"{msg.name}: number {msg.number:#x} is {numbers.get(msg.number)}'s")
        _require(msg.name not in values, f"{msg.name}: also a constant")
        if msg.private:
            _require(msg.section in section_ids, f"{msg.name}: unknown section {msg.section!r}")
            _require(msg.brief, f"{msg.name}: no brief")
        numbers[msg.number] = msg.name
        messages.append(msg)

    callbacks = [Callback(c["name"], c.get("pascal", c["name"]), c["result"],
                          [(a["name"], a["type"]) for a in c["args"]], _text(c, "doc"))
                 for c in data.get("callback", [])]
    topics = [Topic(t["id"], t["title"], _text(t, "body"), t.get("after", [])) for t in data.get("topic", [])]
    return Interface(lib["name"], version, lib["dll"], _text(lib, "summary"), sections, features, groups,
                     records, callbacks, messages, topics)
