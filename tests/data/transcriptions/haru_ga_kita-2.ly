% 春が来た, melody by 岡野貞一 (1878-1941), words by 高野辰之 (1876-1947); 尋常小学読本唱歌, 1910.
% Found at: https://ja.wikipedia.org/wiki/春が来た (the score at the head of the article,
% read from its mobile page, ja.m.wikipedia.org). Wikipedia's text is under CC BY-SA;
% the song is in the public domain (both authors died by 1947). The score copied as
% found, first verse only as there; nothing trimmed.
 \relative c'' {
  \new PianoStaff <<
   \new Staff { \key c \major \tempo 4 = 120
   \new Voice {
   g4 e8 f g4 a | g e8 f g4 c | a g e4. c8 | d2. r4 | \break
   g4 a8 g e4 g | c d8 c a4 c | g e' d4. g,8 | c2. r4 \bar "|."
   }
   \addlyrics {
   は る が き た は る が き た ど こ に き た
   や ま に き た さ と に き た の に も き た
   }
   }
  >>
 }
