#!/usr/bin/python3
# The MusicXML corpus check: reads every file of the corpus with a reader of
# its own (xml.etree, written apart from the import) and compares the melody
# it finds with the song kumoito_import_dump makes of the file.
#
#   musicxml_check.py DUMP CORPUS_DIR [--min 0.99] [-v]
#
# The melody, as a singer reads the score: the first part with notes; on its
# first staff the voice of the first note; the top note of each chord; a tied
# note held, unless a new syllable is sung on it; grace notes take no time,
# cue notes are silence. Bars as the composer counts them: measures a program
# split at a repeat or an ending are one bar, a short first measure is a
# pick-up, any other short measure fills its bar. Lyrics of verse 1, or of
# the first line when there is no verse 1. Exit status 1 when a file scores
# below the minimum.

import os
import sys
import time
import zipfile
import xml.etree.ElementTree as ET
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corpus_common  # noqa: E402


def root_of(path):
    if path.endswith(".mxl"):
        with zipfile.ZipFile(path) as z:
            container = ET.fromstring(z.read("META-INF/container.xml"))
            rootfile = next(e for e in container.iter() if e.tag.endswith("rootfile"))
            return ET.fromstring(z.read(rootfile.get("full-path")))
    return ET.parse(path).getroot()


def num(el, tag, default=0):
    t = el.findtext(tag)
    try:
        return int(t.strip()) if t is not None and t.strip() else default
    except ValueError:
        return default


def midi(pitch):
    steps = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
    alter = float(pitch.findtext("alter") or 0)
    return (num(pitch, "octave", 4) + 1) * 12 + steps[pitch.findtext("step").strip()] + round(alter)


def line_key(lyric):
    return lyric.get("number") or lyric.get("name") or "1"


def sounding(note):
    return note.find("grace") is None and note.find("cue") is None


class Event:
    """A note of the part with its time in quarters from its measure."""

    def __init__(self, note, at, duration):
        self.note, self.at, self.duration = note, at, duration


def measure_events(measure, state):
    """The notes of one measure with onsets, and how far the measure reaches."""
    t = Fraction(0)
    last = Fraction(0)
    reach = Fraction(0)
    events = []
    for el in measure:
        if el.tag == "attributes":
            if el.find("divisions") is not None:
                state["div"] = num(el, "divisions", 1)
            time_el = el.find("time")
            if time_el is not None and time_el.find("beats") is not None:
                beats = sum(int(b) for b in time_el.findtext("beats").split("+"))
                state["measure"] = Fraction(4 * beats, num(time_el, "beat-type", 4))
                state.setdefault("first", state["measure"])
        elif el.tag == "note":
            if el.find("grace") is not None:
                continue
            d = Fraction(num(el, "duration"), state["div"])
            if el.find("chord") is not None:
                events.append(Event(el, last, d))
            else:
                events.append(Event(el, t, d))
                last = t
                t += d
        elif el.tag == "backup":
            t = max(Fraction(0), t - Fraction(num(el, "duration"), state["div"]))
        elif el.tag == "forward":
            t += Fraction(num(el, "duration"), state["div"])
        reach = max(reach, t)
    return events, reach, state["measure"]


def bar_starts(spans):
    """Start of every measure in quarters from the top, and the pick-up."""
    starts, pickup, at, i = [], Fraction(0), Fraction(0), 0
    short = [0 < r < n for r, n, _ in spans]
    while i < len(spans):
        reach, nominal, implicit = spans[i]
        if not short[i]:
            starts.append(at)
            at += max(reach, nominal)
            i += 1
            continue
        # Gather the short measures that follow while they still fit the bar.
        group, total = [i], reach
        if not (i == 0 and implicit):
            j = i + 1
            while (j < len(spans) and short[j] and spans[j][1] == nominal
                   and total < nominal and total + spans[j][0] <= nominal):
                group.append(j)
                total += spans[j][0]
                j += 1
        if total == nominal:
            for k in group:
                starts.append(at)
                at += spans[k][0]
            i = group[-1] + 1
            continue
        starts.append(at)
        if i == 0:
            pickup = reach
            at += reach
        else:
            at += nominal
        i += 1
    return starts, pickup


