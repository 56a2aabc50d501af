% Jingle Bells (The One Horse Open Sleigh), words and melody by James Lord Pierpont
% (1822-1893), 1857.
% Found at: https://github.com/Musikpiraten/public-domain-season-songs/blob/7d9820d99327ea7508d21d13a6c619657173a170/jingle_bells.ly
% (repository Musikpiraten/public-domain-season-songs, whose README offers its songs as
% public-domain songs; the song itself is public domain). In 2/4 and eighth notes; the
% verse comes first and the library's song is the refrain. Copied as found, without the
% later verses printed as text after the score.
\version "2.12.3"

\include "default.ly"

\header {
  title="Jingle Bells"
  subtitle = "Or the one horse open sleigh"
  composer="Text und Melodie: James Lord Pierpont (1850)"
%  poet="Text: James Lord Pierpont (1850)"
  tagline = ""
}

Melodie=\relative c' {
        d8 b' a g      | % 1
        d4. d16 d      | % 2
        d8 b' a g      | % 3
        e2      | % 4
        e8 c' b a      | % 5
        fis2      | % 6
        d'8 d c a      | % 7
        b2      | % 8
        d,8 b' a g      | % 9
        d2      | % 10
        d8 b' a g      | % 11
        e4. e8      | % 12
        e c' b a      | % 13
        d d d d      | % 14
        e d c a      | % 15
        g4 r      | % 16
        b8 b b4      | % 17
        b8 b b4      | % 18
        b8 d g,8. a16      | % 19
        b2      | % 20
        c8 c c8. c16      | % 21
        c8 b b b16 b      | % 22
        b8 a a b      | % 23
        a4( d)      | % 24
        b8 b b4      | % 25
        b8 b b4      | % 26
        b8 d g,8. a16      | % 27
        b2      | % 28
        c8  c c8. c16      | % 29
        c8 b b b16 b      | % 30
        d8 d c a      | % 31
        g2
}


Akkorde= \chordmode {
        \set chordChanges = ##t
        g8 g g g g4. g16 g g8 g g g c2 %sleigh
        a8:m a:m a:m a:m d2:7 d8:7 d:7 d:7 d:7 g2 %way
        g8 g g g g2 g8 g g g c4. %bright
        e8:7/b a8:m a:m a:m a:m g g g g a:m a:m d:7 d:7 g4 s %night
        g8 g g4 g8 g g4 g8 g c8. c16 g2 %way
        a8:m a:m d8.:7 d16:7 g8 g e:m e16:m e:m a8:7 a:7 a:7 a:7 a4:m7 d:7 %sleigh
        g8 g g4 g8 g g4 g8 g c8. c16 g2 %way
        c8 c c8. c16 g8 g g g16 g a8:m a:m d:7 d:7 g2 %sleigh
}

Text=\lyricmode {
        \set stanza = " 1. "
        Dash -- ing  through the snow, in a one horse op -- en  sleigh,
        o’er the fields we go, laugh -- ing  all the way;
        Bells on bob -- tail  ring, mak -- ing  spir -- its  bright.
        What fun it is to laugh and sing a sleigh -- ing  song to -- night.
        Jin -- gle  bells, jin -- gle  bells, Jin -- gle  all the way;
        oh what fun it is to ride in a one horse op -- en  sleigh.
        Jin -- gle  bells, jin -- gle  bells, Jin -- gle  all the way,
        oh what fun it is to ride in a one horse op -- en  sleigh.
}


\score{
  <<
    \new ChordNames {\Akkorde}
    \new Voice = "Melodie" {
      \autoBeamOff
      \clef treble
      \key g \major
      \time 2/4
      \Melodie \bar "|."
    }
    \new Lyrics = Strophe \lyricsto Melodie \Text
  >>
%  \midi{}
}
