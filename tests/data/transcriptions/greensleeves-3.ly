% Greensleeves, traditional English tune (16th century).
% Found at: https://github.com/rwmpelstilzchen/ukulele/blob/6ca552b8c2714ff57d2d0d4653028fceee8d15f5/muzikaĵoj/greensleeves/greensleeves.ly
% (repository rwmpelstilzchen/ukulele, a ukulele songbook; the tune is traditional,
% public domain). In G dorian and 6/8, where ours is in A minor and 3/4 with every
% value doubled; each note is written as a one-note chord with its ukulele string. The
% melody is the variable melodio. Copied as found; nothing trimmed (the two files it
% includes hold only titles and layout).
\include "../ĉiea.ly"

\header {
  titolo-xx     = "Greensleeves"
  titolo-he     = "שרוולים ירוקים"
  titolo-eo     = "Verdaj manikoj"
  komponisto-xx = ""
  komponisto-he = ""
  komponisto-eo = ""
  ikono         = "👕"
}

\include "../titolo.ly"

melodio = {
  \key g \dorian
  \time 6/8
  \partial 8 { <g\4>8 | }
  <bes\2>4 <c'\1>8 <d'\1>8. <e'\1>16 <d'\1>8 |
  <c'\1>4 <a\1>8 <f\2>8. <g\4>16 <a\1>8 |
  <bes\1>4 <g\4>8 <g\4>8. <fis\2>16 <g\4>8 |
  <a\1>4 <fis\2>8 <d\3>4 <g\4>8 | \break
  <bes\2>4 <c'\1>8 <d'\1>8. <e'\1>16 <d'\1>8 |
  <c'\1>4 <a\1>8 <f\2>8. <g\4>16 <a\1>8 |
  <bes\1>8. <a\1>16 <g\4>8 <fis\2>8. <e\3>16 <fis\2>8 |
  <g\4>2. |
  \bar "||" \break
  <f'\1>4. <f'\1>8. <e'\1>16 <d'\1>8 |
  <c'\1>4 <a\1>8 <f\2>8. <g\4>16 <a\1>8 |
  <bes\1>4 <g\4>8 <g\4>8. <fis\2>16 <g\4>8 |
  <a\1>4 <fis\2>8 <d\3>4. |
  <f'\1>4. <f'\1>8. <e'\1>16 <d'\1>8 |
  <c'\1>4 <a\1>8 <f\2>8. <g\4>16 <a\1>8 |
  <bes\1>8. <a\1>16 <g\4>8 <fis\2>8. <e\3>16 <fis\2>8 |
  <g\4>2. |
  \bar "|."
}

\include "../muziko.ly"
