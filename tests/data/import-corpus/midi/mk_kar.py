#!/usr/bin/python3
"""Rewrites a LilyPond MIDI file as a Soft Karaoke (.kar) file.

  /usr/bin/python3 mk_kar.py IN.mid OUT.kar TITLE

What karaoke files carry and LilyPond does not write: the syllables of the
first lyric track move into a track of text events named "Words" with the
@-headers (@KMIDI KARAOKE FILE in the first track; @LENGL, @T title in
Words), each syllable a few ticks ahead of its note as karaoke players want
it, a blank before each word, "/" where a new line starts (after , ; : . ! ?)
and "\\" at the first. LilyPond writes no word breaks, so every syllable is
taken for a word. The lyric events themselves are removed; notes, tempo and
time signatures stay as LilyPond wrote them.
"""
import sys

import mido

EARLY = 10  # ticks


def main(src, dst, title):
    song = mido.MidiFile(src)
    lyric_tracks = [t for t in song.tracks if any(m.type == 'lyrics' for m in t)]
    first = lyric_tracks[0]
    syllables = []
    tick = 0
    for m in first:
        tick += m.time
        if m.type == 'lyrics' and m.text.strip():
            syllables.append((tick, m.text.strip()))
    out = mido.MidiFile(type=1, ticks_per_beat=song.ticks_per_beat)
    for track in song.tracks:
        if track in lyric_tracks:
            continue
        copy = mido.MidiTrack()
        for m in track:
            copy.append(m.copy())
        out.tracks.append(copy)
    out.tracks[0].insert(0, mido.MetaMessage('text', text='@KMIDI KARAOKE FILE', time=0))
    words = mido.MidiTrack()
    words.append(mido.MetaMessage('track_name', name='Words', time=0))
    words.append(mido.MetaMessage('text', text='@LENGL', time=0))
    words.append(mido.MetaMessage('text', text='@T' + title, time=0))
    now = 0
    new_line = True
    for i, (at, text) in enumerate(syllables):
        at = max(now, at - EARLY)
        mark = '\\' if i == 0 else ('/' if new_line else ' ')
        words.append(mido.MetaMessage('text', text=mark + text, time=at - now))
        now = at
        new_line = text[-1] in ',;:.!?'
    words.append(mido.MetaMessage('end_of_track', time=0))
    out.tracks.insert(1, words)
    out.save(dst)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2], sys.argv[3])
