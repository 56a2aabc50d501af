% 早春賦, melody by 中田章 (1886-1931), words by 吉丸一昌 (1873-1916); 新作唱歌, 1913.
% Found at: https://ja.wikisource.org/wiki/早春賦 (the score on that page).
% The page marks the work as public domain (its author died in 1931); Wikisource's own
% text is under CC BY-SA. The score copied as found, with the three verses under it;
% nothing trimmed.
{
\set Staff.midiInstrument = #"piano" 
 \relative c' {
    \clef "treble" \key f \major \time 6/8 \tempo 8=116 \partial 8*1 c8 | % 2
    f4 a8 c4 f8 | % 3
    f4. d4 d8 | % 4
    c4 a8 bes8 [ g8 c8 ] | % 5
    a4. ( a4 ) c,8 \break | % 6
    f4 a8 c4 f8 | % 7
    f4. d4 d8 | % 8
    c4 a8 c8 [ bes8 g8 ] | % 9
    f4. ( f4 ) c8 \break | % 10
    g'4 c,8 a'4 c,8 | % 11
    bes'4 a8 g4 g8 | % 12
    g4 a8 bes8 [ g8 d'8 ] | % 13
    c4. ( a4 ) c,8 \break | % 14
    f4 a8 c4 f8 | % 15
    f4. d4 d8 | % 16
    c8 [ a8 f8 ] c8 [ g'8 a8 ] | % 17
    f4. ( f4 ) \bar "|."
    }
\addlyrics { \set stanza = "1."
は る は な の み の か ぜ の さ む さ や
た に の う ぐ い す う た は お も え ど
と き に あ ら ず ー と こ え も た ー て ず
と き に あ ら ず と こ え ー も た ー て ず
 }
\addlyrics { \set stanza = "2."
こ お り と け さ り あ し は つ の ぐ む
さ て は と き ぞ と お も う あ や に く
きょ う も き の う ー も ゆ き の そ ー ー ら
きょ う も き の う も ゆ き ー の そ ー ー ら
 }
\addlyrics { \set stanza = "3."
は る と き か ね ば し ら で あ り し を
き け ば せ か る る む ね の お も い を
い か に せ よ と ー の こ の ー ご ー ろ か 
い か に せ よ と の こ の ー ー ご ー ろ か ー
 }
}
\midi {
\tempo 8=116
}
