#!/usr/bin/env python3
"""Tests of scripts/compare-transcriptions, run by ctest.

The readers are checked by writing one small tune three ways (song source,
ABC, LilyPond), each using the notation's shortcuts, and asking for no
difference; the comparison is checked on altered copies of real library
songs, which must be reported at the altered measure.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import runpy
import textwrap
import types
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "compare-transcriptions")
SONGS = os.path.join(ROOT, "library", "songs")
TRANSCRIPTIONS = os.path.join(ROOT, "tests", "data", "transcriptions")

ct = types.SimpleNamespace(**runpy.run_path(SCRIPT, run_name="compare_transcriptions"))


def write(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write(textwrap.dedent(text).lstrip("\n"))
    return path


SONG_HEADER = """\
title: t
source: test
tempo: 100
region: 1
fame: 1
"""


class Folder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.songs = os.path.join(self.dir, "songs")
        os.mkdir(self.songs)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def song(self, name, beats, key, notes):
        return write(self.songs, name, SONG_HEADER + "beats: %d\nkey: %s\n" % (beats, key) + notes)

    def index(self, text):
        return write(self.dir, "index.txt", text)

    def run_script(self, *args):
        """Exit code and output of the script as ctest runs it."""
        result = subprocess.run([sys.executable, SCRIPT, "--songs", self.songs] + list(args),
                                capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr

    def compare(self, song_path, transcription_path, options="", accepts=""):
        index = self.index("song %s\n%s %s\n%s" % (os.path.basename(song_path),
                                                   os.path.basename(transcription_path),
                                                   options, accepts))
        check = ct.read_index(index)[os.path.basename(song_path)][0]
        melody = ct.read_transcription(transcription_path, check.options)
        return ct.compare(ct.Song(song_path), check, melody)


class ReadersAgreeOnOneTune(Folder):
    """A tune in G with a pick-up, a tie over the bar line, a dotted note, an
    accidental that lasts to the bar line and a repeat with two endings."""

    SONG = """\
    notes: | rh rq D4q | G4q. A4e B4q C5q | B4h A4q G4q~ | G4q F4q F4q C5q |
    notes: | G4q. A4e B4q C5q | B4h A4q G4q~ | G4q E4q D4h |
    notes: | D5q C5e B4e A4q F#4q | G4w |
    """

    ABC = """\
    X:1
    T:test tune
    M:4/4
    L:1/8
    K:G
    D2 |: G3A B2c2 | B4 A2G2- | [1 G2 =F2 F2 c2 :| [2 G2E2 D4 |
    w: these words are not notes
    "D7"d2 cB A2F2 | G8 |]
    """

    LILYPOND = """\
    \\version "2.18.2"
    melody = \\relative c' {
      \\key g \\major \\time 4/4 \\partial 4
      d4 | \\repeat volta 2 { g4. a8 b4 c | b2 a4 g ~ | }
      \\alternative { { g4 f f c' } { g4 e d2 } }
      d'4 c8 b a4 fis | g1 \\bar "|."
    }
    \\score { << \\chords { d4 g1 } \\new Staff \\melody >> \\layout { } }
    """

    def test_abc_shortcuts_read_as_written_out(self):
        song = self.song("tune.txt", 4, "G", self.SONG)
        abc = write(self.dir, "tune.abc", self.ABC)
        self.assertIsNone(self.compare(song, abc))

    def test_lilypond_shortcuts_read_as_written_out(self):
        song = self.song("tune.txt", 4, "G", self.SONG)
        ly = write(self.dir, "tune.ly", self.LILYPOND)
        self.assertIsNone(self.compare(song, ly))

    def test_key_does_not_matter_but_the_tune_does(self):
        # The same tune a fourth lower still matches; a slip of one note does not.
        song = self.song("tune.txt", 4, "G", self.SONG)
        lower = write(self.dir, "lower.abc", self.ABC.replace("K:G", "K:D")
                      .replace("D2 |:", "A,2 |:").replace("G3A B2c2", "D3E F2G2")
                      .replace("B4 A2G2-", "F4 E2D2-").replace("G2 =F2 F2 c2", "D2 =C2 C2 G2")
                      .replace("G2E2 D4", "D2B,2 A,4").replace('"D7"d2 cB A2F2', "A2 GF E2C2")
                      .replace("G8", "D8"))
        self.assertIsNone(self.compare(song, lower))
        slip = write(self.dir, "slip.abc", self.ABC.replace("G2E2 D4", "G2E2 C4"))
        difference = self.compare(song, slip)
        self.assertEqual(difference.measure, 7)
        # Note 2 of the measure: its first beat holds the G tied from before.
        self.assertIn("pitch of note 2: ours D4, transcription C4", difference.text[0])

    def test_eighth_note_transcription_matches_with_scale(self):
        # Our quarters against a transcription in eighths, as 荒城の月 is written.
        song = self.song("tune.txt", 4, "Am", "notes: | E4q E4 A4 B4 | C5q B4 A4h |\n")
        ly = write(self.dir, "half.ly", "\\relative c' { e8 e a b c b a4 }\n")
        self.assertEqual(self.compare(song, ly).measure, 1)
        self.assertIsNone(self.compare(song, ly, "scale=2"))

    def test_lilypond_english_names_bare_lengths_and_slurred_holds(self):
        # "4" alone repeats the last note; a slur between two notes of one
        # pitch holds it; \language english writes fs for F sharp.
        song = self.song("tune.txt", 4, "G", "notes: | D4q D4 F#4h~ | F#4h G4h |\n")
        ly = write(self.dir, "english.ly", """\
            \\language "english"
            melody = \\relative c' { d4 4 fs2( | fs2) g }
            """)
        self.assertIsNone(self.compare(song, ly))
        dutch = write(self.dir, "dutch.ly", "melody = \\relative c' { d4 4 fs2( | fs2) g }\n")
        self.assertIsNotNone(self.compare(song, dutch))  # fs is F flat in Dutch
        included = write(self.dir, "included.ly", '\\include "english.ly"\n'
                         "melody = \\relative c' { d4 4 fs2( | fs2) g }\n")
        self.assertIsNone(self.compare(song, included))

    def test_transposed_music_is_absolute_unless_it_has_a_relative_of_its_own(self):
        # An enclosing \relative does not reach into \transpose, as in LilyPond.
        song = self.song("tune.txt", 4, "C", "notes: | G4q. A4e G4q F4q | E4q F4q G4h |\n")
        absolute = write(self.dir, "absolute.ly",
                         "upper = \\relative c { \\transpose c c { g'4. a'8 g'4 f' | e' f' g'2 } }\n")
        self.assertIsNone(self.compare(song, absolute, "music=upper"))
        relative = write(self.dir, "relative.ly",
                         "upper = \\transpose c d \\relative c'' { g4. a8 g4 f | e f g2 }\n")
        self.assertIsNone(self.compare(song, relative, "music=upper"))
        # The same absolute notes read as relative ones leap by octaves.
        leaping = write(self.dir, "leaping.ly",
                        "upper = \\relative c { g'4. a'8 g'4 f' | e' f' g'2 }\n")
        self.assertEqual(self.compare(song, leaping, "music=upper").measure, 1)

    def test_refrain_after_a_verse_and_a_short_transcription(self):
        song = self.song("tune.txt", 4, "C", "notes: | G4q A4 B4 C5 | D5w |\n")
        abc = write(self.dir, "verse.abc", "X:1\nL:1/4\nK:C\nE D C D | E4 | G A B c | d4 |]\n")
        self.assertEqual(self.compare(song, abc).measure, 1)
        self.assertIsNone(self.compare(song, abc, "from=6"))
        self.assertIsNone(self.compare(song, abc, "from=6 notes=3"))
        wrong = write(self.dir, "wrong.abc", "X:1\nL:1/4\nK:C\nG A c c | d4 |]\n")
        self.assertEqual(self.compare(song, wrong, "notes=3").measure, 1)

    def test_broken_rhythm_tuplet_and_lengths(self):
        song = self.song("tune.txt", 2, "C", "notes: | C4q. D4e | E4e F4s G4s A4q |\n")
        abc = write(self.dir, "rhythm.abc", "X:1\nM:2/4\nL:1/4\nK:C\nC>D | E/ F/4G/4 A |]\n")
        self.assertIsNone(self.compare(song, abc))
        triplets = write(self.dir, "triplets.abc", "X:1\nM:2/4\nL:1/8\nK:C\n(3CDE F2 |]\n")
        song3 = self.song("three.txt", 2, "C", "notes: | C4q D4 |\n")
        self.assertEqual(self.compare(song3, triplets).measure, 1)


class PythonSongTables(Folder):
    """A song table of Python literals, read without running it: the tune of
    ReadersAgreeOnOneTune written out, behind a dict and a call that are not
    songs, with a second song that tune= picks."""

    TABLE = """\
    # A test table.
    # Found at: https://github.com/one/player/blob/0123/songs.py
    import re
    TPB = 480
    D4, E4, FS4, G4 = 62, 64, 66, 67
    A4, B4, C5, D5 = 69, 71, 72, 74
    F4 = 65
    Q, DQ, E8, H, DH, W = 480, 720, 240, 960, 1440, 1920
    BR = "/"
    _QUALITIES = {"": (0, 4, 7)}
    _CHORD_RE = re.compile("[A-G]")
    SONGS: dict[str, dict] = {
        "tune": {
            "time": (4, 4),
            "score": [
                DH, ("a", D4, Q),
                ("b", G4, DQ), ("c", A4, E8), ("d", B4, Q), ("e", C5, Q),
                ("f", B4, H), ("g", A4, Q), ("h", G4, H), BR,
                ("i", F4, Q), ("j", F4, Q), ("k", C5, Q),
                ("l", G4, DQ), ("m", A4, E8), ("n", B4, Q), ("o", C5, Q),
                ("p", B4, H), ("q", A4, Q), ("r", G4, H),
                ("s", E4, Q), ("t", D4, H),
                ("u", D5, Q), ("v", C5, E8), ("w", B4, E8), ("x", A4, Q), ("y", FS4, Q),
                ("z", G4, W),
            ],
        },
        "short": {"time": (3, 4), "score": [("a", G4, Q), None, ("b", A4, DH)]},
    }
    """

    def test_table_reads_as_the_tune(self):
        song = self.song("tune.txt", 4, "G", ReadersAgreeOnOneTune.SONG)
        table = write(self.dir, "songs.py", self.TABLE)
        self.assertIsNone(self.compare(song, table))
        self.assertEqual(ct.transcription_origin(table), "one/player")
        slip = write(self.dir, "slip.py", self.TABLE.replace('("s", E4, Q)', '("s", D4, Q)'))
        self.assertEqual(self.compare(song, slip).measure, 7)

    def test_none_rests_to_the_bar_line_and_tune_picks_the_song(self):
        song = self.song("short.txt", 3, "G", "notes: | G4q rh | A4h. |\n")
        table = write(self.dir, "songs.py", self.TABLE)
        self.assertIsNone(self.compare(song, table, "tune=short"))
        self.assertEqual(self.compare(song, table).measure, 1)  # the first song is "tune"
        with self.assertRaises(ct.ReadError):
            self.compare(song, table, "tune=missing")

    def test_what_is_not_a_plain_table_is_refused(self):
        song = self.song("short.txt", 3, "G", "notes: | G4q rh | A4h. |\n")
        short = '[("a", G4, Q), None'
        for old, wrong in (("TPB = 480\n", ""), (short, '[("a", G4, -1), None'),
                           (short, '[("a", "G4", Q), None'), (short, '[("a", G4, len(Q)), None'),
                           (short, '[("a", G5, Q), None'), ("(3, 4)", "(3, 0)")):
            bad = write(self.dir, "bad.py", self.TABLE.replace(old, wrong))
            with self.assertRaises(ct.ReadError, msg=wrong):
                self.compare(song, bad, "tune=short")


class AlteredLibrarySongsAreCaught(Folder):
    """Copies of real songs with a slip of the kind a musician found in them."""

    def altered(self, name, old, new):
        with open(os.path.join(SONGS, name), encoding="utf-8") as f:
            text = f.read()
        self.assertIn(old, text)
        write(self.songs, name, text.replace(old, new, 1))

    def index_for(self, name):
        lines = []
        keep = False
        with open(os.path.join(TRANSCRIPTIONS, "index.txt"), encoding="utf-8") as f:
            for line in f:
                if line.startswith("song "):
                    keep = line.split()[1] == name
                if keep:
                    lines.append(line)
        return self.index("".join(lines))

    def test_unaltered_copy_matches(self):
        shutil.copy(os.path.join(SONGS, "kojo_no_tsuki.txt"), self.songs)
        code, output = self.run_script("--index", self.index_for("kojo_no_tsuki.txt"),
                                       "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 0, output)

    def test_phrase_an_octave_high_is_reported_at_its_measure(self):
        # ちよのま starting an octave high: measure 9.
        self.altered("kojo_no_tsuki.txt", "C4q C4  B3  A3", "C5q C5  B4  A4")
        code, output = self.run_script("--index", self.index_for("kojo_no_tsuki.txt"),
                                       "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 1, output)
        self.assertIn("kojo_no_tsuki-1.ly: differs from measure 9", output)
        self.assertIn("pitch of note 1: ours C5, transcription C4 (1 octave lower)", output)

    def test_missing_turn_is_reported_as_missing_notes(self):
        # 故郷 phrase 3 without its eighth-note turn: measure 9.
        self.altered("furusato.txt", "G4e F4 G4q C4", "G4q G4 C4   ")
        code, output = self.run_script("--index", self.index_for("furusato.txt"),
                                       "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 1, output)
        self.assertIn("furusato-1.ly: differs from measure 9", output)
        self.assertIn("length of note 1 (G4): ours q, transcription e", output)
        self.assertIn("1 note of the transcription missing from ours", output)
        self.assertIn("furusato-2.ly: differs from measure 9", output)

    def test_wrong_length_is_reported(self):
        self.altered("furusato.txt", "| F4h     rq |\nchords: | Bb", "| F4h.       |\nchords: | Bb")
        code, output = self.run_script("--index", self.index_for("furusato.txt"),
                                       "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 1, output)
        self.assertIn("differs from measure 8", output)
        self.assertIn("length of note 1 (F4): ours h., transcription h", output)

    def test_accepted_variant_holds_only_where_it_is_written(self):
        # The accepted natural of はなのえん is measure 3 only; the same slip in
        # measure 1 is still a difference.
        self.altered("kojo_no_tsuki.txt", "E4q E4  A4  B4", "E4q E4  A4  A#4")
        code, output = self.run_script("--index", self.index_for("kojo_no_tsuki.txt"),
                                       "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 1, output)
        self.assertIn("kojo_no_tsuki-2.ly: differs from measure 1", output)


class IndexMistakes(Folder):
    def test_accept_without_a_reason_is_refused(self):
        shutil.copy(os.path.join(SONGS, "furusato.txt"), self.songs)
        index = self.index("song furusato.txt\nfurusato-1.ly\n  accept measure 4\n")
        code, output = self.run_script("--index", index, "--transcriptions", TRANSCRIPTIONS)
        self.assertEqual(code, 2, output)
        self.assertIn("needs ': reason'", output)

    def test_song_without_transcription_fails_when_all_are_required(self):
        shutil.copy(os.path.join(SONGS, "furusato.txt"), self.songs)
        shutil.copy(os.path.join(SONGS, "sakura.txt"), self.songs)
        index = self.index("song furusato.txt\nfurusato-1.ly\n")
        code, output = self.run_script("--index", index, "--transcriptions", TRANSCRIPTIONS,
                                       "--require-all")
        self.assertEqual(code, 1, output)
        self.assertIn("sakura.txt: no transcription is listed", output)
        # The weaker gate still wants one; furusato's one source is only listed.
        code, output = self.run_script("--index", index, "--transcriptions", TRANSCRIPTIONS,
                                       "--require-one")
        self.assertEqual(code, 1, output)
        self.assertIn("sakura.txt: no transcription is listed\n", output)
        self.assertIn("furusato.txt: 1 agreeing independent source", output)
        os.remove(os.path.join(self.songs, "sakura.txt"))
        code, output = self.run_script("--index", index, "--transcriptions", TRANSCRIPTIONS,
                                       "--require-one")
        self.assertEqual(code, 0, output)
        self.assertIn("two are required (not required)", output)


class TwoIndependentSourcesAreRequired(Folder):
    """--require-all wants two agreeing transcriptions found in different places,
    and both must bear out every measure where one of our notes starts."""

    TUNE = "X:1\nL:1/4\nK:C\nC D E F | G A B c | d4 |]\n"
    SLIP = "X:1\nL:1/4\nK:C\nC D E F | G A B B | d4 |]\n"

    def setUp(self):
        super().setUp()
        self.song("tune.txt", 4, "C", "notes: | C4q D4 E4 F4 | G4q A4 B4 C5 | D5w |\n")

    def transcription(self, name, url, body=None):
        found = "%% Found at: %s\n" % url if url else ""
        write(self.dir, name, "% A test tune.\n" + found + (body or self.TUNE))

    def check(self, entries):
        index = self.index("song tune.txt\n" + entries)
        return self.run_script("--index", index, "--require-all")

    def test_two_repositories_are_enough(self):
        self.transcription("a.abc", "https://github.com/one/songs/blob/0123/a.abc")
        self.transcription("b.abc", "https://www.example.org/hymns/b.html")
        code, output = self.check("a.abc\nb.abc\n")
        self.assertEqual(code, 0, output)

    def test_one_transcription_is_listed_on_one_line(self):
        self.transcription("a.abc", "https://github.com/one/songs/blob/0123/a.abc")
        code, output = self.check("a.abc\n")
        self.assertEqual(code, 1, output)
        self.assertIn("tune.txt: 1 agreeing independent source (one/songs), two are required\n",
                      output)
        # Without --require-all the shortfall is only told.
        code, output = self.run_script("--index", os.path.join(self.dir, "index.txt"))
        self.assertEqual(code, 0, output)
        self.assertIn("(not required)", output)

    def test_two_files_of_one_repository_count_once(self):
        self.transcription("a.abc", "https://github.com/one/songs/blob/0123/a.abc")
        self.transcription("b.abc", "https://github.com/One/Songs/blob/4567/other/b.abc")
        self.transcription("c.abc", "https://github.com/one/songs-too/blob/0123/c.abc")
        code, output = self.check("a.abc\nb.abc\n")
        self.assertEqual(code, 1, output)
        self.assertIn("1 agreeing independent source", output)
        code, output = self.check("a.abc\nc.abc\n")
        self.assertEqual(code, 0, output)

    def test_a_transcription_that_differs_or_says_no_origin_does_not_count(self):
        self.transcription("a.abc", "https://github.com/one/songs/blob/0123/a.abc")
        self.transcription("slip.abc", "https://github.com/two/songs/blob/0123/s.abc", self.SLIP)
        self.transcription("nowhere.abc", None)
        code, output = self.check("a.abc\nslip.abc\nnowhere.abc\n")
        self.assertEqual(code, 1, output)
        self.assertIn("slip.abc: differs from measure 2", output)
        self.assertIn("tune.txt: 1 agreeing independent source (one/songs), two are required; "
                      "nowhere.abc does not say where it was found", output)

    def test_a_measure_left_out_is_not_borne_out(self):
        self.transcription("a.abc", "https://github.com/one/songs/blob/0123/a.abc")
        self.transcription("slip.abc", "https://github.com/two/songs/blob/0123/s.abc", self.SLIP)
        code, output = self.check("a.abc\nslip.abc\n  accept measure 2: a variant\n")
        self.assertEqual(code, 1, output)
        self.assertIn("tune.txt: measure 2 borne out by one/songs only", output)
        # A short transcription bears out only the measures it reaches.
        code, output = self.check("a.abc\nslip.abc notes=4\n")
        self.assertEqual(code, 1, output)
        self.assertIn("tune.txt: measures 2-3 borne out by one/songs only", output)
        # A measure both leave out is borne out by nothing at all.
        code, output = self.check("a.abc notes=4\nslip.abc notes=4\n")
        self.assertEqual(code, 1, output)
        self.assertIn("tune.txt: measures 2-3 borne out by no source, two sources are required",
                      output)

    def test_library_transcriptions_say_where_they_were_found(self):
        for name in sorted(os.listdir(TRANSCRIPTIONS)):
            if name.endswith((".abc", ".ly", ".py")):
                self.assertIsNotNone(ct.transcription_origin(os.path.join(TRANSCRIPTIONS, name)),
                                     name)


if __name__ == "__main__":
    unittest.main()
