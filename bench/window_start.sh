#!/bin/sh
# Interactive start to the first painted window, under a virtual X server:
# from the moment the program is started to the moment the main window on
# the screen shows, pixel for pixel, the picture it settles on. Prints the
# median and the spread of several runs. Needs python3-xlib (the system's
# python3).
#   bench/window_start.sh [BUILD_FOLDER] [RUNS]   (default: build, 15)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-15}
exec "$here/scripts/with-xvfb" 1280x1024 /usr/bin/python3 - "$build" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, tempfile, time
from Xlib import X, display

build, runs = sys.argv[1], int(sys.argv[2])
screen = display.Display()
root = screen.screen().root
root.change_attributes(event_mask=X.SubstructureNotifyMask)
screen.sync()

def mapped_window(deadline):
    """The first top-level window mapped, as the server reports it."""
    while time.perf_counter() < deadline:
        while screen.pending_events():
            event = screen.next_event()
            if event.type == X.MapNotify and event.window.get_geometry().width > 600:
                return event.window
        time.sleep(0.0005)
    sys.exit("window_start: no window came up")

def picture(window):
    g = window.get_geometry()
    return window.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xFFFFFFFF).data

def one_run(reference):
    work = tempfile.mkdtemp()
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_CACHE_HOME=os.path.join(work, "cache"), KUMOITO_MIDI_OUT="none")
    # A run from the build folder, which is a complete start-up folder.
    start = time.perf_counter()
    child = subprocess.Popen([os.path.join(build, "kumoito")], cwd=build, env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = mapped_window(start + 20)
        mapped = time.perf_counter() - start
        if reference is None:
            # The picture the window settles on: the same for two seconds.
            time.sleep(1)
            settled = picture(window)
            while True:
                time.sleep(1)
                now = picture(window)
                if now == settled:
                    return None, None, settled
                settled = now
        while True:
            if picture(window) == reference:
                return mapped, time.perf_counter() - start, reference
            if time.perf_counter() - start > 20:
                sys.exit("window_start: the window never showed its picture")
    finally:
        child.kill()
        child.wait()
        shutil.rmtree(work, ignore_errors=True)
        screen.sync()
        while screen.pending_events():
            screen.next_event()

_, _, reference = one_run(None)  # also warms the page cache
maps, paints = [], []
for _ in range(runs):
    mapped, painted, _ = one_run(reference)
    maps.append(mapped * 1000)
    paints.append(painted * 1000)
print(f"start to window mapped: median {statistics.median(maps):.0f} ms; "
      f"start to first painted window: median {statistics.median(paints):.0f} ms "
      f"(fastest {min(paints):.0f}, slowest {max(paints):.0f}, {runs} runs)")
PY
