# 茶摘, 文部省唱歌 (尋常小学唱歌 第三学年用, 1912); composer and author not named.
# Found at: https://github.com/soramimic/soramimic-video/blob/1048af764aa027ba6b1046e23db1324f448991c0/examples/gen_samples.py
# (repository soramimic/soramimic-video, file examples/gen_samples.py, whose docstring says
# its melodies are typed by hand from published scores of public-domain songs; the
# project's pyproject.toml gives the MIT licence). The song is in the public domain
# (published 1912). The file is a program that writes MIDI files from a table of songs;
# kept here, verbatim, are only the constants the table uses (ticks per beat, note
# names, lengths, the line-break marker), the comment that explains the table, and the
# table's 茶摘 entry inside its dict. The other songs and the program are left out.

TPB = 480  # ticks per beat

# 音名 → MIDIノート
A3, AS3, B3 = 57, 58, 59
C4, D4, DS4, E4, F4, FS4, G4, A4, AS4, B4 = 60, 62, 63, 64, 65, 66, 67, 69, 70, 71
C5, D5, DS5, E5 = 72, 74, 75, 76

Q, DQ, E8, DE, S16 = 480, 720, 240, 360, 120  # 4分/付点4分/8分/付点8分/16分
H, DH = 960, 1440  # 2分/付点2分

BR = "/"  # 行区切りだけ入れる(休符は入れない。小節の途中で行が変わる曲用)

# 各曲の "score": 次の4種類を並べた列。
#   (歌詞かな, MIDIノート, 長さtick) … 1音符=1モーラ
#   int                              … その長さの休符(フレーズ頭の休符など)
#   None                             … 行区切り。次の小節頭まで休符を入れる
#   BR                               … 行区切りのみ(小節の途中で行が変わる曲)
#
# 各曲の "chords": 伴奏のコード進行。1要素=1小節で、先頭は前奏(無音の1小節)ぶん。
# 小節内で変えたいときは tuple にする(小節を均等割りするので、要素数は拍子の
# 分子を割り切れること: 4/4なら1・2・4個、3/4なら1・3個、2/4なら1・2個)。
# 小節数は score から計算した値と一致していないと build() が落ちる(ずれ検知)。
SONGS: dict[str, dict] = {
    "chatsumi": {
        "title": "茶摘",
        "title_kana": "チャツミ",
        "description": "文部省唱歌・PD",
        "tempo": 576_923,  # ♩=104
        "time": (4, 4),
        # ト長調・ヨナ抜き長音階。各行は4分休符から歌い出す。メリスマ無し
        "score": [
            Q,
            ("な", D4, Q), ("つ", G4, Q), ("も", A4, Q),
            ("ち", B4, DQ), ("か", B4, E8), ("づ", B4, Q), ("く", B4, Q),
            ("は", D5, DQ), ("ち", D5, E8), ("じゅ", D5, Q), ("う", B4, Q),
            ("は", A4, Q), ("ち", G4, Q), ("や", A4, Q),  # 残り1拍は行末の休符
            None,
            Q,
            ("の", B4, Q), ("に", B4, Q), ("も", D5, Q),
            ("や", B4, DQ), ("ま", B4, E8), ("に", B4, Q), ("も", A4, Q),
            ("わ", B4, DQ), ("か", B4, E8), ("ば", A4, Q), ("が", G4, Q),
            ("し", E4, Q), ("げ", E4, Q), ("る", D4, Q),
            None,
            Q,
            ("あ", D4, Q), ("れ", G4, Q), ("に", A4, Q),
            ("み", B4, DQ), ("え", B4, E8), ("る", B4, Q), ("は", B4, Q),
            ("ちゃ", D5, DQ), ("つ", D5, E8), ("み", D5, Q), ("じゃ", B4, Q),
            ("な", A4, Q), ("い", G4, Q), ("か", A4, Q),
            None,
            Q,
            ("あ", D5, Q), ("か", D5, Q), ("ね", B4, Q),
            ("だ", A4, DQ), ("す", A4, E8), ("き", G4, Q), ("に", E4, Q),
            ("す", D4, Q), ("げ", G4, Q), ("の", A4, DQ), ("か", B4, E8),
            ("さ", G4, DH),
        ],
        # ト長調。前奏1小節 + 16小節(4小節×4行)
        "chords": [
            "G",
            "G", "G", "G", ("G", "D7"),
            "G", "G", "G", ("Em", "G"),
            "G", "G", "G", ("G", "D7"),
            "G", ("D7", "G"), ("G", "D7"), "G",
        ],
        "lyrics": (
            "夏も近づく 八十八夜\n野にも山にも 若葉が茂る\n"
            "あれに見えるは 茶摘じゃないか\nあかねだすきに 菅の笠\n"
        ),
    },
}
