% Amazing Grace: the tune New Britain (American folk hymn, 1829, as in William Walker's
% Southern Harmony, 1835), words by John Newton (1725-1807), 1779.
% Found at: https://github.com/dhoangtu/thanhcalilypond/blob/25a375abdc842d447bd1588de99b8f4cc29317b0/english-unison/amazing-grace.ly
% (repository dhoangtu/thanhcalilypond; the file's header says "License CC0 1.0" and
% names its source, https://musicasacra.com/music/english-hymns-in-the-commons/).
% In F, where ours is in G. Copied as found, without verses 2 to 6.
\version "2.18.2"

\header {
  title = "Amazing Grace"
  composer = "W.Walker, John Newton"
  tagline = ##f
  source="https://musicasacra.com/music/english-hymns-in-the-commons/"
  license="thanhcalilypond.net - License CC0 1.0"
}

global= {
  \key f \major
  \time 3/4
  \override Score.BarNumber.break-visibility = ##(#f #f #f)
  \override Lyrics.LyricSpace.minimum-distance = #3.0
}

\paper {
  #(set-paper-size "a5")
  top-margin = 10\mm
  bottom-margin = 5\mm
  left-margin = 10\mm
  right-margin = 10\mm
  indent = #0
  #(define fonts
	 (make-pango-font-tree "Liberation Serif"
	 	 	       "Liberation Serif"
			       "Liberation Serif"
			       (/ 20 20)))
}

printItalic = \with {
  \override LyricText.font-shape = #'italic
}

% Verse music
musicVerseSoprano = \relative c' {
                    \partial 4 c4 |
  f2 a8 (f) |
  a2 g4 |
  f2 d4 |
  c2 c4 |
  f2 a8 (f) |
  a2 g8 (a) |
  c2. ( |
  c2) a4 |
  c4. (a8) c8 (a) |
  f2 c4 |
  d4. (f8) f (d) |
  c2 c4 |
  f2 a8 (f) |
  a2 g4 |
  f2. ( |
                    f2) \bar "|."
}

% Verse lyrics
verseOne = \lyricmode {
  \set stanza = #"1."
  A -- maz -- ing grace! How sweet the sound that saved a wretch like me!
  I once was lost, but now am found;
  Was blind, but now I see.
  
}

% Layout
\score {
    \new ChoirStaff <<
      \new Staff <<
        \clef "treble"
        \new Voice = "sopranos" { \global \stemUp \slurUp \musicVerseSoprano }
      >>
      \new Lyrics \lyricsto sopranos \verseOne
    >>
}
