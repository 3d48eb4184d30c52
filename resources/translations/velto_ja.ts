<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name></name>
    <message id="IDS_APP_TITLE">
        <source>Velto</source>
        <translation>Velto</translation>
    </message>
    <message id="IDS_NOW_GROUP">
        <source>Now recording</source>
        <translation>録音中</translation>
    </message>
    <message id="IDS_LEVEL_NAME">
        <source>Level</source>
        <translation>レベル</translation>
    </message>
    <message id="IDS_LEVEL_DESCRIPTION">
        <source>The sound level being recorded, from -60 to 0 dB</source>
        <translation>録音している音の大きさ（-60〜0 dB）</translation>
    </message>
    <message id="IDS_WAITING_GROUP">
        <source>Waiting</source>
        <translation>録音待ち</translation>
    </message>
    <message id="IDS_COLUMN_START">
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message id="IDS_COLUMN_STATION">
        <source>Station</source>
        <translation>放送局</translation>
    </message>
    <message id="IDS_COLUMN_TITLE">
        <source>Title</source>
        <translation>番組名</translation>
    </message>
    <message id="IDS_WAITING_NAME">
        <source>Programmes waiting to be recorded</source>
        <translation>録音を待っている番組</translation>
    </message>
    <message id="IDS_RECENT_GROUP">
        <source>Last recordings</source>
        <translation>最近の録音</translation>
    </message>
    <message id="IDS_COLUMN_RESULT">
        <source>Result</source>
        <translation>結果</translation>
    </message>
    <message id="IDS_RECENT_NAME">
        <source>Last recordings; Open plays the selected one</source>
        <translation>最近の録音（「開く」で選んだ録音を再生）</translation>
    </message>
    <message id="IDS_OPEN">
        <source>&amp;Open</source>
        <translation>開く(&amp;O)</translation>
    </message>
    <message id="IDS_OPEN_DESCRIPTION">
        <source>Plays the selected recording</source>
        <translation>選んだ録音を再生します</translation>
    </message>
    <message id="IDS_SHOW_FOLDER">
        <source>Show in &amp;Folder</source>
        <translation>フォルダを表示(&amp;F)</translation>
    </message>
    <message id="IDS_SETTINGS_BUTTON">
        <source>&amp;Settings…</source>
        <translation>設定(&amp;S)…</translation>
    </message>
    <message id="IDS_HIDE_BUTTON">
        <source>&amp;Hide</source>
        <translation>隠す(&amp;H)</translation>
    </message>
    <message id="IDS_HIDE_DESCRIPTION">
        <source>Hides the window; recordings go on</source>
        <translation>ウインドウを隠します。録音は続きます</translation>
    </message>
    <message id="IDS_NOT_RECORDING">
        <source>Not recording</source>
        <translation>録音していません</translation>
    </message>
    <message id="IDS_ELAPSED_LEFT">
        <source>Elapsed %1 · %2 left</source>
        <translation>経過 %1 ・ 残り %2</translation>
    </message>
    <message id="IDS_STEREO">
        <source>Stereo</source>
        <translation>ステレオ</translation>
    </message>
    <message id="IDS_MONO">
        <source>Mono</source>
        <translation>モノラル</translation>
    </message>
    <message id="IDS_FILE_GONE">
        <source>The file is no longer there: %1</source>
        <translation>ファイルが見つかりません: %1</translation>
    </message>
    <message id="IDS_OPEN_FAILED">
        <source>No program is set up to open %1.</source>
        <translation>%1 を開くアプリケーションが設定されていません。</translation>
    </message>
    <message id="IDS_SETTINGS_NOT_SAVED">
        <source>The settings could not be saved in %1.</source>
        <translation>設定を %1 に保存できませんでした。</translation>
    </message>
    <message id="IDS_TRAY_SHOW">
        <source>Show Velto</source>
        <translation>Velto を表示</translation>
    </message>
    <message id="IDS_TRAY_RECORDING">
        <source>Velto: recording</source>
        <translation>Velto: 録音中</translation>
    </message>
    <message id="IDS_USE_RECEIVER">
        <source>Receiver</source>
        <translation>受信機</translation>
    </message>
    <message id="IDS_USE_STREAM">
        <source>Stream</source>
        <translation>ストリーム</translation>
    </message>
    <message id="IDS_USE_FALLBACK">
        <source>Stream when no receiver</source>
        <translation>受信機がないときはストリーム</translation>
    </message>
    <message id="IDS_USE_NAME">
        <source>Record from</source>
        <translation>録音元</translation>
    </message>
    <message id="IDS_SETTINGS_TITLE">
        <source>Velto Settings</source>
        <translation>Velto の設定</translation>
    </message>
    <message id="IDS_TAB_RECEIVER">
        <source>Receiver</source>
        <translation>受信機</translation>
    </message>
    <message id="IDS_TAB_RECORDINGS">
        <source>Recordings</source>
        <translation>録音</translation>
    </message>
    <message id="IDS_TAB_STATIONS">
        <source>Stations</source>
        <translation>放送局</translation>
    </message>
    <message id="IDS_SOURCE_FIRST">
        <source>The first receiver found</source>
        <translation>最初に見つかった受信機</translation>
    </message>
    <message id="IDS_REFRESH">
        <source>&amp;Look Again</source>
        <translation>再検索(&amp;L)</translation>
    </message>
    <message id="IDS_REFRESH_DESCRIPTION">
        <source>Looks again for SDR receivers and USB radio tuners</source>
        <translation>SDR 受信機と USB ラジオチューナーをもう一度探します</translation>
    </message>
    <message id="IDS_AUTO_GAIN">
        <source>&amp;Automatic gain</source>
        <translation>自動ゲイン(&amp;A)</translation>
    </message>
    <message id="IDS_DIRECT_SAMPLING">
        <source>&amp;Direct sampling</source>
        <translation>ダイレクトサンプリング(&amp;D)</translation>
    </message>
    <message id="IDS_UPCONVERTER">
        <source>&amp;Upconverter, offset</source>
        <translation>アップコンバーター、オフセット(&amp;U)</translation>
    </message>
    <message id="IDS_DEEMPHASIS_50">
        <source>50 µs (Japan, Europe)</source>
        <translation>50 µs（日本・ヨーロッパ）</translation>
    </message>
    <message id="IDS_DEEMPHASIS_75">
        <source>75 µs (the Americas, Korea)</source>
        <translation>75 µs（南北アメリカ・韓国）</translation>
    </message>
    <message id="IDS_SOURCE_LABEL">
        <source>&amp;Source:</source>
        <translation>録音元(&amp;S):</translation>
    </message>
    <message id="IDS_GAIN_LABEL">
        <source>Gain:</source>
        <translation>ゲイン:</translation>
    </message>
    <message id="IDS_PPM_LABEL">
        <source>&amp;Frequency correction:</source>
        <translation>周波数補正(&amp;F):</translation>
    </message>
    <message id="IDS_AM_LABEL">
        <source>AM reception:</source>
        <translation>AM の受信:</translation>
    </message>
    <message id="IDS_DEEMPHASIS_LABEL">
        <source>FM de-&amp;emphasis:</source>
        <oldsource>FM &amp;de-emphasis:</oldsource>
        <translation>FM ディエンファシス(&amp;E):</translation>
    </message>
    <message id="IDS_SOURCE_NAME">
        <source>Source</source>
        <translation>録音元</translation>
    </message>
    <message id="IDS_GAIN_NAME">
        <source>Gain in dB</source>
        <translation>ゲイン（dB）</translation>
    </message>
    <message id="IDS_PPM_NAME">
        <source>Frequency correction in ppm</source>
        <translation>周波数補正（ppm）</translation>
    </message>
    <message id="IDS_UPCONVERTER_NAME">
        <source>Upconverter offset in MHz</source>
        <translation>アップコンバーターのオフセット（MHz）</translation>
    </message>
    <message id="IDS_DEEMPHASIS_NAME">
        <source>FM de-emphasis</source>
        <translation>FM ディエンファシス</translation>
    </message>
    <message id="IDS_AM_DESCRIPTION">
        <source>AM on an RTL-SDR dongle: direct sampling of its Q branch, or an upconverter ahead of the antenna input</source>
        <translation>RTL-SDR ドングルで AM を受信する方法: Q ブランチのダイレクトサンプリング、またはアンテナ入力の前に入れたアップコンバーター</translation>
    </message>
    <message id="IDS_FOLDER_NAME">
        <source>Recordings folder</source>
        <translation>録音フォルダ</translation>
    </message>
    <message id="IDS_CHOOSE_FOLDER">
        <source>&amp;Choose…</source>
        <translation>選択(&amp;C)…</translation>
    </message>
    <message id="IDS_CHOOSE_FOLDER_DESCRIPTION">
        <source>Chooses the recordings folder</source>
        <translation>録音フォルダを選びます</translation>
    </message>
    <message id="IDS_FOLDER_DIALOG">
        <source>Recordings Folder</source>
        <translation>録音フォルダ</translation>
    </message>
    <message id="IDS_BITRATE">
        <source>%1 kbit/s stereo, %2 kbit/s mono</source>
        <translation>ステレオ %1 kbit/s、モノラル %2 kbit/s</translation>
    </message>
    <message id="IDS_BITRATE_NAME">
        <source>Quality</source>
        <translation>音質</translation>
    </message>
    <message id="IDS_FOLDER_LABEL">
        <source>&amp;Folder:</source>
        <translation>フォルダ(&amp;F):</translation>
    </message>
    <message id="IDS_BITRATE_LABEL">
        <source>&amp;Quality:</source>
        <translation>音質(&amp;Q):</translation>
    </message>
    <message id="IDS_STATIONS_INTRO">
        <source>Stations listed here can be recorded from their internet stream instead of the receiver. Type the station as &quot;FM 80.0&quot; or &quot;AM 594&quot;.</source>
        <translation>ここに登録した放送局は、受信機の代わりにインターネットのストリームから録音できます。放送局は「FM 80.0」「AM 594」のように入力します。</translation>
    </message>
    <message id="IDS_STATIONS_STATION">
        <source>Station</source>
        <translation>放送局</translation>
    </message>
    <message id="IDS_STATIONS_NAME">
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message id="IDS_STATIONS_URL">
        <source>Stream address</source>
        <translation>ストリームのアドレス</translation>
    </message>
    <message id="IDS_STATIONS_USE">
        <source>Record from</source>
        <translation>録音元</translation>
    </message>
    <message id="IDS_STATIONS_TABLE_NAME">
        <source>Stations table</source>
        <translation>放送局の一覧</translation>
    </message>
    <message id="IDS_STATION_ADD">
        <source>&amp;Add</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message id="IDS_STATION_REMOVE">
        <source>&amp;Remove</source>
        <translation>削除(&amp;R)</translation>
    </message>
    <message id="IDS_SEARCHING">
        <source>Looking for receivers…</source>
        <translation>受信機を探しています…</translation>
    </message>
    <message id="IDS_SOURCE_MISSING">
        <source>%1 (not found now)</source>
        <translation>%1（現在見つかりません）</translation>
    </message>
    <message id="IDS_SEARCH_FAILED">
        <source>The search for receivers failed: %1</source>
        <translation>受信機を探せませんでした: %1</translation>
    </message>
    <message id="IDS_NONE_FOUND">
        <source>No receiver found. Plug one in and look again.</source>
        <translation>受信機が見つかりません。接続してから再検索してください。</translation>
    </message>
    <message id="IDS_FOUND" numerus="yes">
        <source>%n receiver(s) found.</source>
        <translation>
            <numerusform>受信機が %n 台見つかりました。</numerusform>
        </translation>
    </message>
    <message id="IDS_STATION_REFUSED">
        <source>Station %1 (row %2) cannot be kept: %3</source>
        <translation>%2 行目の放送局 %1 は登録できません: %3</translation>
    </message>
    <message id="IDS_REASON_ALREADY_OVER">
        <source>The programme had already ended when it was handed over.</source>
        <translation>受け取ったときには番組がすでに終わっていました。</translation>
    </message>
    <message id="IDS_REASON_BAD_CHANNEL">
        <source>The channel lies outside its band.</source>
        <translation>周波数がバンドの範囲外です。</translation>
    </message>
    <message id="IDS_REASON_BAD_TIMES">
        <source>The programme ends before it starts.</source>
        <translation>番組の終了時刻が開始時刻より前です。</translation>
    </message>
    <message id="IDS_REASON_OVERLAPPED">
        <source>Another recording took the receiver for the whole programme.</source>
        <translation>番組の時間すべてを別の録音が受信機を使っていました。</translation>
    </message>
    <message id="IDS_REASON_STARTED_LATE">
        <source>Started late: the receiver was busy with the programme before.</source>
        <translation>前の番組の録音中だったため、遅れて録音を始めました。</translation>
    </message>
    <message id="IDS_REASON_SOURCE_LOST">
        <source>The receiver was lost and did not come back.</source>
        <translation>受信機が切断され、戻りませんでした。</translation>
    </message>
    <message id="IDS_REASON_STOPPED">
        <source>The recording was stopped.</source>
        <translation>録音を中止しました。</translation>
    </message>
    <message id="IDS_REASON_DISK_FULL">
        <source>The disk is full; the recording stopped and what was written is kept.</source>
        <translation>ディスクがいっぱいです。録音を止め、それまでの分は残しました。</translation>
    </message>
    <message id="IDS_REASON_WRITE_FAILED">
        <source>The recording could not be written.</source>
        <translation>録音を書き込めませんでした。</translation>
    </message>
    <message id="IDS_REASON_FOLDER_UNWRITABLE">
        <source>The recordings folder cannot be written to.</source>
        <translation>録音フォルダに書き込めません。</translation>
    </message>
    <message id="IDS_REASON_NO_RECEIVER">
        <source>No receiver was found. Is it plugged in?</source>
        <translation>受信機が見つかりません。接続されていますか？</translation>
    </message>
    <message id="IDS_REASON_DEVICE_BUSY">
        <source>The receiver is in use by another program.</source>
        <translation>受信機は別のプログラムが使用中です。</translation>
    </message>
    <message id="IDS_REASON_PERMISSION_DENIED">
        <source>The receiver may not be used by this user (device permissions).</source>
        <translation>このユーザーには受信機を使う権限がありません（デバイスのアクセス権）。</translation>
    </message>
    <message id="IDS_REASON_BAD_SOURCE">
        <source>The source in the settings is not one this program knows.</source>
        <translation>設定の録音元はこのプログラムでは使えません。</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_ENDED">
        <source>The capture ended before the programme did.</source>
        <translation>番組の終わりより前にキャプチャが終わりました。</translation>
    </message>
    <message id="IDS_REASON_CONNECTION_LOST">
        <source>The connection to the stream was lost.</source>
        <translation>ストリームとの接続が切れました。</translation>
    </message>
    <message id="IDS_REASON_CONNECTION_FAILED">
        <source>The stream could not be reached.</source>
        <translation>ストリームに接続できませんでした。</translation>
    </message>
    <message id="IDS_REASON_LOW_SPACE">
        <source>The free space may not be enough for the whole programme.</source>
        <translation>空き容量が番組全体には足りないかもしれません。</translation>
    </message>
    <message id="IDS_REASON_NOTE_UNWRITTEN">
        <source>The programme could not be noted beside the file; a crash would go unreported.</source>
        <translation>番組情報を録音ファイルの横に保存できませんでした。録音中に Velto が止まると、その結果を予約録音ソフトに伝えられません。</translation>
    </message>
    <message id="IDS_REASON_NO_SIGNAL">
        <source>No signal on this station: check the antenna.</source>
        <translation>この放送局の電波を受信できません。アンテナを確認してください。</translation>
    </message>
    <message id="IDS_REASON_STREAM_FALLBACK">
        <source>No receiver was found; recorded from the station&apos;s stream.</source>
        <translation>受信機が見つからないため、放送局のストリームから録音しました。</translation>
    </message>
    <message id="IDS_REASON_NO_SOUND">
        <source>Nothing was heard, so no file was kept.</source>
        <translation>音が入っていなかったため、ファイルは残していません。</translation>
    </message>
    <message id="IDS_REASON_BAD_URL">
        <source>The stream address is not an http or https address.</source>
        <translation>ストリームのアドレスが http または https のアドレスではありません。</translation>
    </message>
    <message id="IDS_REASON_NO_STREAM">
        <source>The station is to be recorded from its stream, but it has no stream address.</source>
        <translation>ストリームから録音する設定ですが、ストリームのアドレスがありません。</translation>
    </message>
    <message id="IDS_REASON_TOO_MANY_STATIONS">
        <source>The stations table is full.</source>
        <translation>放送局の一覧がいっぱいです。</translation>
    </message>
    <message id="IDS_REASON_BAD_MESSAGE">
        <source>The message from the manager could not be read.</source>
        <translation>予約録音ソフトからのメッセージを読み取れませんでした。</translation>
    </message>
    <message id="IDS_REASON_RECOVERED">
        <source>The recording program stopped before the end; the file was finished at the next start.</source>
        <translation>録音ソフトが途中で終了しました。次の起動時にファイルを仕上げました。</translation>
    </message>
    <message id="IDS_REASON_OTHER">
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message id="IDS_RESULT_RECORDED">
        <source>Recorded %1</source>
        <translation>録音済み %1</translation>
    </message>
    <message id="IDS_RESULT_PARTIAL">
        <source>Partly recorded %1</source>
        <translation>一部のみ録音 %1</translation>
    </message>
    <message id="IDS_RESULT_FAILED">
        <source>Not recorded</source>
        <translation>録音されていません</translation>
    </message>
    <message id="IDS_STATION_FM">
        <source>FM %1 MHz</source>
        <translation>FM %1 MHz</translation>
    </message>
    <message id="IDS_STATION_AM">
        <source>AM %1 kHz</source>
        <translation>AM %1 kHz</translation>
    </message>
    <message id="IDS_NO_BUS">
        <source>Velto cannot reach the session bus, so the manager cannot hand it recordings.</source>
        <translation>Velto はセッションバスに接続できないため、予約録音ソフトから録音を受け取れません。</translation>
    </message>
    <message id="IDS_FOLDER_PROBLEM">
        <source>The recordings folder cannot be used: %1</source>
        <translation>録音フォルダを使えません: %1</translation>
    </message>
    <message id="IDS_REASON_OUTSIDE_CAPTURE">
        <source>The station lies outside the capture&apos;s band.</source>
        <translation>放送局の周波数がキャプチャの範囲外です。</translation>
    </message>
    <message id="IDS_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="IDS_CANCEL">
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message id="IDS_STATIONS_UNREADABLE">
        <source>The stations file could not be read, so it is left as it is and not used: %1</source>
        <translation>放送局のファイルを読み込めないため、そのままにして使いません: %1</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_LOST">
        <source>The receiver stopped delivering sound.</source>
        <translation>受信機から音が届かなくなりました。</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_TIMEOUT">
        <source>The receiver did not answer in time.</source>
        <translation>受信機が時間内に応答しませんでした。</translation>
    </message>
    <message id="IDS_REASON_RECEIVER_FAILED">
        <source>The receiver failed to start.</source>
        <translation>受信機を起動できませんでした。</translation>
    </message>
    <message id="IDS_REASON_TUNING_FAILED">
        <source>The tuner could not be set to the station.</source>
        <translation>チューナーをこの放送局に合わせられませんでした。</translation>
    </message>
    <message id="IDS_REASON_DEVICE_ERROR">
        <source>The tuner reported an error.</source>
        <translation>チューナーがエラーを報告しました。</translation>
    </message>
    <message id="IDS_REASON_FREQUENCY_OUT_OF_RANGE">
        <source>The station lies outside what the tuner can receive.</source>
        <translation>この放送局はチューナーの受信範囲外です。</translation>
    </message>
    <message id="IDS_REASON_STATION_UNREACHABLE">
        <source>Direct sampling cannot reach this station.</source>
        <translation>ダイレクトサンプリングではこの放送局を受信できません。</translation>
    </message>
    <message id="IDS_REASON_NOT_A_RADIO">
        <source>The device is not a radio tuner.</source>
        <translation>このデバイスはラジオチューナーではありません。</translation>
    </message>
    <message id="IDS_REASON_NO_SOUND_CARD">
        <source>The tuner&apos;s sound card was not found.</source>
        <translation>チューナーのサウンドカードが見つかりません。</translation>
    </message>
    <message id="IDS_REASON_SOUND_CARD_ERROR">
        <source>The tuner&apos;s sound card failed.</source>
        <translation>チューナーのサウンドカードでエラーが起きました。</translation>
    </message>
    <message id="IDS_REASON_HTTP_ERROR">
        <source>The stream&apos;s server refused it.</source>
        <translation>ストリームのサーバーに拒否されました。</translation>
    </message>
    <message id="IDS_REASON_UNSUPPORTED_STREAM">
        <source>The stream is in a form that cannot be recorded.</source>
        <translation>このストリームは録音できない形式です。</translation>
    </message>
    <message id="IDS_REASON_SOURCE_STALLED">
        <source>The source delivered nothing for a while.</source>
        <translation>しばらくの間、録音元から何も届きませんでした。</translation>
    </message>
    <message id="IDS_REASON_SOURCE_AHEAD">
        <source>The source ran ahead of the clock; the surplus was dropped.</source>
        <translation>録音元が時計より先に進んだため、余った分を捨てました。</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_UNREADABLE">
        <source>The capture file cannot be read.</source>
        <translation>キャプチャファイルを読み込めません。</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_NOT_A_FILE">
        <source>The capture is not a regular file.</source>
        <translation>キャプチャが通常のファイルではありません。</translation>
    </message>
    <message id="IDS_REASON_CAPTURE_EMPTY">
        <source>The capture holds no samples.</source>
        <translation>キャプチャにサンプルがありません。</translation>
    </message>
    <message id="IDS_STATION_ADD_OTHER">
        <source>Another Station</source>
        <translation>その他の放送局</translation>
    </message>
    <message id="IDS_SETTINGS_PAGES">
        <source>Settings pages</source>
        <translation>設定のページ</translation>
    </message>
    <message id="IDS_STATION_NO_NAME">
        <source>No name</source>
        <translation>名前なし</translation>
    </message>
    <message id="IDS_STATION_NO_URL">
        <source>No stream address</source>
        <translation>ストリームのアドレスなし</translation>
    </message>
</context>
</TS>
