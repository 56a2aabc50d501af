\version "2.24.0"
\header { title = "Two Verses" }
melody = \relative c' { \time 4/4 \key c \major c4 c g' g | a a g2 | f4 f e e | d d c2 | }
\score {
  <<
    \new Voice = "tune" { \melody }
    \new Lyrics \lyricsto "tune" { Twin -- kle twin -- kle lit -- tle star, how I won -- der what you are. }
    \new Lyrics \lyricsto "tune" { Up a -- bove the world so high, like a dia -- mond in the sky. }
  >>
  \layout { }
  \midi { \tempo 4 = 100 }
}
