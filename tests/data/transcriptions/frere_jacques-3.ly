% Frère Jacques, traditional French round (18th century).
% Found at: https://github.com/bencebeky/sheetmusic/blob/05b33a813cd50d4708a3d1ffae911f4d54cd95da/frerejacques.ly
% (repository bencebeky/sheetmusic, a collection of LilyPond lead sheets, which states
% no licence in this file; the tune is traditional, public domain). In C, absolute
% pitches moved up two octaves by \transpose. Copied as found; nothing trimmed.
\new Staff { 
  \clef G
  \time 4/4
  \transpose c c''
  \new Voice {
    c4 d e c | c4 d e c | e4 f g2 | e4 f g2 | g8 a g f e4 c | g8 a g f e4 c | c4 g, c2 | c4 g, c2
  }
  \addlyrics {
    Frè -- re Jac -- ques, Frè -- re Jac -- ques, dor -- mez vous? Dor -- mez vous?
    Son -- nez les ma -- ti -- nes, son -- nez les ma -- ti -- nes!
    Din, dan, don, din, dan, don.
  }
}
\header {
  title = "Frère Jacques"
  composer = ""
}

