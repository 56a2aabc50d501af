% 故郷 (ふるさと), melody by 岡野貞一 (1878-1941), words by 高野辰之 (1876-1947).
% Found at: https://ja.wikisource.org/wiki/故郷_(童謡) (the score on that page).
% The page marks the work as public domain (author died 1947; published before 1929);
% Wikisource's own text is under CC BY-SA. Copied as found; nothing trimmed.
{
\set Staff.midiInstrument = #"piano" \key g \major \time 3/4 \tempo 4=80 \relative g' {
 g\mf\< g g | a4. b8 a4 \breathe | b b c | d2\! r4 | 
 c\> d e | b4. c8 b4 \breathe | a a fis | g2\! r4 | 
 a8^\p g a4 d, | g8 a b4 b \breathe | c8\< b c4.( e8\!\>) | d c b4\! r | 
 d\mf\> d d | g,4. a8 b4 \breathe | c c a | g2\! r4 \bar "|."
 }
\addlyrics {
 \set stanza = "一"
 ウ サ ギ オ ヒ シ カ ノ ヤ マ コ ブ ナ ツ リ シ カ ノ カ ハ
 ユ ー メ ハ イ ー マ モ メ ー グ -- リ ー テ ワ ス レ ガ タ キ フ ル サ ト
 }
\addlyrics {
 \set stanza = "二"
 い か に い ま す ち ち は は つ つ が な し や と も が き
 あ ー め に か ー ぜ に つ ー け -- て ー も お も ひ い づ る ふ る さ と
 }
\addlyrics {
 \set stanza = "三"
 コ コ ロ ザ シ ヲ ハ タ シ テ イ ツ ノ ヒ ニ カ カ ヘ ラ ン
 ヤ ー マ ハ ア ー ヲ キ フ ー ル -- サ ー ト ミ ヅ ハ キ ヨ キ フ ル サ ト
 }
}
