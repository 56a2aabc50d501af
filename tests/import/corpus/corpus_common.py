# Shared pieces of the corpus checks: runs kumoito_import_dump on a file,
# reads what it prints, and scores that song against the notes a reader of
# the check's own found in the file. Standard library only, for the system
# /usr/bin/python3.
#
# A note, on either side, is (bar, position, pitch, lyric): bar counts from 0
# at the first whole bar line of the song (a pick-up is bar 0 with its
# leading rests), position is the onset in song beats from that bar's start,
# pitch a MIDI note number and lyric the syllable (empty for none).

import os
import subprocess
from fractions import Fraction

# Half a sixteenth of a song beat: a note on the grid slot nearest its
# written onset is at the right place.
TOLERANCE = Fraction(1, 8)
LYRIC_BYTES = 7  # the song's lyric field without its terminator


def run_dump(dump, path, part=None):
    """The song kumoito_import_dump makes of path: (beats per measure, notes)."""
    args = [dump, path] + ([str(part)] if part is not None else [])
    out = subprocess.run(args, capture_output=True, timeout=60, env=os.environ.copy())
    if out.returncode != 0:
        raise RuntimeError("%s does not import: %s" % (path, out.stderr.decode(errors="replace")))
    bpm = None
    notes = []
    for line in out.stdout.decode("utf-8").splitlines():
        fields = line.split(" ", 5)
        if fields[0] == "beats-per-measure":
            bpm = int(fields[1])
        elif fields[0] == "note":
            cell, slot, slots, pitch = (int(v) for v in fields[1:5])
            lyric = fields[5] if len(fields) > 5 else ""
            beats = (Fraction(cell) + Fraction(slot, slots)) / 2
            bar = int(beats // bpm)
            notes.append((bar, beats - bar * bpm, pitch, lyric))
    return bpm, notes


def stored_lyric(text):
    """A syllable as the song can hold it: CP932, cut on a character."""
    out = b""
    for ch in text:
        try:
            b = ch.encode("cp932")
        except UnicodeEncodeError:
            b = b"?"
        if len(out) + len(b) > LYRIC_BYTES:
            break
        out += b
    return out.decode("cp932")


def score(expected, actual):
    """Matches each expected note with the actual note nearest it in the same
    bar. Returns (matched, total, problems): a note counts when it is there,
    at the right place, of the right pitch class once the song's transposition
    (the most common difference) is taken out, with the right syllable."""
    by_bar = {}
    for n in actual:
        by_bar.setdefault(n[0], []).append(n)
    pairs = []
    used = set()
    for e in expected:
        best = None
        for a in by_bar.get(e[0], []):
            d = abs(a[1] - e[1])
            if d <= TOLERANCE and id(a) not in used and (best is None or d < best[0]):
                best = (d, a)
        if best is not None:
            used.add(id(best[1]))
        pairs.append((e, best[1] if best else None))
    shifts = {}
    for e, a in pairs:
        if a is not None:
            k = (a[2] - e[2]) % 12
            shifts[k] = shifts.get(k, 0) + 1
    shift = max(shifts, key=shifts.get) if shifts else 0
    matched = 0
    problems = []
    for e, a in pairs:
        if a is None:
            problems.append("missing %s" % (e,))
        elif (a[2] - e[2]) % 12 != shift:
            problems.append("pitch %s for %s" % (a[2], e))
        elif a[3] != stored_lyric(e[3]):
            problems.append("lyric %r for %s" % (a[3], e))
        else:
            matched += 1
    extra = len(actual) - len(used)
    if extra > 0:
        problems.append("%d notes that are not in the file" % extra)
    return matched, max(len(expected), len(actual)), problems
