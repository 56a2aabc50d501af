% Twinkle, Twinkle, Little Star: French melody (Ah! vous dirai-je, maman, 1761),
% words by Jane Taylor (1783-1824), 1806.
% Found at: https://github.com/kcg12/SGRLabGroupMeeting_20181219/blob/162f9fd9444fcd7783acc6cd478350646d47e72d/twinkle.ly
% (repository kcg12/SGRLabGroupMeeting_20181219, which states no licence; melody and
% words are public domain). The melody is the variable the_melody. Copied as found,
% without the four later verses.
\version "2.18.2"

#(ly:set-option 'midi-extension "midi")
%#(set-global-staff-size 18)

% Disable hyperlinks in the PDF output.
\pointAndClickOff

\header {
  title = "Twinkle, Twinkle Little Star"
    tagline = \markup {
  "MUSIC:" \italic "Ah! vous dirai-je, maman." "(1740)"
  "  LYRICS: Jane Taylor:" \italic "The Star" "from" \italic "Rhymes for the Nursery"}
} %

global = {
  \key c \major
  \numericTimeSignature
  \time 4/4
}

the_melody = \relative c' {c4 c g' g a a g2 
f4 f e e d d c2
g'4 g f f e e d2
g4 g f f e e d2 
c4 c g' g a a g2 
f4 f e e d d c2
}

verse_one = \lyricmode { \set stanza = #"1. "
Twin -- kle, twin -- kle lit -- tle star,
How I won -- der what you are.
Up a -- bove the world so high,
Like a dia -- mond in the sky.
Twin -- kle, twin -- kle lit -- tle star,
How I won -- der what you are.
}

\paper {#(set-paper-size "letter")
    top-margin = 1.0\in
    right-margin = 0.75\in
    bottom-margin = 0.5\in
    left-margin = 0.75\in
    }
    
        \score {
        \new Staff <<
            \global
            \clef treble
            \new Voice = "melody" \the_melody
            \new Lyrics \lyricsto melody \verse_one
            >>
             }
