#!/usr/bin/env python3
"""Checks that every source includes only headers of libraries its target links.

Reads the target list the build writes (build/<config>/layers.txt, see
cmake/Layers.cmake) and the sources under the project folder. The rules come
from the build itself:

- A header belongs to the library that compiles the .cpp of the same name
  beside it, or lists it among its headers; any other header belongs to the
  one library whose sources lie in its folder (none when the folder has no
  library, or several: such a header is not checked).
- A target may include the headers of itself, of the libraries it links, and
  of what those pass on to it (their public links, transitively). A private
  link of a library gives the libraries above it nothing.
- A header is checked against the links of the library it belongs to.
- Qt headers (<Q...>) need a Qt library among the target's links; a library
  under one of the plain C++ folders below, or marked plain in the build
  (quillomar_plain_cxx), must not reach Qt at all.

Prints one line per violation and exits 1 when there is any.
"""
import os
import re
import sys

# Folders whose libraries are plain C++ (no Qt), whatever they link.
PLAIN_FOLDERS = ("src/text", "src/foxpro", "src/ado", "src/db", "src/transfer", "tools")

LIBRARY_TYPES = {"STATIC_LIBRARY", "SHARED_LIBRARY", "OBJECT_LIBRARY", "INTERFACE_LIBRARY"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)
HEADER_SUFFIXES = (".h", ".hpp")
SOURCE_SUFFIXES = (".cpp", ".cc") + HEADER_SUFFIXES


class Target:
    def __init__(self, name, kind, folder):
        self.name = name
        self.kind = kind
        self.folder = folder
        self.sources = []
        self.links = []
        self.public = []
        self.includes = []
        self.plain = False


def plain_name(item):
    """The target named by a link item, unwrapping the generator expressions
    CMake writes for optional links; None for a link of link-only use."""
    if item.startswith("$<LINK_ONLY:"):
        return None
    match = re.fullmatch(r"\$<TARGET_NAME_IF_EXISTS:([^>]+)>", item)
    if match:
        return match.group(1)
    match = re.fullmatch(r"\$<\$<[^>]*>:([^>]+)>", item)
    if match:
        return match.group(1)
    if item.startswith("$<"):
        return None
    return item


def read_targets(path):
    targets = {}
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, _, value = line.rstrip("\n").partition(" ")
            if kind == "target":
                name, target_type, folder = value.split(" ", 2)
                current = targets[name] = Target(name, target_type, os.path.realpath(folder))
            elif kind == "plain":
                current.plain = True
            elif kind in ("source", "header"):
                if not os.path.isabs(value):
                    value = os.path.join(current.folder, value)
                current.sources.append(os.path.realpath(value))
            elif kind in ("link", "public"):
                name = plain_name(value)
                if name:
                    getattr(current, "links" if kind == "link" else "public").append(name)
            elif kind == "include":
                match = re.fullmatch(r"\$<BUILD_INTERFACE:([^>]+)>", value)
                if match:
                    value = match.group(1)
                if not value.startswith("$<"):
                    current.includes.append(os.path.realpath(value))
    return targets


def passed_on(targets, name, seen):
    """`name` and everything it passes on to its users, transitively."""
    if name in seen:
        return
    seen.add(name)
    target = targets.get(name)
    if target is None:
        return
    for item in target.public:
        passed_on(targets, item, seen)


def reachable(targets, target):
    """The targets whose headers `target`'s sources may include (including
    external ones such as Qt6::Widgets)."""
    seen = set()
    passed_on(targets, target.name, seen)
    for item in target.links:
        passed_on(targets, item, seen)
    return seen


def owners(targets, root):
    """Map of header path -> owning library, by the rules in the docstring."""
    owner = {}
    by_folder = {}
    for target in targets.values():
        if target.kind not in LIBRARY_TYPES:
            continue
        for source in target.sources:
            if not source.startswith(root):
                continue
            stem, suffix = os.path.splitext(source)
            if suffix in HEADER_SUFFIXES:
                owner[source] = target.name
            else:
                for header_suffix in HEADER_SUFFIXES:
                    owner.setdefault(stem + header_suffix, target.name)
            by_folder.setdefault(os.path.dirname(source), set()).add(target.name)
    for folder, names in by_folder.items():
        if len(names) != 1:
            continue
        (name,) = names
        for entry in os.listdir(folder):
            path = os.path.join(folder, entry)
            if entry.endswith(HEADER_SUFFIXES):
                owner.setdefault(path, name)
    return owner


def resolve(include, including_file, search):
    for folder in [os.path.dirname(including_file)] + search:
        candidate = os.path.realpath(os.path.join(folder, include))
        if os.path.isfile(candidate):
            return candidate
    return None


def is_qt(include):
    return include.startswith("Q") or include.startswith("qt") or include.startswith("Qt")


def main():
    if len(sys.argv) != 3:
        print("usage: check_layers.py BUILD/layers.txt SOURCE_FOLDER", file=sys.stderr)
        return 2
    targets = read_targets(sys.argv[1])
    root = os.path.realpath(sys.argv[2]) + os.sep
    build = os.path.dirname(os.path.realpath(sys.argv[1])) + os.sep
    owner = owners(targets, root)
    all_includes = sorted({d for t in targets.values() for d in t.includes
                           if (d + os.sep).startswith(root)})

    # Each file with the targets it is compiled for (a header: its owner).
    checked = {}
    for target in targets.values():
        for source in target.sources:
            if (source.startswith(root) and not source.startswith(build) and
                    source.endswith(SOURCE_SUFFIXES) and os.path.isfile(source)):
                checked.setdefault(source, set()).add(target.name)
    for header, name in owner.items():
        if os.path.isfile(header):
            checked[header] = {name}

    problems = []
    reported_qt = set()
    for path in sorted(checked):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        relative = os.path.relpath(path, root)
        for name in sorted(checked[path]):
            target = targets[name]
            allowed = reachable(targets, target)
            has_qt = any(item.startswith("Qt6::") for item in allowed)
            plain = target.plain or (relative.startswith(PLAIN_FOLDERS) and
                                     target.kind in LIBRARY_TYPES)
            if plain and has_qt and name not in reported_qt:
                reported_qt.add(name)
                problems.append(f"{relative}: {name} is plain C++ but reaches Qt")
            search = [d for d in all_includes if d in target.includes or
                      any(d in targets[a].includes for a in allowed if a in targets)]
            for bracket, include in INCLUDE.findall(text):
                if bracket == "<":
                    if is_qt(include) and not has_qt:
                        problems.append(f"{relative}: <{include}> but {name} links no Qt")
                    continue
                # The target's own include folders first, then every other
                # one: a header found only there is one the target lacks.
                header = resolve(include, path,
                                 [os.path.join(root, "src")] + search + all_includes)
                if header is None or header not in owner:
                    continue
                if owner[header] not in allowed:
                    problems.append(f"{relative}: \"{include}\" belongs to {owner[header]}, "
                                    f"which {name} does not link")
    for problem in problems:
        print(problem)
    print(f"{len(checked)} files checked, {len(problems)} layer violations")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
