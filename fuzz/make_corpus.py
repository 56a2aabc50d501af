#!/usr/bin/env python3
"""Writes the fuzz targets' starting corpora into fuzz/corpus/<target>/.

The inputs are small valid and nearly valid inputs, each meant to lead the
fuzzer into one part of the reader it starts from. The score inputs are made
from library songs, so the script needs kumoito_songc from any build:

    python3 fuzz/make_corpus.py BUILD/library/kumoito_songc
"""

import os
import struct
import zlib
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- Standard MIDI Files -----------------------------------------------------

def vlq(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


def meta(delta, kind, payload):
    return vlq(delta) + bytes([0xFF, kind]) + vlq(len(payload)) + payload


def sysex(delta, body):
    return vlq(delta) + bytes([0xF0]) + vlq(len(body)) + body


END = meta(0, 0x2F, b"")


def chunk(events, ident=b"MTrk"):
    return ident + struct.pack(">I", len(events)) + events


def header(fmt, tracks, division):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, tracks, division)


def melody(channel=0):
    on, off = 0x90 | channel, 0x80 | channel
    body = bytes([0, 0xC0 | channel, 106])  # shamisen
    body += bytes([0, on, 60, 100, 96, off, 60, 64])
    # Running status, and a note on of velocity 0 as the note off.
    body += bytes([0, on, 62, 90, 48, 62, 0, 0, 64, 80, 48, 64, 0])
    body += bytes([0, on, 67, 100]) + vlq(192) + bytes([off, 67, 0])
    return body


def smf_inputs():
    t = "smf_reader_fuzz"
    conductor = (meta(0, 0x03, b"melody") + meta(0, 0x51, bytes([0x07, 0xA1, 0x20])) +
                 meta(0, 0x58, bytes([4, 2, 24, 8])))
    f0 = header(0, 1, 96) + chunk(conductor + melody() + END)
    write(t, "format0_melody.mid", f0)
    write(t, "format0_macbinary.mid", bytes(128) + f0)
    controls = (sysex(0, bytes([0x7E, 0x7F, 0x09, 0x01, 0xF7])) +
                sysex(0, bytes([0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7])) +
                vlq(0) + bytes([0xB1, 7, 100]) + vlq(0) + bytes([0xE1, 0x00, 0x40]) +
                vlq(10) + bytes([0xD1, 50]) + vlq(0) + bytes([0xA1, 60, 30]) +
                vlq(0) + bytes([0xF7]) + vlq(2) + bytes([0x43, 0xF7]) +
                meta(0, 0x01, "さくら".encode("cp932")) + meta(0, 0x06, b"A") +
                meta(0, 0x59, bytes([0, 0])) + meta(0, 0x7F, bytes([0x43, 0x7B, 0x00])) +
                meta(0, 0x51, bytes([0, 0, 0])) + meta(0, 0x58, bytes([3, 0, 24, 8])) +
                melody(1) + END)
    write(t, "format0_controls.mid", header(0, 1, 480) + chunk(controls))
    write(t, "format0_cut.mid", f0[:len(f0) - 9])
    write(t, "format0_running_status.mid",
          header(0, 1, 96) + chunk(bytes([0, 60, 100]) + melody() + END))
    f1 = (header(1, 2, 96) + chunk(conductor + END) + chunk(melody(1) + END))
    write(t, "format1_two_tracks.mid", f1)
    xf = (header(1, 3, 120) + chunk(meta(0, 0x03, b"xf") + END) +
          chunk(meta(0, 0x01, b"info") + END, b"XFIH") + chunk(melody(2) + END))
    write(t, "format1_xf_chunks.mid", xf)
    write(t, "format1_long_track.mid",
          header(1, 2, 96) + chunk(conductor + END)[:4] + struct.pack(">I", 999) + melody())
    write(t, "format2.mid", header(2, 1, 96) + chunk(melody() + END))


# --- Score files -------------------------------------------------------------

ORIGINAL, OLD_CHORD, INFO, FREE_TEXT, CURRENT = range(5)
CHORD_BEATS, CELLS = 1024, 2048


