"""The four files made from the interface file, by their place in the repository."""
import gen_c
import gen_masm
import gen_pascal
import gen_reference

OUTPUTS = {
    "include/quorvane.h": gen_c.generate,
    "include/quorvane.inc": gen_masm.generate,
    "include/Quorvane.pas": gen_pascal.generate,
    "docs/reference.md": gen_reference.generate,
}


def render(api):
    """{relative path: text} for every generated file."""
    return {path: make(api) for path, make in OUTPUTS.items()}


def write(api, root, always=False):
    """Writes the generated files under `root` whose text changed (every one with
    `always`, which gives a build's outputs fresh times); answers the paths written."""
    changed = []
    for path, text in render(api).items():
        target = root / path
        target.parent.mkdir(parents=True, exist_ok=True)
        if always or not target.exists() or target.read_text() != text:
            target.write_text(text)
            changed.append(path)
    return changed
