% Mary Had a Little Lamb: words by Sarah Josepha Hale (1788-1879), 1830; the tune as
% commonly sung.
% Found at: https://github.com/spragunr/midi-assignment/blob/36853f57bec74a5544ee76dc832080fa25cde1c0/mary.ly
% (repository spragunr/midi-assignment, which states no licence; the tune is public
% domain). It holds only the first phrase (two measures). Copied as found.
{
\time 4/4
\clef treble
e' d' c' d' e' e' e'2
}