def old_layouts(image):
    """The current image in the two layouts of the first versions."""
    header = image[90432:90444]
    chords = b"".join(image[b * 16:b * 16 + 8] for b in range(CHORD_BEATS))
    cells = image[16384:16384 + CELLS * 36]
    old_chord = chords + cells + header
    # One slot per eighth note: a pitch and the lyric of its first slot.
    oldest = chords
    for c in range(CELLS):
        cell = cells[c * 36:(c + 1) * 36]
        oldest += cell[0:4] + cell[12:20]
    return oldest + header, old_chord


def score_inputs(songc):
    t = "score_reader_fuzz"
    images = {}
    with tempfile.TemporaryDirectory() as tmp:
        for song in ("frere_jacques", "sakura"):
            out = os.path.join(tmp, song + ".mwd")
            subprocess.run([songc, os.path.join(ROOT, "library", "songs", song + ".txt"), out],
                           check=True)
            with open(out, "rb") as f:
                images[song] = f.read()
    prefix = lambda version: bytes([version, 0, 0, 0])
    write(t, "current_frere_jacques", prefix(CURRENT) + images["frere_jacques"])
    write(t, "current_sakura", prefix(CURRENT) + images["sakura"])
    oldest, old_chord = old_layouts(images["frere_jacques"])
    write(t, "oldest_frere_jacques", prefix(ORIGINAL) + oldest)
    write(t, "old_chords_frere_jacques", prefix(OLD_CHORD) + old_chord)
    # The head of a current file told as an older version, and no file at all.
    write(t, "info_sakura_head", prefix(INFO) + images["sakura"][:4096])
    write(t, "free_text_empty", prefix(FREE_TEXT))
    # Sizes told by the input: one too small, one odd.
    write(t, "told_too_small", prefix(9) + images["frere_jacques"][:512])
    write(t, "told_odd_size", prefix(9) + images["frere_jacques"][:2048] + bytes(8))


# --- Song sources --------------------------------------------------------------

SONG_SOURCES = ("london_bridge", "sakura", "frere_jacques")

FEATURES = """\
# Every kind of note, chord and lyric once.
title: 試し 歌
composer: Traditional
source: written for the fuzzer
tempo: 96
beats: 3
key: F#m
region: 3
fame: 60

notes:  | rh F#4q~ | F#4e. G#4s Ab4q Bb3q | C#5s D5s E5e F5q~ F5q |
chords: | F#m . .  | .,C#7 . G,G7        | A#m7b5 Cmaj7 Dsus4   |
lyrics:   か     _ ら  す  ab ki ん ね  # a comment from here
notes:  | C4h.~ |
lyrics:   sa
notes:  | C4h. | # the tie carries over the line
"""


def song_source_inputs():
    t = "song_source_fuzz"
    for name in SONG_SOURCES:
        with open(os.path.join(ROOT, "library", "songs", name + ".txt"), "rb") as f:
            write(t, name + ".txt", f.read())
    write(t, "features.txt", FEATURES)
    with open(os.path.join(ROOT, "library", "songs", "london_bridge.txt")) as f:
        london = f.read()
    write(t, "measure_too_long.txt", london.replace("| G4q. A4e G4q F4 |", "| G4q. A4e G4q F4 F4 |", 1))
    write(t, "no_title.txt", london.replace("title: London Bridge\n", ""))
    write(t, "bad_tie.txt", london.replace("G4h |", "G4h~ | ", 1))


# --- Settings ---------------------------------------------------------------

def settings_inputs():
    t = "settings_fuzz"
    pack = lambda *fields: struct.pack("<6i", *fields)
    write(t, "defaults.ini", pack(0, 0, 0, 1, 1, 0))
    write(t, "chosen.ini", pack(5, 2, 3, 0, 0, 7))
    write(t, "batch.ini", pack(-1, -1, 0, 1, 1, -1))
    write(t, "out_of_range.ini", pack(12, 3, 0x7FFFFFFF, 2, -5, 12))
    write(t, "short_20.ini", pack(3, 1, 2, 0, 1, 4)[:20])
    write(t, "short_7.ini", pack(3, 1, 2, 0, 1, 4)[:7])
    write(t, "empty.ini", b"")


# --- Recovery files ---------------------------------------------------------

def recovery(path, score, first=0, tuning=0, key=0, version=1):
    body = (b"KMTRCV\x1a\n" + struct.pack("<6I", version, first, tuning, key, len(path), len(score))
            + path + score)
    return body + struct.pack("<I", zlib.crc32(body) & 0xFFFFFFFF)


