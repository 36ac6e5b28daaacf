<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: MIT -->
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>corvane-cli</name>
    <message>
        <source>The caller's number, 1 to 20 bytes in code page 932.</source>
        <translation>発信電話番号。コードページ932で1～20バイト。</translation>
    </message>
    <message>
        <source>Why the number is withheld: P, O, C or S.</source>
        <translation>発信電話番号非通知理由: P、O、C、Sのいずれか。</translation>
    </message>
    <message>
        <source>Waveform amplitude in percent: 10, 20, ..., 100 (default 20).</source>
        <translation>波形の振幅（%）: 10、20、…、100（既定は20）。</translation>
    </message>
    <message>
        <source>Peak level in dBFS, -90 to 0, instead of --amplitude.</source>
        <translation>--amplitude の代わりに、ピークレベルをdBFSで指定（-90～0）。</translation>
    </message>
    <message>
        <source>square (default, the dialog's) or sine (phase-continuous).</source>
        <translation>square（既定、ダイアログと同じ方形波）またはsine（位相連続の正弦波）。</translation>
    </message>
    <message>
        <source>Sine mark frequency in Hz (default 1300).</source>
        <translation>正弦波のマーク周波数（Hz、既定は1300）。</translation>
    </message>
    <message>
        <source>Sine space frequency in Hz (default 2100).</source>
        <translation>正弦波のスペース周波数（Hz、既定は2100）。</translation>
    </message>
    <message>
        <source>Sine bit rate, 300 to 4800 (default 1200).</source>
        <translation>正弦波のビットレート、300～4800（既定は1200）。</translation>
    </message>
    <message>
        <source>Sample rate: 8000, 16000, 24000 (default), 44100 or 48000.</source>
        <translation>サンプリング周波数: 8000、16000、24000（既定）、44100、48000。</translation>
    </message>
    <message>
        <source>Add white noise at this signal-to-noise ratio in dB (-20 to 100).</source>
        <translation>このSN比（dB、-20～100）で白色雑音を加える。</translation>
    </message>
    <message>
        <source>Seed of the noise (default 1).</source>
        <translation>雑音の種（既定は1）。</translation>
    </message>
    <message>
        <source>Mark bits before the frame, 0 to 10000 (default 80).</source>
        <translation>フレームの前のマークビット数、0～10000（既定は80）。</translation>
    </message>
    <message>
        <source>Mark bits after the frame, 0 to 10000 (default 40).</source>
        <translation>フレームの後のマークビット数、0～10000（既定は40）。</translation>
    </message>
    <message>
        <source>Silence at each end in ms, 0 to 60000 (default 200).</source>
        <translation>前後の無音（ms）、0～60000（既定は200）。</translation>
    </message>
    <message>
        <source>Inject an error: crc, parity:K or truncate:K (K a frame byte, from 1).</source>
        <translation>誤りを入れる: crc、parity:K、truncate:K（Kはフレームの何バイト目か、1から）。</translation>
    </message>
    <message>
        <source>A further parameter TYPE:TEXT after the first (repeatable; TYPE 0 to 255, 0x.. for hex).</source>
        <translation>最初のパラメータの後に続けるパラメータ TYPE:TEXT（複数可。TYPEは0～255、16進は0x..）。</translation>
    </message>
    <message>
        <source>--%1 takes a number from %2 to %3, not "%4".</source>
        <translation>--%1 には%2～%3の数を指定してください（「%4」は使えません）。</translation>
    </message>
    <message>
        <source>--%1 takes a whole number from %2 to %3, not "%4".</source>
        <translation>--%1 には%2～%3の整数を指定してください（「%4」は使えません）。</translation>
    </message>
    <message>
        <source>The amplitude must be one of 10, 20, ..., 100 percent.</source>
        <translation>振幅は10、20、…、100%のいずれかにしてください。</translation>
    </message>
    <message>
        <source>Give --amplitude or --level-dbfs, not both.</source>
        <translation>--amplitude と --level-dbfs は、どちらか一方だけを指定してください。</translation>
    </message>
    <message>
        <source>--waveform is square or sine, not "%1".</source>
        <translation>--waveform は square か sine です（「%1」は使えません）。</translation>
    </message>
    <message>
        <source>--rate is one of 8000, 16000, 24000, 44100 and 48000.</source>
        <translation>--rate は8000、16000、24000、44100、48000のいずれかです。</translation>
    </message>
    <message>
        <source>--%1 goes with --waveform sine.</source>
        <translation>--%1 は --waveform sine と一緒に指定してください。</translation>
    </message>
    <message>
        <source>--corrupt is crc, parity:K or truncate:K, not "%1".</source>
        <translation>--corrupt は crc、parity:K、truncate:K のいずれかです（「%1」は使えません）。</translation>
    </message>
    <message>
        <source>--param is TYPE:TEXT, not "%1".</source>
        <translation>--param は TYPE:TEXT の形です（「%1」は使えません）。</translation>
    </message>
    <message>
        <source>Please enter a number.</source>
        <translation>番号を入力してください</translation>
    </message>
    <message>
        <source>The number can have at most %1 digits.</source>
        <translation>番号は%1桁まで設定できます</translation>
    </message>
    <message>
        <source>The reason is one of P, O, C and S.</source>
        <translation>理由はP、O、C、Sのいずれかです。</translation>
    </message>
    <message>
        <source>Give either --number or --reason.</source>
        <translation>--number か --reason のどちらか一方を指定してください。</translation>
    </message>
    <message>
        <source>The frame would be longer than 255 bytes.</source>
        <translation>フレームが255バイトを超えます。</translation>
    </message>
    <message>
        <source>--corrupt names byte %1, but the frame has %2 bytes.</source>
        <translation>--corrupt で%1バイト目を指定しましたが、フレームは%2バイトです。</translation>
    </message>
    <message>
        <source>Cannot write to standard output: %1</source>
        <translation>標準出力に書き込めません: %1</translation>
    </message>
    <message>
        <source>Interrupted.</source>
        <translation>中断しました。</translation>
    </message>
    <message>
        <source>Print one JSON object instead of the status line's text.</source>
        <translation>ステータス行の文字列の代わりにJSONオブジェクトを1つ出力する。</translation>
    </message>
    <message>
        <source>The file to write; - for standard output.</source>
        <translation>書き込むファイル。- で標準出力。</translation>
    </message>
    <message>
        <source>Bare 16-bit little-endian samples, no WAVE header.</source>
        <translation>WAVEヘッダーなしの16ビット・リトルエンディアンのサンプル。</translation>
    </message>
    <message>
        <source>Give the file to write with -o FILE (- for standard output).</source>
        <translation>書き込むファイルを -o FILE で指定してください（- で標準出力）。</translation>
    </message>
    <message>
        <source>Playback volume, 0 to 100 (default 30).</source>
        <translation>再生音量、0～100（既定は30）。</translation>
    </message>
    <message>
        <source>expected "number N" or "reason P"</source>
        <translation>「number N」か「reason P」の形が必要です</translation>
    </message>
    <message>
        <source>unknown field "%1"</source>
        <translation>不明な項目「%1」</translation>
    </message>
    <message>
        <source>Save one WAVE file per line into this folder.</source>
        <translation>1行ごとにWAVEファイルをこのフォルダーに保存する。</translation>
    </message>
    <message>
        <source>Play the lines in turn instead of saving them.</source>
        <translation>保存する代わりに各行を順に再生する。</translation>
    </message>
    <message>
        <source>Silence between two plays in ms (default 1000).</source>
        <translation>再生と再生の間の無音（ms、既定は1000）。</translation>
    </message>
    <message>
        <source>One request a line; - for standard input.</source>
        <translation>1行に1つの要求。- で標準入力。</translation>
    </message>
    <message>
        <source>Give one batch file, or - for standard input.</source>
        <translation>バッチファイルを1つ、または標準入力の - を指定してください。</translation>
    </message>
    <message>
        <source>Give either --dir DIR or --play.</source>
        <translation>--dir DIR か --play のどちらか一方を指定してください。</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 を読めません: %2</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>%1行目: %2</translation>
    </message>
    <message>
        <source>batch: %1 played, %2 failed</source>
        <translation>バッチ: 再生 %1、失敗 %2</translation>
    </message>
    <message>
        <source>batch: %1 written, %2 failed</source>
        <translation>バッチ: 保存 %1、失敗 %2</translation>
    </message>
    <message>
        <source>parity error in byte %1</source>
        <translation>%1バイト目のパリティ誤り</translation>
    </message>
    <message>
        <source>no stop bit after byte %1</source>
        <translation>%1バイト目の後にストップビットがありません</translation>
    </message>
    <message>
        <source>byte %1 is %2 where %3 belongs</source>
        <translation>%1バイト目が%3ではなく%2です</translation>
    </message>
    <message>
        <source>frame cut after byte %1</source>
        <translation>フレームが%1バイト目で途切れています</translation>
    </message>
    <message>
        <source>message length %1, but its parameters take %2</source>
        <translation>メッセージ長は%1ですが、パラメータは%2バイトあります</translation>
    </message>
    <message>
        <source>check %1 received, %2 computed</source>
        <translation>受信したチェック %1、計算したチェック %2</translation>
    </message>
    <message>
        <source>%1 more bytes after the check</source>
        <translation>チェックの後に%1バイト余分にあります</translation>
    </message>
    <message>
        <source>caller number</source>
        <translation>発信電話番号</translation>
    </message>
    <message>
        <source>absence reason</source>
        <translation>発信電話番号非通知理由</translation>
    </message>
    <message>
        <source>the caller refused</source>
        <translation>ユーザ拒否</translation>
    </message>
    <message>
        <source>not available</source>
        <translation>サービス提供不可</translation>
    </message>
    <message>
        <source>public telephone</source>
        <translation>公衆電話発信</translation>
    </message>
    <message>
        <source>service conflict</source>
        <translation>サービス競合</translation>
    </message>
    <message>
        <source>frame %1 at %2 s after %3 mark bits: %4
</source>
        <translation>フレーム%1（%2秒、マークビット%3個の後）: %4
</translation>
    </message>
    <message>
        <source>valid</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>%1 faults</source>
        <translation>誤り%1件</translation>
    </message>
    <message>
        <source>message type %1</source>
        <translation>メッセージ種別 %1</translation>
    </message>
    <message>
        <source>parameter %1</source>
        <translation>パラメータ %1</translation>
    </message>
    <message>
        <source>fault: %1</source>
        <translation>誤り: %1</translation>
    </message>
    <message>
        <source>No frame found.</source>
        <translation>フレームが見つかりません。</translation>
    </message>
    <message>
        <source>Mark frequency in Hz (default 1300).</source>
        <translation>マーク周波数（Hz、既定は1300）。</translation>
    </message>
    <message>
        <source>Space frequency in Hz (default 2100).</source>
        <translation>スペース周波数（Hz、既定は2100）。</translation>
    </message>
    <message>
        <source>Bit rate, 300 to 2400 (default 1200).</source>
        <translation>ビットレート、300～2400（既定は1200）。</translation>
    </message>
    <message>
        <source>The channel to read, from 1 (default 1).</source>
        <translation>読み取るチャンネル、1から（既定は1）。</translation>
    </message>
    <message>
        <source>Print one JSON object a frame.</source>
        <translation>フレームごとにJSONオブジェクトを1つ出力する。</translation>
    </message>
    <message>
        <source>Seconds to record from the default input, 1 to 600.</source>
        <translation>既定の入力から録音する秒数、1～600。</translation>
    </message>
    <message>
        <source>A WAVE file; - for standard input.</source>
        <translation>WAVEファイル。- で標準入力。</translation>
    </message>
    <message>
        <source>Give one WAVE file, or - for standard input.</source>
        <translation>WAVEファイルを1つ、または標準入力の - を指定してください。</translation>
    </message>
    <message>
        <source>Cannot record: %1</source>
        <translation>録音できません: %1</translation>
    </message>
    <message>
        <source>%1 is not a WAVE file.</source>
        <translation>%1 はWAVEファイルではありません。</translation>
    </message>
    <message>
        <source>%1: the sample format or rate is not one this reads.</source>
        <translation>%1: このサンプル形式またはサンプリング周波数には対応していません。</translation>
    </message>
    <message>
        <source>%1 has no such channel.</source>
        <translation>%1 にはそのチャンネルがありません。</translation>
    </message>
    <message>
        <source>%1 holds no samples.</source>
        <translation>%1 にはサンプルがありません。</translation>
    </message>
    <message>
        <source>Seconds to record beyond the signal's length (default 1).</source>
        <translation>信号の長さを超えて録音する秒数（既定は1）。</translation>
    </message>
    <message>
        <source>loopback: pass</source>
        <translation>ループバック: 合格</translation>
    </message>
    <message>
        <source>loopback: fail</source>
        <translation>ループバック: 不合格</translation>
    </message>
    <message>
        <source>level %1 dBFS, mark %2 Hz, space %3 Hz</source>
        <translation>レベル %1 dBFS、マーク %2 Hz、スペース %3 Hz</translation>
    </message>
    <message>
        <source>the frame sent was not received whole</source>
        <translation>送ったフレームがそのまま受信されませんでした</translation>
    </message>
    <message>
        <source>Makes the Japanese caller ID signal: the frame, a WAVE file, a play on the default output.

Commands:
  frame    print the frame as the dialog's status line shows it
  save     write the signal as a WAVE file (-o FILE)
  play     play the signal once on the default output
  batch    save or play one request per line of a file
  decode   find and check every frame in a WAVE file or a recording
  loopback play while recording, and check the frame, level and tones received

corvane-cli COMMAND --help shows the options of a command.</source>
        <translation>日本の発信者番号通知の信号を作ります: フレーム、WAVEファイル、既定の出力での再生。

コマンド:
  frame    ダイアログのステータス行と同じ形でフレームを表示する
  save     信号をWAVEファイルに書き込む（-o FILE）
  play     信号を既定の出力で1回再生する
  batch    ファイルの1行ごとの要求を保存または再生する
  decode   WAVEファイルまたは録音の中のフレームをすべて見つけて検査する
  loopback 再生しながら録音し、受信したフレームとレベル、周波数を確かめる

corvane-cli COMMAND --help でコマンドのオプションを表示します。</translation>
    </message>
    <message>
        <source>frame, save, play, batch, decode or loopback</source>
        <translation>frame、save、play、batch、decode、loopback のいずれか</translation>
    </message>
    <message>
        <source>the command</source>
        <translation>コマンド</translation>
    </message>
    <message>
        <source>Give a command: frame, save, play, batch, decode or loopback.</source>
        <translation>コマンドを指定してください: frame、save、play、batch、decode、loopback。</translation>
    </message>
    <message>
        <source>Unknown command "%1".</source>
        <translation>不明なコマンド「%1」です。</translation>
    </message>
    <message>
        <source>corvane-cli --help lists the commands.</source>
        <translation>corvane-cli --help でコマンドの一覧を表示します。</translation>
    </message>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>コマンドラインオプションの説明を表示します。</translation>
    </message>
    <message>
        <source>Unexpected argument &quot;%1&quot;.</source>
        <translation>余分な引数「%1」があります。</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>フォルダー %1 がありません。</translation>
    </message>
    <message>
        <source>the line holds a control character (%1)</source>
        <translation>行に制御文字（%1）があります</translation>
    </message>
    <message>
        <source>%1 was written by an earlier line; nothing is replaced</source>
        <translation>%1 は前の行が書いたので、置き換えません</translation>
    </message>
    <message>
        <source>Cannot write to standard output.</source>
        <translation>標準出力に書けません。</translation>
    </message>
    <message>
        <source>--param is TYPE:TEXT with TYPE from 0 to 255 (or 0x00 to 0xFF), not &quot;%1&quot;.</source>
        <translation>--param は TYPE:TEXT の形で、TYPE は 0～255（または 0x00～0xFF）です。「%1」ではありません。</translation>
    </message>
    <message>
        <source>Prints the frame in hexadecimal, as the dialog's status line shows it, or as JSON.

Example: corvane-cli frame --number 0312345678</source>
        <translation>フレームを、ダイアログの状態表示行と同じ16進数で、またはJSONで表示します。

例: corvane-cli frame --number 0312345678</translation>
    </message>
    <message>
        <source>Writes the signal as a WAVE file, replacing an existing file whole or not at all.

Example: corvane-cli save --reason P --amplitude 50 -o refused.wav</source>
        <translation>信号をWAVEファイルに書きます。既存のファイルは丸ごと置き換えるか、まったく変えません。

例: corvane-cli save --reason P --amplitude 50 -o refused.wav</translation>
    </message>
    <message>
        <source>Plays the signal once on the default output; exit status 0 only if all of it went out.

Example: corvane-cli play --number 0312345678 --volume 60</source>
        <translation>既定の出力で信号を1回再生します。終了ステータス0は信号がすべて出たときだけです。

例: corvane-cli play --number 0312345678 --volume 60</translation>
    </message>
    <message>
        <source>Plays the signal while recording the default input, and checks the frame, level and tones received.

Example: corvane-cli loopback --reason P --volume 80</source>
        <translation>既定の入力を録音しながら信号を再生し、受け取ったフレーム、レベル、トーンを確かめます。

例: corvane-cli loopback --reason P --volume 80</translation>
    </message>
    <message>
        <source>Saves or plays one request a line of FILE: &quot;number N&quot; or &quot;reason P&quot;, then amplitude= and name= fields.

Example: corvane-cli batch numbers.txt --dir out</source>
        <translation>FILEの1行に1つの要求（&quot;number N&quot; または &quot;reason P&quot; と、amplitude= と name= の欄）を保存または再生します。

例: corvane-cli batch numbers.txt --dir out</translation>
    </message>
    <message>
        <source>Finds every frame in a recording and checks it by every rule of the frame.

Example: corvane-cli decode line.wav --json</source>
        <translation>録音の中のすべてのフレームを探し、フレームの規則どおりか確かめます。

例: corvane-cli decode line.wav --json</translation>
    </message>
    <message>
        <source>No progress line on the terminal.</source>
        <translation>端末に進み具合の行を出しません。</translation>
    </message>
    <message>
        <source>batch: line %1, %2 played, %3 failed</source>
        <translation>batch: %1 行目、%2 件再生、%3 件失敗</translation>
    </message>
    <message>
        <source>batch: line %1, %2 written, %3 failed</source>
        <translation>batch: %1 行目、%2 件保存、%3 件失敗</translation>
    </message>
    <message>
        <source>%1 is not a recording this reads.</source>
        <translation>%1 は読める録音ではありません。</translation>
    </message>
    <message>
        <source>%1 is not a recording this reads: %2.</source>
        <translation>%1 は読める録音ではありません: %2。</translation>
    </message>
    <message>
        <source>--raw-format is RATE:ENCODING, RATE 8000 to 96000 and ENCODING one of u8, s16le, s24le, s32le, f32le, f64le, ulaw and alaw, not &quot;%1&quot;.</source>
        <translation>--raw-format は RATE:ENCODING の形で、RATE は 8000～96000、ENCODING は u8、s16le、s24le、s32le、f32le、f64le、ulaw、alaw のいずれかです。「%1」ではありません。</translation>
    </message>
    <message>
        <source>Raw samples of one channel, as RATE:ENCODING (e.g. 8000:ulaw, 48000:s16le).</source>
        <translation>1チャンネルの生のサンプル。RATE:ENCODING の形（例: 8000:ulaw、48000:s16le）。</translation>
    </message>
    <message>
        <source>A sound file (WAVE, FLAC, AIFF, AU, W64, RF64, CAF...); - for standard input (WAVE or raw).</source>
        <translation>音声ファイル（WAVE、FLAC、AIFF、AU、W64、RF64、CAF など）。- なら標準入力（WAVE または生のサンプル）。</translation>
    </message>
    <message>
        <source>the recording</source>
        <translation>録音</translation>
    </message>
</context>
</TS>
