"""Values and layouts read back from each language, independently of the generators.

- C: the committed quorvane.h (with the platform's headers) compiled by the 32-bit
  cross compiler to assembly; every constant, sizeof and offsetof is read from the
  data the compiler emits.
- MASM: quorvane.inc parsed: every equate, text equate and STRUCT (offsets computed
  from the field types and the STRUCT's alignment).
- Pascal: Quorvane.pas parsed for its constant, record and field names; a program
  that prints each value, SizeOf and field offset is compiled with Free Pascal in
  Delphi mode and run.

Each reader answers a Layout: {name: value} and {record: (size, {field: (offset, size)})}.
"""
import re
import subprocess
from dataclasses import dataclass, field


class ReadError(Exception):
    pass


@dataclass
class Layout:
    values: dict = field(default_factory=dict)
    records: dict = field(default_factory=dict)
    guard: str = None  # MASM: the include guard that encloses the whole file


def _run(cmd, what, cwd=None):
    done = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        raise ReadError(f"{what} failed ({' '.join(map(str, cmd))}):\n{done.stdout}{done.stderr}")
    return done.stdout


# ---- C --------------------------------------------------------------------------------

def _c_string(body):
    """The bytes of an assembler .ascii operand."""
    out, i = [], 0
    while i < len(body):
        ch = body[i]
        if ch == "\\":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            if m:
                out.append(chr(int(m.group(), 8)))
                i += 1 + len(m.group())
                continue
            out.append({"n": "\n", "t": "\t", "r": "\r"}.get(body[i + 1], body[i + 1]))
            i += 2
            continue
        out.append(ch)
        i += 1
    return "".join(out)


def read_c(cc, include_dir, work, names, strings, records):
    """names: every integer constant; strings: every string constant; records:
    [(record, [fields])] by their C names."""
    lines = ["#include <stddef.h>", "#include <windows.h>", "#include <richedit.h>", '#include "quorvane.h"', ""]
    labels = {}
    for i, n in enumerate(names):
        labels[f"qv_v{i}"] = ("value", n, None)
        lines.append(f"const unsigned int qv_v{i} = (unsigned int)({n});")
    for i, n in enumerate(strings):
        labels[f"qv_s{i}"] = ("value", n, None)
        lines.append(f"const char qv_s{i}[] = {n};")
    for i, (r, fields) in enumerate(records):
        labels[f"qv_r{i}"] = ("size", r, None)
        lines.append(f"const unsigned int qv_r{i} = sizeof({r});")
        for j, f in enumerate(fields):
            labels[f"qv_o{i}_{j}"] = ("offset", r, f)
            labels[f"qv_z{i}_{j}"] = ("fieldsize", r, f)
            lines.append(f"const unsigned int qv_o{i}_{j} = offsetof({r}, {f});")
            lines.append(f"const unsigned int qv_z{i}_{j} = sizeof((({r} *)0)->{f});")
    source = work / "dump.c"
    source.write_text("\n".join(lines) + "\n")
    _run([cc, "-S", "-O0", "-I", str(include_dir), "-o", str(work / "dump.s"), str(source)], "the C compile")
    text = (work / "dump.s").read_text()
    found = {}
    for m in re.finditer(r"^_?(qv_\w+):\s*\n\s*\.(long|ascii|space|zero)\s+(.*)$", text, re.M):
        label, op, arg = m.groups()
        if op == "long":
            found[label] = int(arg) & 0xFFFFFFFF
        elif op == "ascii":
            found[label] = _c_string(arg.strip()[1:-1]).rstrip("\0")
        else:
            found[label] = 0
    layout = Layout()
    for label, (kind, a, b) in labels.items():
        if label not in found:
            raise ReadError(f"C: no value emitted for {a} {b or ''}")
        v = found[label]
        if kind == "value":
            layout.values[a] = v
        elif kind == "size":
            layout.records.setdefault(a, [None, {}])[0] = v
        else:
            entry = layout.records.setdefault(a, [None, {}])[1].setdefault(b, [None, None])
            entry[0 if kind == "offset" else 1] = v
    layout.records = {r: (s, {f: tuple(p) for f, p in fs.items()}) for r, (s, fs) in layout.records.items()}
    return layout


# ---- MASM -----------------------------------------------------------------------------

MASM_SIZES = {"BYTE": 1, "SBYTE": 1, "WORD": 2, "SWORD": 2, "DWORD": 4, "SDWORD": 4, "QWORD": 8}


def _masm_int(token, values):
    token = token.strip()
    if re.fullmatch(r"[0-9][0-9A-Fa-f]*[hH]", token):
        return int(token[:-1], 16)
    if re.fullmatch(r"[0-9]+", token):
        return int(token)
    if token in values and isinstance(values[token], int):
        return values[token]
    raise ReadError(f"MASM: not a number: {token}")


def _masm_code(raw):
    """The line without its comment (a text equate's <"..."> may hold a ';')."""
    m = re.match(r'\s*(\w+\s+textequ\s+<"[^"]*">)', raw)
    return m.group(1) if m else raw.split(";", 1)[0].strip()


def _masm_guard(lines):
    """The include guard: the first code line `IFNDEF G`, the next `G equ ...` and the
    last `ENDIF`. Answers G and the numbers of those three lines, or (None, ())."""
    code = [(number, _masm_code(raw)) for number, raw in enumerate(lines, 1)]
    code = [(number, line) for number, line in code if line]
    if len(code) < 3:
        return None, ()
    first = re.fullmatch(r"IFNDEF\s+(\w+)", code[0][1])
    if not first or not re.fullmatch(rf"{first.group(1)}\s+equ\s+\w+", code[1][1]) or code[-1][1] != "ENDIF":
        return None, ()
    return first.group(1), (code[0][0], code[1][0], code[-1][0])


