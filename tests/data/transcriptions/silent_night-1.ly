% Silent Night (Stille Nacht), melody by Franz Xaver Gruber (1787-1863), 1818.
% Found at: https://github.com/kalz2q/gakufu/blob/8a141f0f7e620c0a77b778ce9dfd38eaa02c2dc7/kiyoshi.ly
% (repository kalz2q/gakufu, file kiyoshi.ly; MIT License, Copyright (c) 2020 kalz2q).
% Public domain melody. In A major and 6/8, where ours is in C and 3/4 with every
% value doubled. Copied as found; nothing trimmed.
\version "2.18.2"

% 聖夜(きよしこのよる)
% \index{きよしこのよる@聖夜(きよしこのよる)}

\score {

\layout {
line-width = #170
indent = 0\mm
}

\relative c' {
\key a \major
\time 6/8
\set Score.tempoHideNote = ##t
\tempo 4=120
\numericTimeSignature

e8. fis16 e8 cis4. |
e8. fis16 e8 cis4. |
b'4 b8 gis4. |
a4 a8 e4. |
\break
fis4 fis8 a8. gis16 fis8 |
e8. fis16 e8 cis4. |
fis4 fis8 a8. gis16 fis8 |
e8. fis16 e8 cis4. |
\break
b'4 b8 d8. b16 gis8 |
a4. cis4. |
a8 e cis e8. d16 b8 |
a4.~ a4. |


\bar "|."
}

\midi {}

}
