% Greensleeves, traditional English tune (16th century), in its hymn form.
% Found at: https://github.com/MutopiaProject/MutopiaProject/blob/14ea151327176119a2f085465c59c8face0f9d3e/ftp/Traditional/greensleeves/greensleeves.ly
% (Mutopia Project, typeset by Steve Dunlop after www.cyberhymnal.org; the file's header
% says "copyright = Public Domain": placed in the public domain by the typesetter).
% The soprano line of a four-part setting, in E minor and 6/8 (our values halved).
% Copied as found up to the soprano line; the alto, tenor and bass lines, the score
% block and the ABC source quoted after it are left out.
\version "2.18.0"

\header {
	title = "Greensleeves"
	composer = \markup { \fill-line { \pad-to-box #'(0 . 0) #'(0 . 5) { "Traditional; 16th Century English melody" }}}
	mutopiatitle = "Greensleeves (hymntune)"
	mutopiacomposer = "Traditional"
	mutopiainstrument = "Voice (SATB)"
	copyright = "Public Domain"
	date = ""
	maintainer = "Steve Dunlop"
	maintainerWeb = "http://www.nerstrand.net"
	maintainerEmail = "music@nerstrand.net"
	style = "Hymn"
	source = "www.cyberhymnal.org"
	lastupdated = "2008/1/12"
 footer = "Mutopia-2008/01/13-1247"
 tagline = \markup { \override #'(box-padding . 1.0) \override #'(baseline-skip . 2.7) \box \center-column { \small \line { Sheet music from \with-url #"http://www.MutopiaProject.org" \line { \teeny www. \hspace #-1.0 MutopiaProject \hspace #-1.0 \teeny .org \hspace #0.5 } • \hspace #0.5 \italic Free to download, with the \italic freedom to distribute, modify and perform. } \line { \small \line { Typeset using \with-url #"http://www.LilyPond.org" \line { \teeny www. \hspace #-1.0 LilyPond \hspace #-1.0 \teeny .org } by \maintainer \hspace #-1.0 . \hspace #0.5 Reference: \footer } } \line { \teeny \line { This sheet music has been placed in the public domain by the typesetter, for details see: \hspace #-0.5 \with-url #"http://creativecommons.org/licenses/publicdomain" http://creativecommons.org/licenses/publicdomain } } } }
}

% #(set-default-paper-size "letter")

Soprano = { \time 6/8 \partial 8  { \key g \major e'8 g'4 a'8 b'8. c''16 b'8 a'4 fis'8 d'8. e'16 fis'8 g'4 e'8 e'8. dis'16 e'8 fis'4. b4 e'8 g'4 a'8 b'8. c''16 b'8 a'4 fis'8 d'8. e'16 fis'8 g'8. fis'16 e'8 dis'8. cis'16 dis'8 e'4. e'4 r8 d''4. d''8. cis''16 b'8 a'4 fis'8 d'8. e'16 fis'8 g'4 e'8 e'8. dis'16 e'8 fis'4 dis'8 b4 r8 d''4. d''8. c''16 b'8 a'4 fis'8 d'8. ( e'16 ) fis'8 g'8. fis'16 e'8 dis'8. cis'16 dis'8 e'4. e'4 s8  \bar "|." } }
