% Frère Jacques, traditional French round (18th century).
% Found at: https://wiki.kidzsearch.com/wiki/Frère_Jacques (the score on that page, a
% copy of the Simple English Wikipedia article; its text is under CC BY-SA; the tune is
% traditional, public domain). In D. Copied as found: the LilyPond inside the page's
% <score> tag, without the tag itself.
\relative c' { \key d \major
d4 e4 fis4 d4 | d4 e4 fis4 d4 |fis4 g4 a2 |fis4 g4 a2 a8. b16 a8 g8 fis4 d4 | a'8. b16 a8 g8 fis4 d4 | d4 a4 d2 | d4 a4 d2 \bar "|."
} \addlyrics {
Frè -- re Jac -- ques, | Frè -- re Jac -- ques, | dor -- mez -- vous? | Dor -- mez -- vous? Son -- nez les ma -- ti -- nes, | Son -- nez les ma -- ti -- nes, | ding ding dong, | ding ding dong!
}