def melody_of(part):
    state = {"div": 1, "measure": Fraction(4)}
    per_measure, spans = [], []
    for m in part.findall("measure"):
        events, reach, nominal = measure_events(m, state)
        per_measure.append(events)
        spans.append((reach, nominal, m.get("implicit") == "yes"))
    starts, pickup = bar_starts(spans)
    first_bar = state.get("first", Fraction(4))

    events = [(starts[i] + e.at, e) for i, evs in enumerate(per_measure) for e in evs]
    staff1 = [(t, e) for t, e in events if num(e.note, "staff", 1) == 1]
    if not staff1:
        return [], first_bar, pickup
    voice = staff1[0][1].note.findtext("voice") or ""
    keys = [line_key(l) for _, e in staff1 for l in e.note.findall("lyric")]
    line = "1" if "1" in keys else (keys[0] if keys else "1")

    groups = []  # [onset, duration, pitch, tied, lyric] in written order
    for t, e in staff1:
        n = e.note
        if ((n.findtext("voice") or "") != voice or e.duration == 0 or n.find("rest") is not None
                or not sounding(n) or n.find("pitch") is None):
            continue
        p = midi(n.find("pitch"))
        tied = any(x.get("type") == "stop" for x in n.findall("tie"))
        words = ""
        for lyr in n.findall("lyric"):
            if line_key(lyr) == line:
                words = "".join(x.text or "" for x in lyr.findall("text"))
                break
        if groups and groups[-1][0] == t:
            g = groups[-1]
            if p > g[2]:
                g[1], g[2], g[3] = e.duration, p, tied
            elif p == g[2]:
                g[3] = g[3] or tied
            g[4] = g[4] or words
        elif not groups or t > groups[-1][0]:
            groups.append([t, e.duration, p, tied, words])

    melody = []
    for t, d, p, tied, words in groups:
        if melody and tied and not words:
            prev = melody[-1]
            if prev[2] == p and prev[0] + prev[1] == t:
                prev[1] += d
                continue
        melody.append([t, d, p, words])
    return melody, first_bar, pickup


def expected_notes(path, bpm):
    root = root_of(path)
    chosen = None
    for part in root.findall("part"):
        if any(n.find("pitch") is not None and n.find("chord") is None and n.find("rest") is None
               and sounding(n) for n in part.iter("note")):
            chosen = part
            break
    melody, bar, pickup = melody_of(chosen)
    pad = bar - pickup if pickup > 0 else Fraction(0)
    out = []
    for t, _, p, words in melody:
        q = t + pad
        index = int(q // bar)
        out.append((index, (q - index * bar) / bar * bpm, p, words))
    return out


def main(argv):
    dump, folder = argv[1], argv[2]
    minimum = float(argv[argv.index("--min") + 1]) if "--min" in argv else 0.99
    verbose = "-v" in argv
    failed = 0
    times = []
    names = sorted(f for f in os.listdir(folder) if f.endswith((".xml", ".musicxml", ".mxl")))
    for name in names:
        path = os.path.join(folder, name)
        started = time.monotonic()
        bpm, actual = corpus_common.run_dump(dump, path)
        times.append(time.monotonic() - started)
        expected = expected_notes(path, bpm)
        matched, total, problems = corpus_common.score(expected, actual)
        ratio = matched / total if total else 0.0
        ok = ratio >= minimum and total > 0
        failed += not ok
        print("%-48s %4d/%-4d %6.1f %%  %s" % (name, matched, total, 100 * ratio, "ok" if ok else "FAIL"))
        for problem in problems[: (20 if verbose or not ok else 0)]:
            print("    " + problem)
    times.sort()
    print("%d files, %d below %.0f %%; median dump run %.1f ms (with process start)"
          % (len(names), failed, 100 * minimum, 1000 * times[len(times) // 2] if times else 0))
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
