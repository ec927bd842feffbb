"""Prints what a screen reader learns of a running program over AT-SPI, a JSON line per object.

Run by the system's Python, which has the AT-SPI bindings (python3-gi, gir1.2-atspi-2.0):
screen_reader.py NAME [SECONDS]. Each line holds an object's role, name and its relations as
{relation: [target names]}. Exits with 1 when no program of that name is on the bus in time.
"""

import json
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(index)
            if child is not None and child.get_name() == name and child.get_child_count() > 0:
                return child
        time.sleep(0.1)
    return None


def walk(node):
    yield node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield from walk(child)


def main():
    program = application(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 10)
    if program is None:
        sys.exit(1)
    for node in walk(program):
        relations = {}
        for relation in node.get_relation_set():
            targets = [relation.get_target(i) for i in range(relation.get_n_targets())]
            relations[relation.get_relation_type().value_nick] = [t.get_name() for t in targets]
        print(json.dumps({"role": node.get_role_name(), "name": node.get_name(),
                          "relations": relations}))


if __name__ == "__main__":
    main()
