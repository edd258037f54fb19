#!/usr/bin/env python3
"""Which product files call which, and whether any two call each other, directly or through others.

The functions each file defines come from ctags; a file calls another when it names one of the
other's functions outside comments and strings (not one it defines itself, nor an inline one of a
header): a call, or a reference that another call makes later (a window or dialog procedure, an
enumeration callback, a work function handed over). A name after ".", "->" or "::" is a member's,
not the function's. Prints the file graph, then every cycle (a strongly connected group of more
than one file); exits 1 when there is one.
    python3 tools/call_cycles.py [engine store ui]
"""
import re, subprocess, sys
from pathlib import Path

folders = sys.argv[1:] or ["engine", "store", "ui"]
files = sorted(str(p) for f in folders for p in Path(f).rglob("*.cpp"))
headers = sorted(str(p) for f in folders for p in Path(f).rglob("*.h"))
tags = subprocess.run(["ctags", "-x", "--c++-kinds=f", "--language-force=C++", *files, *headers],
                      capture_output=True, text=True, check=True).stdout
defined = {}
for line in tags.splitlines():
    name, kind, _, path = line.split()[:4]
    defined.setdefault(name, set()).add(path)

def code(text):  # without comments, strings and characters
    text = re.sub(r"//[^\n]*|/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r'u?"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', " ", text)

calls = {f: set() for f in files}
for f in files:
    for word in set(re.findall(r"(?<!\.)(?<!->)(?<!::)\b[A-Za-z_]\w*", code(Path(f).read_text()))):
        targets = defined.get(word, set())
        # A file's own (static) function, or an inline one of a header, is no call to another file.
        if f in targets or any(t.endswith(".h") for t in targets):
            continue
        calls[f].update(targets)
for f in files:
    print(f"{f} -> {', '.join(sorted(calls[f])) or '(none)'}")

index, low, stack, on, groups = {}, {}, [], set(), []
def visit(v):  # Tarjan's strongly connected components
    index[v] = low[v] = len(index); stack.append(v); on.add(v)
    for w in calls[v]:
        if w not in index:
            visit(w); low[v] = min(low[v], low[w])
        elif w in on:
            low[v] = min(low[v], index[w])
    if low[v] == index[v]:
        group = []
        while True:
            w = stack.pop(); on.discard(w); group.append(w)
            if w == v: break
        if len(group) > 1: groups.append(sorted(group))
for f in files:
    if f not in index: visit(f)
for g in groups:
    print("cycle:", " <-> ".join(g))
print("no call cycles" if not groups else f"{len(groups)} call cycle(s)")
sys.exit(1 if groups else 0)
