% Mary Had a Little Lamb: words by Sarah Josepha Hale (1788-1879), 1830; the tune as
% commonly sung. Public domain.
% Found at: https://github.com/Ebsation/sheet-music/blob/fd1587400406377262f23dfc51aeca032778bf5e/maryhadalittlelamb.ly
% (repository Ebsation/sheet-music, which states no licence in this file; its header
% still has LilyPond's placeholder title and composer). The whole tune in quarters, a
% quarter rest after each "lamb" of the first half, no bar lines. Copied as found;
% nothing trimmed.
\header {
  title = "Untitled"
  composer = "Composer"
}

\score {
  \relative c' {
    e4 d4 c4 d4 e4 e4 e4 r d4 d4 d4 r e4 g4 g4 r e4 d4 c4 d4 e4 e4 e4 e4 d4 d4 e4 d4 c4
  }

  \layout {}
  \midi {}
}
