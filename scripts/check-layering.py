#!/usr/bin/env python3
"""Fails on any #include that the layer table below does not allow.

Layers, bottom to top; a folder may include itself and what its row names. Tests of a layer
(tests/<layer>/) may include what the layer may, the layer itself and tests/support; the
shared fakes may include everything below the windows. Nothing outside recorder/ includes
recorder/. The layers below the windows use no Qt.

Usage: check-layering.py SOURCE_DIR
"""
import os
import re
import sys

BELOW_UI = ["engine", "platform", "history", "store", "posix", "protocol"]
LAYERS = {
    "protocol": [],
    "posix": ["protocol"],
    "store": ["posix"],
    "history": ["store", "posix"],
    "platform": ["history", "store", "posix", "protocol"],
    "platform/linux": ["platform", "history", "store", "posix", "protocol"],
    "engine": ["history", "store", "posix", "platform"],
    "helper": ["protocol", "posix"],
    "ui": BELOW_UI + ["platform/linux"],
    "app": ["ui", "helper", "platform/linux"] + BELOW_UI,
    "recorder": ["protocol", "posix", "store", "platform", "platform/linux"],
}
# The tests of platform/ are those of its Linux implementations.
LAYERS_PLATFORM_TESTS = ["platform/linux", "platform", "history", "store", "posix", "protocol",
                         "tests/support"]
TESTS = {
    "tests/support": BELOW_UI + ["platform/linux", "tests/support"],
    "tests/platform": LAYERS_PLATFORM_TESTS,
    "tests/bench": BELOW_UI + ["platform/linux", "tests/support"],
    "tests/fuzz": ["store", "posix", "platform/linux", "tests/fuzz"],
}
WITHOUT_QT = ["protocol", "posix", "store", "history", "engine", "helper", "platform"]

INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^>"]+)[>"]')
SOURCE = (".h", ".cpp", ".c")


def layer_of(path):
    """The layer a file or an included path belongs to, or None."""
    parts = path.split("/")
    if parts[0] == "tests" and len(parts) > 2:
        return "tests/" + parts[1]
    if parts[0] == "platform" and len(parts) > 2 and parts[1] == "linux":
        return "platform/linux"
    if parts[0] in LAYERS and len(parts) > 1:
        return parts[0]
    return None


def allowed(layer):
    if layer in LAYERS:
        return set(LAYERS[layer]) | {layer}
    if layer in TESTS:
        return set(TESTS[layer]) | {layer}
    tested = layer[len("tests/"):]
    if tested in LAYERS:  # tests/<layer>
        return set(LAYERS[tested]) | {tested, layer, "tests/support"}
    return set()


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    problems = []
    for folder, _, names in os.walk(root):
        rel = os.path.relpath(folder, root)
        if rel.startswith(("build", ".")) and rel != ".":
            continue
        for name in names:
            if not name.endswith(SOURCE):
                continue
            path = os.path.normpath(os.path.join(rel, name))
            layer = layer_of(path)
            if layer is None:
                continue
            ok = allowed(layer)
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = match.group(1)
                    if layer in WITHOUT_QT and re.match(r"Q[A-Za-z]+$", included):
                        problems.append(f"{path}:{number}: {layer}/ uses no Qt: <{included}>")
                        continue
                    # The recorder includes its own files from its folder ("app/…" is its
                    # window, not the manager's app/ layer).
                    if layer in ("recorder", "tests/recorder") and os.path.exists(
                            os.path.join(root, "recorder", included)):
                        continue
                    target = layer_of(included)
                    if target is not None and target not in ok:
                        problems.append(f"{path}:{number}: {layer}/ may not include {included}")
    for problem in sorted(problems):
        print(problem)
    if problems:
        print(f"{len(problems)} includes break the layering")
        return 1
    print("layering: every include is allowed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
