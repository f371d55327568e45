"""Small text helpers shared by the generators."""
import textwrap


def wrap(text, width):
    """The paragraph's words refilled to lines of at most `width` characters."""
    return textwrap.wrap(" ".join(text.split()), width, break_long_words=False, break_on_hyphens=False) or [""]


def banner(title, open_, close, width):
    """A section line such as `/* ---- Title ------- */`, `width` characters long."""
    head = f"{open_}---- {title} "
    return head + "-" * max(3, width - len(head) - len(close)) + close


def c_string(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def pascal_string(value):
    return "'" + value.replace("'", "''") + "'"
