#!/bin/sh
# Renders the corpus MIDI files from sources/ (run from this folder). Made
# once on Debian 12 with abcmidi 4.84, LilyPond 2.24.1 and MuseScore 3.2.3;
# the files are committed, so neither tests nor the build run this.
set -e
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# LilyPond 2.24 refuses "\version "2.19"" (an unstable series without its
# third number): the copy it reads says 2.19.0, and convert-ly brings it (and
# the older sources) up to the syntax of 2.24.
ly() {
  sed 's/\\version "\([0-9]*\.[0-9]*\)"/\\version "\1.0"/' "sources/$1.ly" >"$tmp/$1.ly"
  convert-ly -e "$tmp/$1.ly" >/dev/null 2>&1 || true  # non-zero when nothing needed converting
  (cd "$tmp" && lilypond -s -dno-print-pages -o "$1" "$1.ly")
  mv "$tmp/$1.midi" "$2"
}
# abc2midi: one tune of a collection, by its X: number.
abc() {
  abc2midi "sources/$1" "$2" -o "$3" >/dev/null
}
# MuseScore reads a MIDI file and writes its own.
ms() {
  QT_QPA_PLATFORM=offscreen mscore3 -o "$2" "$1" >/dev/null 2>&1
}
ly JPM001-GonbeGaTanemaku ly_gonbe_2-4.mid
ly JPM037-Sakura-Miyotote ly_sakura_pickup.mid
ly JPM096-Echigo-Jishi-hiragana ly_echigo_two_lyric_lines.mid
abc airds_airs_book1.abc 3 abc_lads_of_the_village.mid
abc airds_airs_book1.abc 4 abc_touzle_6-8_pickup.mid
abc airds_airs_book1.abc 9 abc_moon_and_seven_stars.mid
abc airds_airs_book1.abc 14 abc_irish_hautboy.mid
abc airds_airs_book1.abc 21 abc_campbells_trill.mid
abc airds_airs_book1.abc 30 abc_gentle_ann.mid
abc airds_airs_book1.abc 52 abc_black_dance_triplet.mid
ly thehollyandtheivy ly_holly_and_ivy_pickup.mid
# Karaoke files: LilyPond's lyric events rewritten as Soft Karaoke texts.
/usr/bin/python3 mk_kar.py ly_holly_and_ivy_pickup.mid kar_holly_and_ivy.kar "The Holly and the Ivy"
/usr/bin/python3 mk_kar.py ly_echigo_two_lyric_lines.mid kar_echigo_romaji.kar "Echigo Jishi"
# MuseScore 3 files: what it makes of a file it imports.
ms abc_touzle_6-8_pickup.mid ms_touzle_6-8.mid
ms abc_black_dance_triplet.mid ms_black_dance.mid
ms ly_sakura_pickup.mid ms_sakura.mid
ms ly_holly_and_ivy_pickup.mid ms_holly_and_ivy.mid
