% 茶摘, 文部省唱歌 (尋常小学唱歌 第三学年用, 1912); composer and author not named.
% Found at: https://github.com/kalz2q/gakufu/blob/8a141f0f7e620c0a77b778ce9dfd38eaa02c2dc7/chatsumi.ly
% (repository kalz2q/gakufu, file chatsumi.ly; MIT License, Copyright (c) 2020 kalz2q).
% The song is in the public domain (published 1912). Copied as found; nothing trimmed.
\version "2.18.2"

% 茶摘(ちゃつみ。なつもちかづくはちじゅうはちや)

\score {

\layout {
line-width = #170
indent = 0\mm
}

\relative c' {
\key c \major
\time 4/4
\set Score.tempoHideNote = ##t
\tempo 4=120
\numericTimeSignature

r c f g |
a4. a8 a4 a |
c4. c8 c4 a |
g f g r |
\break
r a a c |
a4. a8 a4 g |
a4. a8 g4 f |
d d c r |
\break
r c f g |
a4. a8 a4 a |
c4. c8 c4 a |
g f g r |
\break
r c c a |
g4. g8 f4 d |
c f g4. a8 |
f2. r4 |


\bar "|."
}

\midi {}

}
