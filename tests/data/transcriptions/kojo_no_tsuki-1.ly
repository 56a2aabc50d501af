% 荒城の月, melody by 滝廉太郎 (1879-1903), 1901, words by 土井晩翠 (1871-1952).
% Found at: https://ja.wikisource.org/wiki/荒城の月 (the score on that page, from
% 日本教育音楽協会編『青年学校音楽教科書 本科用』, 1936). Taki's own version: B minor,
% eighth notes, with the E sharp on え of はなのえん. The page marks the work as public
% domain (last author died 1952; published before 1929); Wikisource's own text is under
% CC BY-SA. Copied as found; nothing trimmed.
{ \key b \minor \relative c' { fis8\mf\< fis b cis d\! cis\> b4\! \breathe | g8 g fis eis fis4 r | fis8\< fis b cis d\! cis\> b4\! \breathe | g8 e fis8. fis16 b,4 r |
d8\< d cis b g'8.\! g16\> fis4\! \breathe | e8\< fis g8.\! g16\> fis4\! r | fis8\< fis b cis d\! cis\> b4\! \breathe | g8 e fis8. fis16 b,4 r \bar "|."}
 \addlyrics {
\set stanza = "一"
 ハ ル カ ウ ロ ウ ノ ハ ナ ノ エ ン メ グ ル サ カ ヅ キ カ ゲ サ シ テ
 チ ヨ ノ マ ツ ガ エ ワ ケ イ デ シ ム カ シ ノ ヒ カ リ イ マ イ ヅ コ
 }
 \addlyrics {
\set stanza = "二"
 あ き ぢ ん え い の し も の い ろ な き ゆ く か り の か ず み せ て
 う う る つ る ぎ に て り そ ひ し む か し の ひ か り い ま い づ こ
 }
 \addlyrics {
\set stanza = "三"
 イ マ クヮ ウ ジャ ウ ノ ヨ ハ ノ ツ キ カ ハ ラ ヌ ヒ カ リ タ ガ タ メ ゾ
 カ キ ニ ノ コ ル ハ タ ダ カ ツ ラ マ ツ ニ ウ タ フ ハ タ ダ ア ラ シ
 }
 \addlyrics {
\set stanza = "四"
 て ん じゃ う か げ は か は ら ね ど え い こ は う つ る よ の す が た
 う つ さ ん と て か い ま も な ほ あ あ くゎ う じゃ う の よ は の つ き
 }
}
\midi {
\tempo 8=80
}
