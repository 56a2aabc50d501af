#!/usr/bin/python3
"""Checks the MIDI import against a reading of each file of its own.

  /usr/bin/python3 midi_check.py IMPORT_DUMP DIR [MIN_PERCENT]

Every .mid, .midi and .kar file in DIR is read here with mido, by the rules
the help page gives for MIDI files (melody track, top line, grid, pick-up,
metre, lyrics), and imported by IMPORT_DUMP (kumoito_import_dump). A note
counts as right when the import has a note at the same place of the same
bar, of the same pitch class measured from the first note (the import may
move a melody by octaves), with the same syllable. Each file must reach
MIN_PERCENT (99) of the notes of the longer of the two readings. Prints one
line per file and the median import time (the dump's own measure).
"""

import statistics
import subprocess
import sys
from fractions import Fraction
from pathlib import Path

import mido

MELODY_WORDS = ('melody', 'melo', 'vocal', 'voice', 'lead', 'solo', 'singer',
                'メロ', '歌', 'ボーカル', 'ヴォーカル', '主旋律')
SCALES = [Fraction(1), Fraction(2), Fraction(4), Fraction(2, 3), Fraction(1, 2),
          Fraction(4, 3), Fraction(1, 4)]
LYRIC_BYTES = 7  # a song cell's syllable, in Shift-JIS


def text_of(message):
    # mido decodes texts as Latin-1; the bytes are UTF-8 or Shift-JIS.
    raw = getattr(message, 'text', None) or getattr(message, 'name', '')
    raw = raw.encode('latin-1', errors='replace').split(b'\0')[0]
    for codec in ('utf-8', 'cp932'):
        try:
            return raw.decode(codec)
        except UnicodeDecodeError:
            pass
    return raw.decode('latin-1')


class File:
    def __init__(self, path):
        song = mido.MidiFile(path)
        self.division = song.ticks_per_beat
        self.voices = {}  # (track, channel) -> [(on, off, pitch)]
        self.names = []
        self.signatures = []
        self.lyrics = []  # per track: [(tick, text)]
        self.texts = []
        self.karaoke = False
        self.end = 0
        for index, track in enumerate(song.tracks):
            self.read_track(index, track)

    def read_track(self, index, track):
        tick = 0
        sounding = {}
        name = ''
        lyrics, texts = [], []

        def release(channel, pitch, at):
            start = sounding.pop((channel, pitch), None)
            if start is not None and at > start:
                self.voices.setdefault((index, channel), []).append((start, at, pitch))

        for m in track:
            tick += m.time
            if m.type in ('note_on', 'note_off') and m.channel != 9:
                release(m.channel, m.note, tick)
                if m.type == 'note_on' and m.velocity > 0:
                    sounding[(m.channel, m.note)] = tick
            elif m.type == 'track_name' and not name:
                name = text_of(m)
            elif m.type == 'time_signature':
                self.signatures.append((tick, m.numerator, m.denominator))
            elif m.type == 'lyrics':
                lyrics.append((tick, text_of(m)))
            elif m.type == 'text':
                text = text_of(m)
                if text.startswith('@'):
                    self.karaoke = True
                else:
                    texts.append((tick, text))
        for (channel, pitch), start in list(sounding.items()):
            release(channel, pitch, max(tick, start + self.division))
        self.end = max(self.end, tick)
        self.names.append(name)
        self.lyrics.append(lyrics)
        self.texts.append(texts)


def choose_voice(f):
    keys = sorted(k for k, v in f.voices.items() if v)
    for k in keys:
        if any(w in f.names[k[0]].lower() for w in MELODY_WORDS):
            return k
    busiest = max(len(f.voices[k]) for k in keys)
    busy = [k for k in keys if 4 * len(f.voices[k]) >= busiest]
    return max(busy, key=lambda k: (sum(n[2] for n in f.voices[k]) / len(f.voices[k]),
                                    -keys.index(k)))


def top_line(notes):
    line = []
    for on, off, pitch in sorted(notes, key=lambda n: (n[0], -n[2])):
        if line:
            last_on, last_off, last_pitch = line[-1]
            inner = on < last_off and pitch <= last_pitch and off <= last_off
            if on == last_on or inner:
                continue
            line[-1] = (last_on, min(last_off, on), last_pitch)
        line.append((on, off, pitch))
    return line


def bar_of(numerator, denominator):
    return Fraction(4 * numerator, denominator)


def place(f, line):
    """Shift (quarters), pick-up (quarters) and the metre the bars follow."""
    signatures = sorted(f.signatures, key=lambda s: s[0])
    if (len(signatures) >= 2 and signatures[0][0] == 0 and
            Fraction(signatures[1][0], f.division) == bar_of(*signatures[0][1:]) and
            bar_of(*signatures[0][1:]) < bar_of(*signatures[1][1:])):
        return Fraction(0), bar_of(*signatures[0][1:]), signatures[1][1:]
    metre = signatures[0][1:] if signatures else (4, 4)  # the first, wherever it stands
    bar = bar_of(*metre)
    end_q = Fraction(f.end, f.division)
    end = Fraction(round(end_q * 2), 2)
    start = Fraction(line[0][0], f.division)
    last_end = Fraction(line[-1][1], f.division)
    trusted = abs(end_q - end) <= Fraction(1, 16) and last_end - Fraction(1, 4) <= end < last_end + bar
    if not trusted or (end / bar).denominator == 1:
        return Fraction(0), Fraction(0), metre
    return start, (end - start) % bar, metre


