% London Bridge, traditional singing game, as printed in the book "Singing games"
% (proofread page 100 of its scan on English Wikisource).
% Found at: http://en.m.wikisource.org/wiki/Page:Singing_games.djvu/14
% Wikisource's own text is under CC BY-SA; the tune is traditional, public domain.
% The page's score and its words copied as found; the game's description around them
% left out. In F and in 2/4 eighths, where ours is in C and in quarters.
\relative c'' { \key d \minor \numericTimeSignature\time 2/4{\autoBeamOff

c8. d16 c8 bes8 |a8 bes8 c4 | g8 a8 bes4 | a8 bes8 c4| \break c8. d16 c8 bes8 |a8 bes8 c4 | g4 a8. g16| g8 f4 r8 | \bar "||"

} }
\addlyrics { Lon -- don Bridge is | fall -- ing down. | Fall -- ing down, | fall -- ing down; | Lon -- don Bridge is | fall -- ing down, | So fares my | la -- dy. }
