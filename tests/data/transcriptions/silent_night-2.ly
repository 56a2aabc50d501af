% Stille Nacht (Silent Night), melody by Franz Xaver Gruber (1787-1863), 1818.
% Found at: https://github.com/sietse/kerstzingcie/blob/0d612d243cf1e80cfb320b317d03ef7e0d9b3ab0/stille_nacht.ly
% (repository sietse/kerstzingcie, a choir's carol book, which states no licence; the
% melody is public domain). The melody is the soprano line of a four-part setting
% (arranged by Jo Ivens), in B flat and 6/8. Copied as found, keeping the header, the
% soprano and its first verse; the alto, tenor, bass, dynamics and layout are left out.
\header {
  title = "Stille  Nacht"
  composer = "Franz Gruber (1787-1863)"
  arranger = "Arr. Jo Ivens"
  tagline =  \markup { \center-column {
    "Versie 2011-09-07"
    "Collegium Musicum Kerstzingcie 2011"
  } }
}
\version "2.12.3"
% #(set-default-paper-size "letter")

soprano = { 
  \time 6/8 
  \key bes \major 
  f'8.( g'16) f'8 d'4. |
  f'8. g'16 f'8 d'4. |
  c''4 c''8 a'4. |
  bes'4 bes'8 f'4. | \break

  % Abuse phrasing slur: it doesn't affect lyrics
  \phrasingSlurDashed
  g'4 g'8 bes'8.\( a'16\) g'8 |
  f'8. g'16 f'8 d'4. |
  g'4 g'8 bes'8. a'16 g'8 |
  f'8. g'16 f'8 d'4. |

  c''4 c''8 ees''8. c''16 a'8 |
  bes'4.( d''4.) |
  bes'8.( f'16) d'8 f'8. ees'16 c'8 |
  bes2. |
  \bar "|."
}

verseOne = \lyricmode {
  Stil -- le Nacht,
  Hei -- li -- ge Nacht.
  Al -- les schläft,
  ein -- sam 
    \once \override LyricText #'self-alignment-X = #-1
    wacht
  nur das trau -- te hoch --
  hei -- li -- ge Paar,
  hol -- der Kna -- be im 
  lok -- ki -- gen 
    \once \override LyricText #'self-alignment-X = #-1
    Haar, __
  schlaf in himm -- li -- scher 
  Ruh, __
  schlaf __ in himm -- li -- scher
  Ruh.
}

\score {
  \new ChoirStaff <<
    \new Staff <<
      \new Voice = "vSoprano" { \soprano }
      \new Lyrics \lyricsto "vSoprano" { \verseOne }
    >>
  >>
}
