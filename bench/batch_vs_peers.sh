#!/bin/sh
# Whole-process conversion of one melody of 32 and of 256 measures to PNG:
# our batch mode against MuseScore 3 and LilyPond where they are installed.
# Prints the median wall time and CPU time of several runs, the peak memory, and the
# ratios side by side.
#   bench/batch_vs_peers.sh [BUILD_FOLDER]   (default: build)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${RUNS:-21}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$work" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, tempfile, time

build, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
kumoito = os.path.join(build, "kumoito")
songc = os.path.join(build, "library", "kumoito_songc")
# One four-measure phrase repeated: notes on all three strings, chords,
# lyrics, as a library song has.
phrase = [("C4q D4 E4 G4", "C . . ."), ("A4q G4 E4h", "F . C ."),
          ("G4q E4 D4 C4", "C . G ."), ("D4h C4h", "G . C .")]
names = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

def song_source(measures):
    lines = ["title: 計測用の旋律", "source: generated for the benchmark", "tempo: 96",
             "beats: 4", "key: C", "region: 3", "fame: 0", ""]
    for m in range(0, measures, 4):
        lines.append("notes:  | " + " | ".join(p[0] for p in phrase) + " |")
        lines.append("chords: | " + " | ".join(p[1] for p in phrase) + " |")
    return "\n".join(lines) + "\n"

def lilypond(measures):
    body = " ".join("c'4 d' e' g' a' g' e'2 g'4 e' d' c' d'2 c'" for _ in range(measures // 4))
    return '\\version "2.24.0"\n{ \\time 4/4 ' + body + " }\n"

def musicxml(measures):
    steps = [("C", 1), ("D", 1), ("E", 1), ("G", 1), ("A", 1), ("G", 1), ("E", 2),
             ("G", 1), ("E", 1), ("D", 1), ("C", 1), ("D", 2), ("C", 2)]
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<score-partwise version="3.1"><part-list><score-part id="P1"><part-name>M</part-name>'
           '</score-part></part-list><part id="P1">']
    number, beats, notes = 1, 0, []
    for _ in range(measures // 4):
        for step, q in steps:
            notes.append(f'<note><pitch><step>{step}</step><octave>4</octave></pitch>'
                         f'<duration>{q}</duration><type>{"quarter" if q == 1 else "half"}</type></note>')
            beats += q
            if beats == 4:
                attrs = ('<attributes><divisions>1</divisions><time><beats>4</beats>'
                         '<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef>'
                         '</attributes>') if number == 1 else ""
                out.append(f'<measure number="{number}">{attrs}{"".join(notes)}</measure>')
                number, beats, notes = number + 1, 0, []
    out.append("</part></score-partwise>")
    return "\n".join(out)

def peak_of(command, env, cwd):
    """Peak resident size (MiB) of one run, told by GNU time. The resource
    usage Python's own child gets is no measure: the kernel counts in it the
    size of the Python process the child was forked or vforked from."""
    with tempfile.NamedTemporaryFile("r") as out:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", out.name] + command, cwd=cwd, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        return int(out.read().split()[-1]) / 1024

def measure(command, env=None, cwd=None):
    """Median wall time and CPU time (user + system, ms), median peak resident
    size and the first run's peak (MiB). On a busy machine the CPU time is the
    steadier figure: the wall time also holds the waits for a core. The first
    run is the cold one: it fills our font cache, so it loads fontconfig."""
    times, cpu = [], []
    peaks = [peak_of(command, env, cwd) for _ in range(5)]
    for _ in range(runs):
        start = time.perf_counter()
        child = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        times.append(time.perf_counter() - start)
        cpu.append(usage.ru_utime + usage.ru_stime)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{command[0]} failed")
    return (statistics.median(times) * 1000, statistics.median(cpu) * 1000,
            (statistics.median(peaks), peaks[0]))

env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
           XDG_CACHE_HOME=os.path.join(work, "cache"))
env.pop("DISPLAY", None)
for measures in (32, 256):
    src = os.path.join(work, f"m{measures}.txt")
    score = os.path.join(work, f"m{measures}.mwd")
    with open(src, "w", encoding="utf-8") as f:
        f.write(song_source(measures))
    subprocess.run([songc, src, score], check=True)
    ours, ours_cpu, ours_peak = measure(
        [kumoito, score, os.path.join(work, "out.png"), "0", "hon", "-1"], env=env, cwd=work)
    row = [f"{measures:4d} measures: kumoito {ours:7.1f} ms (cpu {ours_cpu:.1f} ms, "
           f"peak {ours_peak[0]:.1f} MiB, cold run {ours_peak[1]:.1f} MiB)"]
    if shutil.which("mscore3") and not os.environ.get("OURS_ONLY"):
        xml = os.path.join(work, f"m{measures}.musicxml")
        with open(xml, "w") as f:
            f.write(musicxml(measures))
        peer_env = dict(env, QT_QPA_PLATFORM="offscreen")
        ms, _, _ = measure(["mscore3", "-o", os.path.join(work, "ms.png"), xml], env=peer_env)
        row.append(f"MuseScore 3 {ms:7.1f} ms ({ms / ours:5.1f}x)")
    else:
        row.append("MuseScore 3 not installed")
    if shutil.which("lilypond"):
        ly = os.path.join(work, f"m{measures}.ly")
        with open(ly, "w") as f:
            f.write(lilypond(measures))
        lp, _, _ = measure(["lilypond", "--png", "-o", os.path.join(work, "lp"), ly], cwd=work)
        row.append(f"LilyPond {lp:7.1f} ms ({lp / ours:5.1f}x)")
    else:
        row.append("LilyPond not installed")
    print(" | ".join(row))
PY