def recovery_inputs():
    t = "recovery_reader_fuzz"
    # A small score keeps the inputs short; the reader takes any length.
    score = bytes(range(256)) * 4
    write(t, "whole.krec", recovery("/home/u/song.mwd".encode(), score, 9, 2, 11))
    write(t, "no_path.krec", recovery(b"", score))
    write(t, "empty.krec", recovery(b"", b""))
    write(t, "torn.krec", recovery(b"/a.mwd", score)[:600])
    write(t, "version2.krec", recovery(b"/a.mwd", score, version=2))


# --- Command lines ----------------------------------------------------------

def command_line_inputs():
    t = "command_line_fuzz"
    write(t, "batch.txt", '"song.mwd" "song.png" 0 hon -1')
    write(t, "blanks.txt", '"My Songs/さくら.mwd" "out dir/さくら.bmp" 3 futa 5')
    write(t, "arguments.bin", b"song.mwd\0song.png\x000\0san\0-1")
    write(t, "arguments_blanks.bin", "a b.mwd\0c d.jpg\0+12\0hon\0  -7\0extra".encode())
    write(t, "one_path.txt", '"song.mwd"')
    write(t, "open_quote.txt", '"song.mwd')
    write(t, "long_tokens.txt",
          '"a.mwd" "b.png" 99999999999 ' + "futa" * 9 + " -2147483649")
    write(t, "long_path.bin", b"x" * 300 + b"\0y.png\x001\0futa\x002")


# --- CP932 texts ------------------------------------------------------------

def sjis_inputs():
    t = "sjis_fuzz"
    write(t, "kana.sjis", "さくらさくら".encode("cp932"))
    write(t, "mixed_blanks.sjis", "Frere ｶﾅ 日本古謡　 ".encode("cp932"))
    write(t, "nec_ibm.sjis", b"\x87\x40\xed\x40\xfa\x40\x81\x5f")
    write(t, "trail_40.sjis", b"\x81\x40\x82\x40 \x83\x40")
    write(t, "lone_lead.sjis", b"abc\x82")
    write(t, "nul_inside.sjis", b"\x82\xa0\x00abc")
    write(t, "text.utf8", "さくら 日本古謡 ♪ è")
    write(t, "broken.utf8", b"\xe3\x81 \xff\xc0\x80\xed\xa0\x80\xf4\x90\x80\x80")


# --- Foreign files: MusicXML, compressed MusicXML, MIDI for the import --------

IMPORT_DATA = os.path.join(ROOT, "tests", "data", "import")


def fixture(name):
    with open(os.path.join(IMPORT_DATA, name), "rb") as f:
        return f.read()


def small_score(measures, attributes="<divisions>2</divisions><key><fifths>-3</fifths>"
                "<mode>minor</mode></key><time><beats>4</beats><beat-type>4</beat-type></time>"):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<score-partwise version="4.0">'
            "<work><work-title>t</work-title></work><part-list><score-part id=\"P1\">"
            "<part-name>Voice</part-name></score-part></part-list><part id=\"P1\">"
            '<measure number="1" implicit="yes"><attributes>' + attributes + "</attributes>"
            + measures + "</measure></part></score-partwise>\n")


def note(step, octave, duration, extra=""):
    return ("<note>%s<pitch><step>%s</step><octave>%d</octave></pitch>"
            "<duration>%d</duration><voice>1</voice></note>" % (extra, step, octave, duration))


def musicxml_inputs():
    t = "musicxml_reader_fuzz"
    write(t, "notation_program.musicxml", fixture("ms_song.musicxml"))
    write(t, "pickup_tie_lyric.musicxml", small_score(
        note("E", 5, 1, "<lyric><text>さ</text></lyric>") + "</measure><measure>"
        + note("A", 4, 8, '<tie type="start"/>') + "</measure><measure>"
        + note("A", 4, 4, '<tie type="stop"/>') + note("C", 5, 4, "<chord/>")))
    write(t, "triplet_harmony.musicxml", small_score(
        '<harmony><root><root-step>F</root-step><root-alter>1</root-alter></root>'
        "<kind>minor-seventh</kind><offset>1</offset></harmony>"
        + note("C", 5, 2) + note("D", 5, 2) + note("E", 5, 2) + "<backup><duration>6</duration></backup>"
        + note("G", 3, 6, "<staff>2</staff>"),
        "<divisions>3</divisions><time><beats>3+2</beats><beat-type>8</beat-type></time>"))
    write(t, "metre_change.musicxml", small_score(
        note("C", 4, 8) + '<direction><direction-type><metronome><beat-unit>half</beat-unit>'
        "<beat-unit-dot/><per-minute>40</per-minute></metronome></direction-type></direction>"
        "</measure><measure><attributes><divisions>4</divisions><time><beats>7</beats>"
        "<beat-type>8</beat-type></time></attributes>" + note("D", 4, 14)))
    write(t, "broken.musicxml", "<score-partwise>\n<part id='P1'><measure>\n<note></measure>")
    write(t, "timewise.musicxml", "<score-timewise><part-list/></score-timewise>")


