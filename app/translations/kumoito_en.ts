<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Ui</name>
    <message>
        <source>音を出せません。</source>
        <translation>No sound can be played.</translation>
    </message>
    <message>
        <source>音の出ない機械では KUMOITO_MIDI_OUT=wav:/tmp/play.wav として起動すると、演奏を WAV ファイルに書き出せます。詳しくはヘルプの「音が出ないとき」をご覧ください。</source>
        <translation>On a machine without sound, start with KUMOITO_MIDI_OUT=wav:/tmp/play.wav to write the playing to a WAV file. See &quot;When there is no sound&quot; in the help.</translation>
    </message>
    <message>
        <source>音を出せません（ヘルプ「音が出ないとき」）</source>
        <translation>No sound (help: &quot;When there is no sound&quot;)</translation>
    </message>
    <message>
        <source>ファイルが開けませんでした。</source>
        <translation>The file could not be opened.</translation>
    </message>
    <message>
        <source>このファイルは開けません。開けるのは譜面ファイル (.mwd)、MusicXML と MIDI のファイルです。</source>
        <translation>This file cannot be opened. Kumoito opens score files (.mwd), MusicXML and MIDI files.</translation>
    </message>
    <message>
        <source>   終  了</source>
        <translation>   Quit</translation>
    </message>
    <message>
        <source>   読&#x3000;込</source>
        <translation>   Open</translation>
    </message>
    <message>
        <source>   保&#x3000;存</source>
        <translation>   Save</translation>
    </message>
    <message>
        <source>   ﾗｲﾌﾞﾗﾘ</source>
        <translation>   Library</translation>
    </message>
    <message>
        <source>   再&#x3000;生</source>
        <translation>   Play</translation>
    </message>
    <message>
        <source>   出&#x3000;力</source>
        <translation>   Export</translation>
    </message>
    <message>
        <source>   新&#x3000;規</source>
        <translation>   New</translation>
    </message>
    <message>
        <source>  入力ﾂｰﾙ</source>
        <translation>  Input tool</translation>
    </message>
    <message>
        <source>   設&#x3000;定</source>
        <translation>   Settings</translation>
    </message>
    <message>
        <source>   曲情報</source>
        <translation>   Song info</translation>
    </message>
    <message>
        <source>   ヘルプ</source>
        <translation>   Help</translation>
    </message>
    <message>
        <source>曲を開いたとき、一の糸 %1 の開放弦に当たる音が最も多くなる調と調子を自動で選びました。別の調を選ぶと、曲全体がその調に移ります。</source>
        <translation>When the song was opened, the key and tuning were chosen that put the most notes on open strings with the first string at %1. Choosing another key moves the whole song into it.</translation>
    </message>
    <message>
        <source>別の調を選ぶと、曲全体がその調に移ります。</source>
        <translation>Choosing another key moves the whole song into it.</translation>
    </message>
    <message>
        <source>演奏できる音域に入れるため、%1 個の音符をオクターブ移しました。</source>
        <translation>%1 notes were moved by an octave to bring them into the playable range.</translation>
    </message>
    <message>
        <source>一の糸の変更</source>
        <translation>First string change</translation>
    </message>
    <message>
        <source>調の変更</source>
        <translation>Key change</translation>
    </message>
    <message>
        <source>元に戻す: %1</source>
        <translation>Undo: %1</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し: %1</source>
        <translation>Redo: %1</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>曲情報</source>
        <translation>Song information</translation>
    </message>
    <message>
        <source>ファイルを書き出せませんでした。</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>BMP 画像 (*.bmp)</source>
        <translation>BMP image (*.bmp)</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>JPEG 画像 (*.jpg *.jpeg)</source>
        <translation>JPEG image (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>PDF 文書 (*.pdf)</source>
        <translation>PDF document (*.pdf)</translation>
    </message>
    <message>
        <source>SVG 画像 (*.svg)</source>
        <translation>SVG image (*.svg)</translation>
    </message>
    <message>
        <source>MIDI ファイル (*.mid)</source>
        <translation>MIDI file (*.mid)</translation>
    </message>
    <message>
        <source>WAV 音声 (*.wav)</source>
        <translation>WAV sound (*.wav)</translation>
    </message>
    <message>
        <source>バージョン情報 Kumoito</source>
        <translation>About Kumoito</translation>
    </message>
    <message>
        <source>三味線の勘所譜を表示・演奏・編集します。</source>
        <translation>Shows, plays and edits shamisen tablature.</translation>
    </message>
    <message>
        <source>Kumoito ヘルプ</source>
        <translation>Kumoito help</translation>
    </message>
    <message>
        <source>&lt;h2&gt;ヘルプが見つかりません&lt;/h2&gt;&lt;p&gt;%1 がありません。&lt;/p&gt;</source>
        <translation>&lt;h2&gt;The help was not found&lt;/h2&gt;&lt;p&gt;%1 is missing.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>譜面ファイル (*.mwd)</source>
        <translation>Score files (*.mwd)</translation>
    </message>
    <message>
        <source>MIDI ファイル (*.mid *.midi *.kar)</source>
        <translation>MIDI files (*.mid *.midi *.kar)</translation>
    </message>
    <message>
        <source>クリック: 開始小節、Shift+クリック: 終了小節</source>
        <translation>Click: loop start, Shift+click: loop end</translation>
    </message>
    <message>
        <source>調子</source>
        <translation>Tuning</translation>
    </message>
    <message>
        <source>一の糸</source>
        <translation>1st string</translation>
    </message>
    <message>
        <source>調</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Pace</translation>
    </message>
    <message>
        <source>繰り返し</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>開始小節</source>
        <translation>From bar</translation>
    </message>
    <message>
        <source>終了小節</source>
        <translation>To bar</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>Count-in</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>1小節</source>
        <translation>1 bar</translation>
    </message>
    <message>
        <source>パート %1</source>
        <translation>Part %1</translation>
    </message>
    <message>
        <source>パートの選択</source>
        <translation>Choose a part</translation>
    </message>
    <message>
        <source>旋律として読み込むパートを選んでください。</source>
        <translation>Choose the part to read as the melody.</translation>
    </message>
    <message>
        <source>変更を保存しますか？</source>
        <translation>Save the changes?</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存しない</source>
        <translation>Don&apos;t save</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>前回保存されなかった変更があります。復元しますか？</source>
        <translation>There are changes that were not saved last time. Restore them?</translation>
    </message>
    <message>
        <source>復元</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>破棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>入力ツール</source>
        <translation>Input tool</translation>
    </message>
    <message>
        <source>バージョン情報 Kumoito(&amp;A)...</source>
        <translation>&amp;About Kumoito...</translation>
    </message>
    <message>
        <source>システムに合わせる</source>
        <translation>Follow the system</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>歌詞を表示する</source>
        <translation>Show lyrics</translation>
    </message>
    <message>
        <source>書き出す画像に題名の帯を付ける</source>
        <translation>Put a title band on exported pictures</translation>
    </message>
    <message>
        <source>小節番号を表示する</source>
        <translation>Show measure numbers</translation>
    </message>
    <message>
        <source>下 (音価の線の下に片仮名)</source>
        <translation>Below (katakana under the note-value bars)</translation>
    </message>
    <message>
        <source>上 (数字の上に記号)</source>
        <translation>Above (signs over the number)</translation>
    </message>
    <message>
        <source>奏法の位置</source>
        <translation>Technique marks</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>無音</source>
        <translation>Silent</translation>
    </message>
    <message>
        <source>言語（次の起動から）</source>
        <translation>Language (from the next start)</translation>
    </message>
    <message>
        <source>音色ファイル</source>
        <translation>Sound font</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>カウントの音量</source>
        <translation>Count-in volume</translation>
    </message>
    <message>
        <source>音色ファイル (*.sf2 *.sf3)</source>
        <translation>Sound fonts (*.sf2 *.sf3)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>%1 (%2本)</source>
        <translation>%1 (%2 hon)</translation>
    </message>
    <message>
        <source>本調子</source>
        <translation>Honchoshi</translation>
    </message>
    <message>
        <source>二上り</source>
        <translation>Niagari</translation>
    </message>
    <message>
        <source>三下り</source>
        <translation>Sansagari</translation>
    </message>
    <message>
        <source>KUMOITO_MIDI_OUT=none で、音を出さない設定になっています。</source>
        <translation>KUMOITO_MIDI_OUT=none is set, so no sound is played.</translation>
    </message>
    <message>
        <source>音を出す部品を読み込めませんでした（%1）。</source>
        <translation>The sound module could not be loaded (%1).</translation>
    </message>
    <message>
        <source>音色ファイル「%1」がありません。timgm6mb-soundfont を入れるか、「設定」か KUMOITO_SOUNDFONT で音色ファイルを指定してください。</source>
        <translation>The sound font &quot;%1&quot; is missing. Install timgm6mb-soundfont, or name a sound font in Settings or with KUMOITO_SOUNDFONT.</translation>
    </message>
    <message>
        <source>音声装置かサウンドサーバが動いているか確かめてください。</source>
        <translation> Check that a sound device or sound server is running.</translation>
    </message>
    <message>
        <source>音声出力（PulseAudio、PipeWire、ALSA）を開けませんでした。</source>
        <translation>The audio output (PulseAudio, PipeWire, ALSA) could not be opened.</translation>
    </message>
    <message>
        <source>WAV ファイル「%1」に書き込めませんでした。</source>
        <translation>The WAV file &quot;%1&quot; could not be written.</translation>
    </message>
    <message>
        <source>ALSA シーケンサの MIDI 出力ポートを開けませんでした。</source>
        <translation>No MIDI output port of the ALSA sequencer could be opened.</translation>
    </message>
    <message>
        <source>ALSA シーケンサの MIDI 出力ポートもありません。</source>
        <translation> There is no MIDI output port of the ALSA sequencer either.</translation>
    </message>
    <message>
        <source>音声出力（PulseAudio、PipeWire、ALSA）も ALSA シーケンサも開けませんでした。</source>
        <translation>Neither the audio output (PulseAudio, PipeWire, ALSA) nor the ALSA sequencer could be opened.</translation>
    </message>
    <message>
        <source>MIDI 出力を開けませんでした。</source>
        <translation>No MIDI output could be opened.</translation>
    </message>
    <message>
        <source>   停&#x3000;止</source>
        <translation>   Stop</translation>
    </message>
    <message>
        <source>小節数を減らしたため、音のある小節を %1 個削除しました。元に戻す (Ctrl+Z) で戻せます。</source>
        <translation>Fewer measures: %1 measures with notes were removed. Undo (Ctrl+Z) brings them back.</translation>
    </message>
    <message>
        <source>小節数</source>
        <translation>Bars</translation>
    </message>
    <message>
        <source>小節 %1 の音</source>
        <translation>Notes of measure %1</translation>
    </message>
    <message>
        <source>発弦</source>
        <translation>Pluck</translation>
    </message>
    <message>
        <source>継続</source>
        <translation>Hold</translation>
    </message>
    <message>
        <source>休符</source>
        <translation>Rest</translation>
    </message>
    <message>
        <source>(1)16分音符</source>
        <translation>(1) sixteenth</translation>
    </message>
    <message>
        <source>(2)8分音符</source>
        <translation>(2) eighth</translation>
    </message>
    <message>
        <source>(3)付点8分音符</source>
        <translation>(3) dotted eighth</translation>
    </message>
    <message>
        <source>(4)4分音符</source>
        <translation>(4) quarter</translation>
    </message>
    <message>
        <source>(6)付点4分音符</source>
        <translation>(6) dotted quarter</translation>
    </message>
    <message>
        <source>(8)2分音符</source>
        <translation>(8) half</translation>
    </message>
    <message>
        <source>(12)付点2分音符</source>
        <translation>(12) dotted half</translation>
    </message>
    <message>
        <source>(16)全音符</source>
        <translation>(16) whole</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>入力ダイアログ</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>小節</source>
        <translation>Bar</translation>
    </message>
    <message>
        <source>拍</source>
        <translation>Beat</translation>
    </message>
    <message>
        <source>種別</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>糸</source>
        <translation>String</translation>
    </message>
    <message>
        <source>勘所</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>音価</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>   更&#x3000;新</source>
        <translation>   Update</translation>
    </message>
    <message>
        <source>曲タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>作詞</source>
        <translation>Lyricist</translation>
    </message>
    <message>
        <source>作曲</source>
        <translation>Composer</translation>
    </message>
    <message>
        <source> （曲情報を読めません）</source>
        <translation> (no song information)</translation>
    </message>
    <message>
        <source>日本の有名曲</source>
        <translation>Famous Japanese songs</translation>
    </message>
    <message>
        <source>日本の曲全て</source>
        <translation>All Japanese songs</translation>
    </message>
    <message>
        <source>世界の有名曲</source>
        <translation>Famous world songs</translation>
    </message>
    <message>
        <source>世界の曲全て</source>
        <translation>All world songs</translation>
    </message>
    <message>
        <source>全て</source>
        <translation>Everything</translation>
    </message>
    <message>
        <source>ライブラリ</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>   取&#x3000;消</source>
        <translation>   Cancel</translation>
    </message>
    <message>
        <source>この譜面ファイルの奏法・反復などの情報は壊れているため読み込めませんでした。音符はそのまま開きます。</source>
        <translation>The techniques, repeats and other marks of this score are damaged and were not read. The notes open as they are.</translation>
    </message>
    <message>
        <source>奏法</source>
        <translation>Stroke</translation>
    </message>
    <message>
        <source>指</source>
        <translation>Finger</translation>
    </message>
    <message>
        <source>重音</source>
        <translation>Chord</translation>
    </message>
    <message>
        <source>反復</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>括弧</source>
        <translation>Ending</translation>
    </message>
    <message>
        <source>スクイ</source>
        <translation>Sukui</translation>
    </message>
    <message>
        <source>ハジキ</source>
        <translation>Hajiki</translation>
    </message>
    <message>
        <source>ウチ</source>
        <translation>Uchi</translation>
    </message>
    <message>
        <source>オシ</source>
        <translation>Oshi</translation>
    </message>
    <message>
        <source>ケシ</source>
        <translation>Keshi</translation>
    </message>
    <message>
        <source>スリ（上）</source>
        <translation>Suri up</translation>
    </message>
    <message>
        <source>スリ（下）</source>
        <translation>Suri down</translation>
    </message>
    <message>
        <source>始め ‖:</source>
        <translation>Start ‖:</translation>
    </message>
    <message>
        <source>終わり :‖</source>
        <translation>End :‖</translation>
    </message>
    <message>
        <source>始めと終わり</source>
        <translation>Start and end</translation>
    </message>
    <message>
        <source>前の小節の反復</source>
        <translation>Repeat last bar</translation>
    </message>
    <message>
        <source>%1 (%2 音%3)</source>
        <translation>%1 (%2 notes%3)</translation>
    </message>
    <message>
        <source>書き出す画像 (BMP/PNG/JPEG) にも小節番号を付ける</source>
        <translation>Measure numbers on exported images too (BMP/PNG/JPEG)</translation>
    </message>
    <message>
        <source>MusicXML や MIDI のファイルではありません。</source>
        <translation>This is not a MusicXML or MIDI file.</translation>
    </message>
    <message>
        <source>ファイルが 32 MiB を超えています。</source>
        <translation>The file is larger than 32 MiB.</translation>
    </message>
    <message>
        <source>ファイルを開けません: %1</source>
        <translation>The file cannot be opened: %1</translation>
    </message>
    <message>
        <source>MIDI ファイル (MThd) ではありません。</source>
        <translation>This is not a MIDI file (no MThd).</translation>
    </message>
    <message>
        <source>MIDI ファイルのヘッダチャンクが壊れています。</source>
        <translation>The MIDI file&apos;s header chunk is damaged.</translation>
    </message>
    <message>
        <source>形式 %1 の MIDI ファイルには対応していません (形式 0 と 1 のみ)。</source>
        <translation>MIDI files of format %1 cannot be read (only formats 0 and 1).</translation>
    </message>
    <message>
        <source>拍でなく SMPTE の時間で書かれた MIDI ファイルには対応していません。</source>
        <translation>MIDI files timed in SMPTE frames rather than beats cannot be read.</translation>
    </message>
    <message>
        <source>MIDI ファイルのチャンクが壊れています (オフセット %1 のチャンクがファイルの終わりを越えています)。</source>
        <translation>A chunk of the MIDI file is damaged (the chunk at offset %1 runs past the end of the file).</translation>
    </message>
    <message>
        <source>MIDI ファイルにトラックチャンク (MTrk) がありません。</source>
        <translation>The MIDI file has no track chunk (MTrk).</translation>
    </message>
    <message>
        <source>256 バイト以上の SysEx やメタイベントがあります (旋律の読み込みには使いません)。</source>
        <translation>The file has SysEx or meta events of 256 bytes or more (not used for the melody).</translation>
    </message>
    <message>
        <source>MIDI ファイルについて: %1</source>
        <translation>About the MIDI file: %1</translation>
    </message>
    <message>
        <source>トラック %1 は %2 を超えるため読みませんでした。</source>
        <translation>Track %1 is larger than %2 and was not read.</translation>
    </message>
    <message>
        <source>MIDI ファイルのトラックが %1 を超えています。読めるトラックは %1 までです。</source>
        <translation>The MIDI file&apos;s tracks are larger than %1. Tracks of up to %1 can be read.</translation>
    </message>
    <message>
        <source>MIDI ファイルに音符がありません (ドラムの 10 チャンネルを除く)。</source>
        <translation>The MIDI file has no notes (apart from the drums on channel 10).</translation>
    </message>
    <message>
        <source>小節が多すぎます。</source>
        <translation>There are too many measures.</translation>
    </message>
    <message>
        <source>選んだパートに音符がありません。</source>
        <translation>The chosen part has no notes.</translation>
    </message>
    <message>
        <source>&lt;divisions&gt; の値が正しくありません。</source>
        <translation>The value of &lt;divisions&gt; is not valid.</translation>
    </message>
    <message>
        <source>&lt;note&gt; に正しい &lt;duration&gt; がありません。</source>
        <translation>A &lt;note&gt; has no valid &lt;duration&gt;.</translation>
    </message>
    <message>
        <source>timewise 形式の MusicXML には対応していません。</source>
        <translation>Timewise MusicXML cannot be read.</translation>
    </message>
    <message>
        <source>MusicXML (score-partwise) ではありません。</source>
        <translation>This is not MusicXML (score-partwise).</translation>
    </message>
    <message>
        <source>音符のあるパートがありません。</source>
        <translation>No part has notes.</translation>
    </message>
    <message>
        <source>%1 拍子は 1 小節を 1〜8 拍にできないため、4 拍ごとに小節を区切りました。</source>
        <translation>%1 time cannot make measures of 1 to 8 beats, so the measures were divided every 4 beats.</translation>
    </message>
    <message>
        <source>%1 拍子を %2 拍の小節にするため、音価と速さを同じ割合で変えて書きました。</source>
        <translation>To write %1 time in measures of %2 beats, note values and tempo were changed in the same proportion.</translation>
    </message>
    <message>
        <source>%1 小節目で拍子が %2 に変わりますが、最初の拍子のまま小節を区切りました。</source>
        <translation>The time changes to %2 in measure %1, but the measures keep the first time signature.</translation>
    </message>
    <message>
        <source>曲が長すぎるため、%1 小節 (%2 拍) で切りました。</source>
        <translation>The song is too long and was cut at %1 measures (%2 beats).</translation>
    </message>
    <message>
        <source>前の音符と同じ位置になるほど短い音符 %1 個を省きました。</source>
        <translation>%1 notes so short that they fell on the note before them were left out.</translation>
    </message>
    <message>
        <source>口三味線を表示する</source>
        <translation>Show the kuchijamisen syllables</translation>
    </message>
    <message>
        <source>印刷用の PDF に口三味線を付ける</source>
        <translation>Kuchijamisen syllables on the printed PDF</translation>
    </message>
    <message>
        <source>口三味線</source>
        <translation>Syllable</translation>
    </message>
    <message>
        <source>空欄で自動、- で無音</source>
        <translation>Empty: the rule&apos;s syllable; -: silent</translation>
    </message>
    <message>
        <source>MusicXML 楽譜 (*.musicxml)</source>
        <translation>MusicXML score (*.musicxml)</translation>
    </message>
    <message>
        <source>圧縮 MusicXML 楽譜 (*.mxl)</source>
        <translation>Compressed MusicXML score (*.mxl)</translation>
    </message>
    <message>
        <source>重音: ↑↓ で糸を選び、勘所を入力 (Esc で取り消し)</source>
        <translation>Two-string note: choose the string with ↑↓, type its position (Esc cancels)</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>曲に入りきらないため貼り付けられません。</source>
        <translation>The song has no room for what is pasted.</translation>
    </message>
    <message>
        <source>小節の挿入</source>
        <translation>Insert measure</translation>
    </message>
    <message>
        <source>小節の削除</source>
        <translation>Remove measures</translation>
    </message>
    <message>
        <source>歌詞の入力: Space・Tab で次の音、Shift+Tab で前の音、Esc で終わり</source>
        <translation>Lyrics: Space or Tab next note, Shift+Tab previous note, Esc ends</translation>
    </message>
    <message>
        <source>「%1」は歌詞に使えない文字です (CP932 にありません)。</source>
        <translation>“%1” cannot be used in lyrics (it is not in CP932).</translation>
    </message>
    <message>
        <source>歌詞は 1 つの音に 7 バイトまでです。「%1」で切りました。</source>
        <translation>A note takes at most 7 bytes of lyrics; cut to “%1”.</translation>
    </message>
    <message>
        <source>歌詞</source>
        <translation>Lyrics</translation>
    </message>
    <message>
        <source>音価: %1</source>
        <translation>Note value: %1</translation>
    </message>
    <message>
        <source>対応する全ての形式 (*.mwd *.musicxml *.xml *.mxl *.mid *.midi *.kar *.wav *.flac *.ogg)</source>
        <translation>All supported files (*.mwd *.musicxml *.xml *.mxl *.mid *.midi *.kar *.wav *.flac *.ogg)</translation>
    </message>
    <message>
        <source>録音 (*.wav *.flac *.ogg)</source>
        <translation>Recordings (*.wav *.flac *.ogg)</translation>
    </message>
    <message>
        <source>調弦...</source>
        <translation>Tuner...</translation>
    </message>
    <message>
        <source>調弦</source>
        <translation>Tuner</translation>
    </message>
    <message>
        <source>押すと基準の音が鳴ります</source>
        <translation>Click to hear the reference tone</translation>
    </message>
    <message>
        <source>%1 の三本の糸</source>
        <translation>The three strings of %1</translation>
    </message>
    <message>
        <source>%1の糸 %2</source>
        <translation>String %1 %2</translation>
    </message>
    <message>
        <source>音を聞けません</source>
        <translation>Cannot listen</translation>
    </message>
    <message>
        <source>糸を弾いてください</source>
        <translation>Pluck a string</translation>
    </message>
    <message>
        <source>(%1 オクターブ上)</source>
        <translation>(%1 octave up)</translation>
    </message>
    <message>
        <source>(%1 オクターブ下)</source>
        <translation>(%1 octave down)</translation>
    </message>
    <message>
        <source>%1の糸 %2 %3 セント %4</source>
        <translation>String %1 %2 %3 cents %4</translation>
    </message>
    <message>
        <source>録音のファイルが 256 MiB を超えています。</source>
        <translation>The recording is larger than 256 MiB.</translation>
    </message>
    <message>
        <source>録音から音を聞き取れませんでした。</source>
        <translation>No notes could be heard in the recording.</translation>
    </message>
    <message>
        <source>録音から %1 音を聞き取りました (テンポ %2)。</source>
        <translation>%1 notes heard in the recording (tempo %2).</translation>
    </message>
    <message>
        <source>録音の装置を使えません: %1</source>
        <translation>The recording device cannot be used: %1</translation>
    </message>
    <message>
        <source>マイクが見つかりません (録音の装置を開けません: %1)。</source>
        <translation>No microphone found (the recording device cannot be opened: %1).</translation>
    </message>
    <message>
        <source>録音を開けません: %1</source>
        <translation>Cannot open the recording: %1</translation>
    </message>
    <message>
        <source>音の入力は KUMOITO_AUDIO_IN=none で切られています。</source>
        <translation>Sound input is turned off by KUMOITO_AUDIO_IN=none.</translation>
    </message>
    <message>
        <source>KUMOITO_AUDIO_IN の値が分かりません: %1</source>
        <translation>KUMOITO_AUDIO_IN has a value not understood: %1</translation>
    </message>
    <message>
        <source>録音を読めません: %1</source>
        <translation>Cannot read the recording: %1</translation>
    </message>
    <message>
        <source>録音の長さかサンプリング周波数が扱える範囲にありません。</source>
        <translation>The recording&apos;s length or sample rate is out of range.</translation>
    </message>
    <message>
        <source>録音に音が入っていません。</source>
        <translation>The recording holds no sound.</translation>
    </message>
    <message>
        <source>新規</source>
        <translation>New</translation>
    </message>
    <message>
        <source>テンポ ♩=</source>
        <translation>Tempo ♩=</translation>
    </message>
    <message>
        <source>1小節の拍数</source>
        <translation>Beats/bar</translation>
    </message>
    <message>
        <source>最初に見つかったキーボード</source>
        <translation>The first keyboard found</translation>
    </message>
    <message>
        <source>使わない</source>
        <translation>Not used</translation>
    </message>
    <message>
        <source>%1 (接続されていません)</source>
        <translation>%1 (not connected)</translation>
    </message>
    <message>
        <source>MIDI キーボード</source>
        <translation>MIDI keyboard</translation>
    </message>
    <message>
        <source>この拍数では曲が入りきりません。曲を短くしてから変えてください。</source>
        <translation>The song does not fit at this many beats per bar. Shorten the song first, then change it.</translation>
    </message>
</context>
</TS>
