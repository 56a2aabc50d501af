% さくらさくら, traditional Japanese melody (Edo period; printed 1888).
% Found at: https://aspenmesa.com/practice-simple-score ("Practice Simple Score", a
% LilyPond lesson that sets さくらさくら in A minor). The page states no licence of its
% own; the melody is traditional and in the public domain. The lesson's finished
% melody, key and score blocks are copied as the page shows them (the melody is written
% in two-measure \relative blocks).
\version "2.24.4"

keytime = {
\key a \minor
\time 4/4
}

melody = {
\relative c'' { a4 a b2 a4 a b2 }
\relative c'' { a4 b c b a b8 a f2 }
\relative c' { e4 c e f e e8 c b2 }
\relative c'' { a4 b c b a b8 a f2 }
\relative c' { e4 c e f e e8 c b2 }
\relative c'' { a4 a b2 a4 a b2 }
\relative c' { e4 f b8 a f4 e2. r4 }
\bar "|."
}

\score {
\new Staff {
\keytime
\melody
}
\layout {
indent = #0
}
}