def mxl_inputs():
    import io
    import zipfile
    t = "mxl_reader_fuzz"
    write(t, "notation_program.mxl", fixture("ms_song.mxl"))
    container = ('<?xml version="1.0"?><container><rootfiles><rootfile full-path="%s" '
                 'media-type="application/vnd.recordare.musicxml+xml"/></rootfiles></container>')

    def archive(entries, method=zipfile.ZIP_DEFLATED):
        out = io.BytesIO()
        with zipfile.ZipFile(out, "w", method) as z:
            for name, data in entries:
                z.writestr(zipfile.ZipInfo(name, (2024, 1, 1, 0, 0, 0)), data, method)
        return out.getvalue()

    score = small_score(note("G", 4, 4) + note("A", 4, 4))
    write(t, "deflated.mxl", archive([("META-INF/container.xml", container % "s.xml"),
                                      ("s.xml", score)]))
    write(t, "stored_folder.mxl", archive([("META-INF/container.xml", container % "in/s.xml"),
                                           ("in/s.xml", score)], zipfile.ZIP_STORED))
    write(t, "no_container.mxl", archive([("s.xml", score)]))
    write(t, "dense.mxl", archive([("META-INF/container.xml", container % "s.xml"),
                                   ("s.xml", score + " " * 200000)]))


def midi_import_inputs():
    t = "midi_import_fuzz"
    write(t, "abc2midi_chords.mid", fixture("abc_waltz_chords.mid"))
    write(t, "abc2midi_jig.mid", fixture("abc_jig_6-8.mid"))
    write(t, "notation_program.mid", fixture("ms_song.mid"))
    words = (meta(0, 0x01, b"@KMIDI KARAOKE FILE") + meta(0, 0x01, "/さ".encode("cp932"))
             + meta(480, 0x05, b"ku") + meta(0, 0x59, b"\xfd\x01"))
    notes = b""
    for i, pitch in enumerate([69, 71, 72, 76, 60, 67, 64]):
        notes += vlq(0 if i else 0) + bytes([0x90 | (i % 3), pitch, 90])
        notes += vlq(160 + i * 7) + bytes([0x80 | (i % 3), pitch, 0])
    drums = vlq(0) + bytes([0x99, 36, 100]) + vlq(240) + bytes([0x89, 36, 0])
    write(t, "karaoke_channels.mid", header(1, 3, 480) + chunk(words)
          + chunk(meta(0, 0x03, b"Melody") + notes) + chunk(drums))
    write(t, "format0_cut.mid", (header(0, 1, 96) + chunk(notes))[:-5])


# --- Font-match cache, practice.ini, zoom.ini ---------------------------------

def font_match_cache_inputs():
    t = "font_match_cache_fuzz"
    # Odd first byte: an edit of the valid cache at the offset in bytes 1-2.
    write(t, "valid_as_is.bin", b"\x01\x00\x00")
    write(t, "other_pattern.bin", b"\x01\x15\x00serif\n")
    write(t, "bad_index.bin", b"\x01\x00\x00kumoito-font-match 1\nsans-serif:lang=ja\n/x\nx1\n")
    write(t, "cut_short.bin", b"\x03\x30\x00")
    # Even first byte: the cache as it stands.
    write(t, "foreign.bin", b"\x00kumoito-font-match 1\nsans-serif:lang=ja\n/dev/zero\n0\n")
    write(t, "empty.bin", b"")