def song_metre(numerator, denominator):
    quarters = bar_of(numerator, denominator)
    for scale in SCALES:
        beats = quarters * scale
        if beats.denominator == 1 and 1 <= beats <= 8:
            return int(beats), scale
    return 4, Fraction(1)


def clean(text):
    return ''.join(c for c in text if c not in '/\\ \t\r\n\u3000')


def cut(text):
    out = ''
    for c in text:
        if len((out + c).encode('cp932', errors='replace')) > LYRIC_BYTES:
            break
        out += c
    return out


def words_of(f, melody_track):
    if f.lyrics[melody_track]:
        return f.lyrics[melody_track]
    for lyrics in f.lyrics:
        if lyrics:
            return lyrics
    if f.karaoke:
        busiest = max(f.texts, key=len)
        return busiest
    return []


def sing(f, line, melody_track):
    syllables = [''] * len(line)
    tolerance = f.division // 8
    sung_at = None
    for tick, text in sorted(words_of(f, melody_track), key=lambda t: t[0]):
        text = clean(text)
        if not text:
            continue
        struck = [i for i, n in enumerate(line) if n[0] <= tick + tolerance]
        to = len(struck)
        if struck and tick < line[struck[-1]][1]:
            to = struck[-1]
        if to >= len(line):
            continue
        if to == 0 and line[0][0] + tolerance >= tick:
            syllables[0] = text
        elif tick != sung_at:  # a second syllable at one instant: another verse
            syllables[to] += text
            sung_at = tick
    return syllables


def reference(path):
    f = File(path)
    melody = choose_voice(f)
    line = top_line(f.voices[melody])
    shift, pickup, metre = place(f, line)
    bpm, scale = song_metre(*metre)
    bar = bar_of(*metre)
    pad = bar - pickup if 0 < pickup < bar else Fraction(0)
    syllables = sing(f, line, melody[0])
    notes = {}
    for (on, _, pitch), syllable in zip(line, syllables):
        # Sixteenths and triplets of the beat share the grid of twelfths.
        q = Fraction(round(Fraction(on * 12, f.division)), 12)
        notes.setdefault((q - shift + pad) * scale, (pitch, cut(syllable)))
    return bpm, notes


def imported(dump, path):
    run = subprocess.run([dump, str(path)], capture_output=True, text=True, check=False)
    if run.returncode != 0:
        return None, {}, None
    bpm, notes = 4, {}
    for row in run.stdout.splitlines():
        fields = row.split(' ')
        if fields[0] == 'beats-per-measure':
            bpm = int(fields[1])
        elif fields[0] == 'note':
            cell, slot, slots, pitch = (int(x) for x in fields[1:5])
            at = (cell + Fraction(slot, slots)) / 2
            notes[at] = (pitch, ' '.join(fields[5:]))
    micros = None
    for row in run.stderr.splitlines():
        if row.startswith('import-microseconds '):
            micros = int(row.split()[1])
    return bpm, notes, micros


def score(ref_bpm, ref, our_bpm, ours):
    if not ref or not ours:
        return 0, max(len(ref), len(ours))
    ref_base = ref[min(ref)][0]
    our_base = ours[min(ours)][0]
    right = 0
    for at, (pitch, syllable) in ref.items():
        mine = ours.get(at)
        if mine is None or our_bpm != ref_bpm:
            continue
        if (mine[0] - our_base) % 12 == (pitch - ref_base) % 12 and mine[1] == syllable:
            right += 1
    return right, max(len(ref), len(ours))


def main():
    dump, folder = sys.argv[1], Path(sys.argv[2])
    least = float(sys.argv[3]) if len(sys.argv) > 3 else 99.0
    files = sorted(p for p in folder.iterdir() if p.suffix.lower() in ('.mid', '.midi', '.kar'))
    failed = []
    times = []
    for path in files:
        ref_bpm, ref = reference(path)
        our_bpm, ours, micros = imported(dump, path)
        right, total = score(ref_bpm, ref, our_bpm, ours)
        percent = 100.0 * right / total if total else 0.0
        sung = sum(1 for _, s in ref.values() if s)
        print(f'{path.name}: {right}/{total} notes right ({percent:.1f} %), '
              f'{sung} sung, {ref_bpm} beats a bar')
        if micros is not None:
            times.append(micros)
        if percent < least:
            failed.append(path.name)
    if times:
        print(f'median import time: {statistics.median(times)} us per file ({len(times)} files)')
    if not files:
        print('no MIDI files in', folder)
        return 1
    if failed:
        print('below', least, '%:', ', '.join(failed))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
