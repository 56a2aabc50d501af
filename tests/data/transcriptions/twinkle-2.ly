% Twinkle, Twinkle, Little Star: French melody (Ah! vous dirai-je, maman, 1761),
% words by Jane Taylor (1783-1824), 1806.
% Found at: https://github.com/yuuki7/nursery-rhymes/blob/65ad2c815c9def6fe7e5668ceba4d3c6d3feb81e/twinkle/twinkle.ly
% (repository yuuki7/nursery-rhymes, whose README points to
% https://wikinder.org/LilyPond-nursery-rhymes; it states no licence; the melody is
% public domain). Copied as found; nothing trimmed.
\version "2.24.4"

\header {
  title = "Twinkle, Twinkle, Little Star"
  tagline = ##f
}

\score {
  <<
    \chords {
      c,1 | f,2 c,2 | f,2 c,2 | g,2 c,2 |
      c,2 f,2 | c,2 g,2 | c,2 f,2 | c,2 g,2 |
      c,1 | f,2 c,2 | f,2 c,2 | g,2 c,2
    }

    \relative c' {
      \time 4/4
      c4 c4 g'4 g4 | a4 a4 g2 | f4 f4 e4 e4 | d4 d4 c2 | \break
      g'4 g4 f4 f4 | e4 e4 d2 | g4 g4 f4 f4 | e4 e4 d2 | \break
      c4 c4 g'4 g4 | a4 a4 g2 | f4 f4 e4 e4 | d4 d4 c2 \fine
    }
  >>

  \layout {
    indent = 0
  }

  \midi {
    \tempo 4 = 120
  }
}

\paper {
  page-breaking = #ly:one-page-breaking
}