def practice_file_inputs():
    t = "practice_file_fuzz"
    write(t, "defaults.ini", "speed=100\nloop=0\nloop_first=1\nloop_last=1\ncount_in=0\n")
    write(t, "loop.ini", "speed=75\r\nloop=1\r\nloop_first=3\r\nloop_last=9\r\ncount_in=1\r\n")
    write(t, "out_of_range.ini", "speed=999\nloop_first=-4\nloop_last=0\nspeed=-2147483648\n")
    write(t, "odd_lines.ini", "speed\n=5\nspeed=7 \nloop=01\nunknown=1\n")
    write(t, "empty.ini", "")


def preferences_file_inputs():
    t = "preferences_file_fuzz"
    write(t, "defaults.ini", "measure_numbers=1\nlanguage=system\nsound_font=\nvolume=100\n"
          "count_in_level=100\n")
    write(t, "chosen.ini", "measure_numbers=0\r\nlanguage=en\r\n"
          "sound_font=/usr/share/sounds/sf2/FluidR3_GM.sf2\r\nvolume=150\r\ncount_in_level=0\r\n")
    write(t, "out_of_range.ini", "volume=-2147483648\ncount_in_level=999\nlanguage=xx\n")
    write(t, "bad_font.ini", "sound_font=relative.sf2\nsound_font=/a\tb.sf2\nsound_font=/a=b.sf2\n")
    write(t, "odd_lines.ini", "volume\n=5\nvolume=7 \nmeasure_numbers=01\nunknown=1\n")
    write(t, "kuchijamisen.ini", "kuchijamisen=1\nprint_kuchijamisen=0\n")
    write(t, "midi_input.ini", "midi_input=off\nmidi_input=Keys:Port 1\nmidi_input=a\tb\n")
    write(t, "empty.ini", "")


def extension(chunks, version=1):
    body = b"".join(tag + struct.pack("<I", len(data)) + data for tag, data in chunks)
    block = b"KMEX" + struct.pack("<HHI", version, 0, len(body)) + body
    return block + struct.pack("<I", zlib.crc32(block))


def score_extension_inputs():
    t = "score_extension_fuzz"
    notes = b"".join(struct.pack("<HBBBBBB", cell, 0, technique, finger, string, a, b)
                     for cell, technique, finger, string, a, b in
                     [(0, 1, 0, 0, 255, 255), (2, 2, 1, 0, 255, 255), (4, 5, 0, 2, 72, 255),
                      (6, 7, 3, 3, 55, 79)])
    measures = struct.pack("<HBBBB", 0, 1, 0, 0, 0) + struct.pack("<HBBBB", 1, 6, 3, 1, 0)
    write(t, "every_chunk.bin", extension([(b"TUNE", bytes([1, 7, 9])), (b"STYL", b"\x02"),
                                           (b"NOTE", notes), (b"MEAS", measures),
                                           (b"ZZZZ", b"later")]))
    syllables = (struct.pack("<HBB", 0, 0, 4) + "チリ".encode("cp932") +
                 struct.pack("<HBB", 2, 0, 0) + struct.pack("<HBB", 4, 1, 9) + b"too long!" +
                 struct.pack("<HBB", 6, 0, 2) + b"\x83")
    write(t, "syllables.bin", extension([(b"NOTE", notes), (b"KUCH", syllables)]))
    write(t, "tuning_only.bin", extension([(b"TUNE", bytes([0, 0, 0]))]))
    write(t, "empty.bin", extension([]))
    write(t, "version2.bin", extension([(b"TUNE", bytes([0, 0, 0]))], version=2))
    write(t, "bad_crc.bin", extension([(b"NOTE", notes)])[:-1] + b"\0")


def zoom_file_inputs():
    t = "zoom_file_fuzz"
    write(t, "150.ini", "percent=150\n")
    write(t, "200_crlf.ini", "percent=200\r\n")
    write(t, "unlisted.ini", "percent=175\n")
    write(t, "twice.ini", "percent=125\npercent=abc\n")
    write(t, "empty.ini", "")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    smf_inputs()
    score_inputs(sys.argv[1])
    song_source_inputs()
    settings_inputs()
    recovery_inputs()
    command_line_inputs()
    sjis_inputs()
    musicxml_inputs()
    mxl_inputs()
    midi_import_inputs()
    font_match_cache_inputs()
    practice_file_inputs()
    preferences_file_inputs()
    zoom_file_inputs()
    score_extension_inputs()


if __name__ == "__main__":
    main()
