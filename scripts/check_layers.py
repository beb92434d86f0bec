#!/usr/bin/python3
"""Fails when a library includes a header of a layer above it, or when the headless layers
include a widget header. Layers, lowest first; each may include only its own headers and
those of lower layers."""
import os
import re
import sys

LAYERS = ["model", "store", "edit", "shell", "view", "lesson", "app"]
# Folders outside the layer stack and the highest layer each may reach.
# The fuzz targets drive the lesson commands as a teacher does, so they reach the lesson layer
# (its headless part: no widget headers).
CLIENTS = {"tools": "store", "content": "store", "fuzz": "lesson"}
HEADLESS = {"model", "store", "edit", "tools", "content", "fuzz"}
# The headless parts of the widget layers: no widget header, and of those layers' own
# headers only headless ones (they are tested without windows).
HEADLESS_FILES = {f"lesson/{name}{ext}" for ext in (".h", ".cpp") for name in
                  ("Playback", "PlaybackPrefetch", "PreviewFit", "PenInput", "PictureLayer")}
WIDGET_HEADER_DIRS = ["/usr/include/x86_64-linux-gnu/qt6/QtWidgets",
                      "/usr/include/qt6/QtWidgets"]

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
rank = {name: i for i, name in enumerate(LAYERS)}
for client, highest in CLIENTS.items():
    rank[client] = rank[highest] + 0.5

home = {}  # header file name -> layer folder that defines it
for layer in LAYERS:
    folder = os.path.join(top, layer)
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        if name.endswith(".h"):
            if name in home:
                sys.exit(f"check_layers: {name} stands in both {home[name]}/ and {layer}/")
            home[name] = layer

widget_headers = set()
for d in WIDGET_HEADER_DIRS:
    if os.path.isdir(d):
        widget_headers.update(n for n in os.listdir(d) if n.startswith("Q"))
widget_headers.discard("QtWidgets")  # handled with the others by prefix below

include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
faults = []
for folder in list(rank):
    base = os.path.join(top, folder)
    for dirpath, _, files in os.walk(base):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, top)
            with open(path, encoding="utf-8", errors="replace") as f:
                for lineno, line in enumerate(f, 1):
                    m = include.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    leaf = os.path.basename(target)
                    if kind == '"' and leaf in home and rank[home[leaf]] > rank[folder]:
                        faults.append(f"{rel}:{lineno}: includes {home[leaf]}/{leaf} "
                                      f"from the layer above {folder}/")
                    headless = folder in HEADLESS or rel in HEADLESS_FILES
                    if (rel in HEADLESS_FILES and kind == '"' and
                            home.get(leaf) in ("shell", "view", "lesson") and
                            f"{home[leaf]}/{leaf}" not in HEADLESS_FILES):
                        faults.append(f"{rel}:{lineno}: includes {home[leaf]}/{leaf}, which "
                                      f"is not headless")
                    if headless and kind == "<" and (
                            leaf in widget_headers or target.startswith("QtWidgets")):
                        faults.append(f"{rel}:{lineno}: widget header <{target}> in the "
                                      f"headless part of {folder}/")

if faults:
    print("\n".join(faults))
    sys.exit(f"check_layers: {len(faults)} include(s) against the layer order")
print(f"check_layers: {' <- '.join(LAYERS)}: every include points downwards")