def read_masm(path):
    layout = Layout()
    struct = None
    lines = path.read_text().splitlines()
    layout.guard, guard_lines = _masm_guard(lines)
    for number, raw in enumerate(lines, 1):
        line = _masm_code(raw)
        if not line or number in guard_lines:
            continue
        where = f"{path.name}:{number}"
        if struct is not None:
            m = re.fullmatch(r"(\w+)\s+ENDS", line)
            if m:
                if m.group(1) != struct[0]:
                    raise ReadError(f"{where}: ENDS of {m.group(1)} inside {struct[0]}")
                layout.records[struct[0]] = (struct[2], struct[3])
                struct = None
                continue
            m = re.fullmatch(r"(\w+)\s+(\w+)\s+(?:(\w+)\s+dup\((\?|<>)\)|(\?|<>))", line)
            if not m:
                raise ReadError(f"{where}: not a field: {raw}")
            name, type_, count, _, _ = m.groups()
            if type_ in MASM_SIZES:
                unit, align = MASM_SIZES[type_], MASM_SIZES[type_]
            elif type_ in layout.records:
                unit, align = layout.records[type_][0], struct[1]
            else:
                raise ReadError(f"{where}: unknown type {type_}")
            n = _masm_int(count, layout.values) if count else 1
            a = min(struct[1], align)
            offset = (struct[2] + a - 1) // a * a
            struct[3][name] = (offset, unit * n)
            struct[2] = offset + unit * n
            continue
        m = re.fullmatch(r"(\w+)\s+STRUCT(?:\s+(\d+))?", line)
        if m:
            struct = [m.group(1), int(m.group(2) or 1), 0, {}]
            continue
        if re.fullmatch(r"(IFNDEF\s+\w+|ENDIF)", line) or re.fullmatch(r"\w+\s+TYPEDEF\s+.*", line):
            continue
        m = re.fullmatch(r"(\w+)\s+textequ\s+<\"(.*)\">", line)
        if m:
            layout.values[m.group(1)] = m.group(2)
            continue
        m = re.fullmatch(r"(\w+)\s+equ\s+(\w+)", line)
        if m:
            layout.values[m.group(1)] = _masm_int(m.group(2), layout.values)
            continue
        raise ReadError(f"{where}: not understood: {raw}")
    if struct is not None:
        raise ReadError(f"{path.name}: STRUCT {struct[0]} has no ENDS")
    return layout


# ---- Pascal ---------------------------------------------------------------------------

def _pascal_names(path):
    """(constant names, {record: [fields]}) as the unit declares them."""
    consts, records = [], {}
    section, record = None, None
    for raw in path.read_text().splitlines():
        line = raw.split("//")[0].strip()
        if not line or line.startswith("{$"):
            continue
        if line in ("const", "type", "implementation", "interface"):
            section = line
            continue
        if section == "const":
            m = re.fullmatch(r"(\w+)\s*=\s*(.+);", line)
            if not m:
                raise ReadError(f"Quorvane.pas: not a constant: {raw}")
            consts.append(m.group(1))
        elif section == "type":
            if record is not None:
                if line == "end;":
                    record = None
                    continue
                m = re.fullmatch(r"(\w+)\s*:\s*.+;", line)
                if not m:
                    raise ReadError(f"Quorvane.pas: not a field: {raw}")
                records[record].append(m.group(1))
                continue
            m = re.fullmatch(r"(\w+)\s*=\s*(packed\s+)?record", line)
            if m:
                if not m.group(2):
                    raise ReadError(f"Quorvane.pas: {m.group(1)} is not a packed record")
                record = m.group(1)
                records[record] = []
    return consts, records


def read_pascal(fpc, unit_dir, work):
    consts, records = _pascal_names(unit_dir / "Quorvane.pas")
    lines = ["program QvCheck;", "{$MODE DELPHI}", "uses Quorvane;", "var"]
    lines += [f"  r{i}: {r};" for i, r in enumerate(records)]
    lines.append("begin")
    lines += [f"  WriteLn('value {n} ', {n});" for n in consts]
    for i, (r, fields) in enumerate(records.items()):
        lines.append(f"  WriteLn('size {r} ', SizeOf({r}));")
        lines += [f"  WriteLn('field {r} {f} ', PtrUInt(@r{i}.{f}) - PtrUInt(@r{i}), ' ', SizeOf(r{i}.{f}));"
                  for f in fields]
    lines.append("end.")
    source = work / "QvCheck.pas"
    source.write_text("\n".join(lines) + "\n")
    _run([fpc, "-B", "-Mdelphi", "-Sew", "-vew", f"-Fu{unit_dir}", f"-FU{work}", f"-FE{work}", str(source)],
         "the Free Pascal compile")
    layout = Layout()
    sizes, fields = {}, {}
    for line in _run([str(work / "QvCheck")], "the Pascal layout program").splitlines():
        kind, rest = line.split(" ", 1)
        if kind == "value":
            name, _, value = rest.partition(" ")
            layout.values[name] = int(value) if re.fullmatch(r"-?\d+", value) else value
        elif kind == "size":
            name, value = rest.split()
            sizes[name] = int(value)
        else:
            r, f, offset, size = rest.split()
            fields.setdefault(r, {})[f] = (int(offset), int(size))
    layout.records = {r: (sizes[r], fields.get(r, {})) for r in sizes}
    return layout
