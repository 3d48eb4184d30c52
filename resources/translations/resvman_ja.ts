<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name></name>
    <message id="AppTitle">
        <source>Velto Timer Recorder</source>
        <translation>Velto 予約録音</translation>
    </message>
    <message id="IDS_ADD">
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message id="IDS_DELETE">
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message id="IDS_EDIT">
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message id="IDS_CONFIG">
        <source>Settings</source>
        <translation>設定</translation>
    </message>
    <message id="IDS_TASK_TRAY">
        <source>Hide</source>
        <translation>隠す</translation>
    </message>
    <message id="IDS_EXIT">
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message id="IDS_MARU">
        <source>✓</source>
        <translation>○</translation>
    </message>
    <message id="sun">
        <source>Sunday</source>
        <translation>日曜日</translation>
    </message>
    <message id="mon">
        <source>Monday</source>
        <translation>月曜日</translation>
    </message>
    <message id="tue">
        <source>Tuesday</source>
        <translation>火曜日</translation>
    </message>
    <message id="wed">
        <source>Wednesday</source>
        <translation>水曜日</translation>
    </message>
    <message id="thu">
        <source>Thursday</source>
        <translation>木曜日</translation>
    </message>
    <message id="fri">
        <source>Friday</source>
        <translation>金曜日</translation>
    </message>
    <message id="sat">
        <source>Saturday</source>
        <translation>土曜日</translation>
    </message>
    <message id="IDS_WARN_OVERWRAP_TASK">
        <source>This reservation overlaps the time of another reservation. Both are kept; only one of them can be recorded.</source>
        <translation>この予約は、ほかの予約と時間が重なっています。予約は両方とも残りますが、録音できるのはどちらか一方だけです。</translation>
    </message>
    <message id="IDS_WARN_DELETE_SELECTED_TASK">
        <source>Delete the selected reservations?</source>
        <translation>選択した予約を削除しますか？</translation>
    </message>
    <message id="IDS_WARN_DELETE_ALL_TASK">
        <source>Delete all reservations?</source>
        <translation>すべての予約を削除しますか？</translation>
    </message>
    <message id="IDS_RECTIME_HOURANDMINUTE">
        <source>Recording time: %1 h %2 min</source>
        <translation>録音時間：%1時間%2分</translation>
    </message>
    <message id="IDS_RECTIME_MINUTE">
        <source>Recording time: %1 min</source>
        <translation>録音時間：%1分</translation>
    </message>
    <message id="IDS_ERR_TOO_LONG_TITLE">
        <source>The title is too long. Use at most 255 bytes (about 85 Japanese characters).</source>
        <translation>番組名が長すぎます。255バイト（全角で約85文字）以内にしてください。</translation>
    </message>
    <message id="IDS_ERR_INVALID_FREQ">
        <source>The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 94.9 MHz.</source>
        <translation>周波数が正しくありません。AMは522〜1602kHz（9kHz間隔）、FMは76.0〜94.9MHzの範囲で指定してください。</translation>
    </message>
    <message id="IDS_ERR_PASSED_REC_TIME">
        <source>The end time of this recording has already passed.</source>
        <translation>この録音の終了時刻はすでに過ぎています。</translation>
    </message>
    <message id="IDS_CONFIG_RESTORE">
        <source> minutes before</source>
        <translation>分前</translation>
    </message>
    <message id="IDS_WARN_USE_ACPI">
        <source>To wake the computer for recordings, you will be asked for an administrator password, and the computer must be able to wake from its real-time clock alarm. Leave it suspended or powered off (not unplugged).</source>
        <translation>録音のためにコンピュータを起動するには、管理者パスワードの入力が必要です。また、コンピュータがリアルタイムクロックのアラームで起動できる必要があります。スリープまたは電源オフの状態にしておいてください（電源プラグは抜かないでください）。</translation>
    </message>
    <message id="IDS_WARN_ABOUT_EXIT">
        <source>Some reservations are still waiting to be recorded. If you exit now, they will not be recorded. Exit anyway?</source>
        <translation>録音待ちの予約があります。いま終了すると、これらの予約は録音されません。終了しますか？</translation>
    </message>
    <message id="IDS_PROGCOUNT_SHUTDOWN">
        <source>Exiting in %1 s.</source>
        <translation>あと%1秒で終了します。</translation>
    </message>
    <message id="IDS_REGIST_WINDOW_TITLE">
        <source>Recording Reservation</source>
        <translation>録音予約</translation>
    </message>
    <message id="IDS_REGIST_DATE">
        <source>Date:</source>
        <translation>日付：</translation>
    </message>
    <message id="IDS_REGIST_START">
        <source>Start:</source>
        <translation>開始時刻：</translation>
    </message>
    <message id="IDS_REGIST_END">
        <source>End:</source>
        <translation>終了時刻：</translation>
    </message>
    <message id="IDS_REGIST_CHANNEL">
        <source>Frequency:</source>
        <translation>周波数：</translation>
    </message>
    <message id="IDS_REGIST_STATION">
        <source>Station:</source>
        <translation>放送局：</translation>
    </message>
    <message id="IDS_REGIST_PROGRAM">
        <source>Title:</source>
        <translation>番組名：</translation>
    </message>
    <message id="IDS_REGIST_WEEKLY">
        <source>Every week on:</source>
        <translation>毎週：</translation>
    </message>
    <message id="IDS_REGIST_SUN">
        <source>Sun</source>
        <translation>日</translation>
    </message>
    <message id="IDS_REGIST_MON">
        <source>Mon</source>
        <translation>月</translation>
    </message>
    <message id="IDS_REGIST_TUE">
        <source>Tue</source>
        <translation>火</translation>
    </message>
    <message id="IDS_REGIST_WED">
        <source>Wed</source>
        <translation>水</translation>
    </message>
    <message id="IDS_REGIST_THU">
        <source>Thu</source>
        <translation>木</translation>
    </message>
    <message id="IDS_REGIST_FRI">
        <source>Fri</source>
        <translation>金</translation>
    </message>
    <message id="IDS_REGIST_SAT">
        <source>Sat</source>
        <translation>土</translation>
    </message>
    <message id="IDS_REGIST_OK">
        <source>Register</source>
        <translation>登録</translation>
    </message>
    <message id="IDS_REGIST_CANCEL">
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message id="IDS_CONFIG_WINDOW_TITLE">
        <source>Power Settings</source>
        <translation>電源設定</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_POWER">
        <source>Sleep and Wake-up</source>
        <translation>スリープと起動</translation>
    </message>
    <message id="IDS_CONFIG_ALLOW_SUSPEND">
        <source>Allow the computer to sleep when idle</source>
        <translation>アイドル時にコンピュータのスリープを許可する</translation>
    </message>
    <message id="IDS_CONFIG_USE_ACPI">
        <source>Wake the computer before each reservation</source>
        <translation>予約の前にコンピュータを起動する</translation>
    </message>
    <message id="IDS_CONFIG_RESTORE_CAPTION">
        <source>Wake up:</source>
        <translation>起動するタイミング：</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_AFTER">
        <source>After Recording</source>
        <translation>録音後の動作</translation>
    </message>
    <message id="IDS_CONFIG_EXIT_AFTER_RECORD">
        <source>Quit Velto after each recording</source>
        <translation>録音が終わったら Velto を終了する</translation>
    </message>
    <message id="IDS_CONFIG_SHUTDOWN">
        <source>Shut down the computer after the last reservation</source>
        <translation>最後の予約が終わったらコンピュータの電源を切る</translation>
    </message>
    <message id="IDS_BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="IDS_BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message id="IDS_TRAY_SHOW">
        <source>&amp;Show</source>
        <translation>表示(&amp;S)</translation>
    </message>
    <message id="IDS_COL_DATE">
        <source>Date</source>
        <translation>日付</translation>
    </message>
    <message id="IDS_COL_WEEKLY">
        <source>Weekly</source>
        <translation>毎週</translation>
    </message>
    <message id="IDS_COL_START">
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message id="IDS_COL_END">
        <source>End</source>
        <translation>終了</translation>
    </message>
    <message id="IDS_COL_CHANNEL">
        <source>Frequency</source>
        <translation>周波数</translation>
    </message>
    <message id="IDS_COL_STATION">
        <source>Station</source>
        <translation>放送局</translation>
    </message>
    <message id="IDS_COL_TITLE">
        <source>Title</source>
        <translation>番組名</translation>
    </message>
    <message id="IDS_TIP_OVER">
        <source>Missed: the time of this reservation passed without a recording.</source>
        <translation>期限切れ：録音されないまま予約の時刻が過ぎました。</translation>
    </message>
    <message id="IDS_TIP_OFF">
        <source>Switched off: this reservation will not be recorded.</source>
        <translation>無効：この予約は録音されません。</translation>
    </message>
    <message id="IDS_TIP_OVERLAP">
        <source>Overlaps another reservation: only one of them can be recorded.</source>
        <translation>ほかの予約と時間が重なっています。録音できるのはどちらか一方だけです。</translation>
    </message>
    <message id="IDS_MENU_FILE">
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message id="IDS_MENU_RESERVATION">
        <source>&amp;Reservation</source>
        <translation>予約(&amp;R)</translation>
    </message>
    <message id="IDS_MENU_NEW">
        <source>&amp;New Reservation…</source>
        <translation>新規予約(&amp;N)…</translation>
    </message>
    <message id="IDS_MENU_EDIT">
        <source>&amp;Edit Reservation…</source>
        <translation>予約を編集(&amp;E)…</translation>
    </message>
    <message id="IDS_MENU_DELETE">
        <source>&amp;Delete Selected Reservations…</source>
        <translation>選択した予約を削除(&amp;D)…</translation>
    </message>
    <message id="IDS_MENU_DELETE_OVER">
        <source>Delete &amp;Missed Reservations</source>
        <translation>期限切れの予約を削除(&amp;M)</translation>
    </message>
    <message id="IDS_MENU_DELETE_ALL">
        <source>Delete &amp;All Reservations…</source>
        <translation>すべての予約を削除(&amp;A)…</translation>
    </message>
    <message id="IDS_MENU_SWITCH_ON">
        <source>Switch &amp;On</source>
        <translation>有効にする(&amp;O)</translation>
    </message>
    <message id="IDS_MENU_SWITCH_OFF">
        <source>Switch O&amp;ff</source>
        <translation>無効にする(&amp;F)</translation>
    </message>
    <message id="IDS_MENU_SETTINGS">
        <source>&amp;Settings…</source>
        <translation>設定(&amp;S)…</translation>
    </message>
    <message id="IDS_MENU_CLOSE">
        <source>&amp;Close Window</source>
        <translation>ウィンドウを閉じる(&amp;C)</translation>
    </message>
    <message id="IDS_MENU_DUAL_CLOSE">
        <source>Close &amp;Together with Velto</source>
        <translation>Velto と一緒に閉じる(&amp;T)</translation>
    </message>
    <message id="IDS_MENU_QUIT">
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message id="IDS_ERR_ALREADY_RUNNING">
        <source>Another copy of this program is already using the reservations in this folder. Close it before starting the program again.</source>
        <translation>このフォルダーの予約は、すでに起動している別のプログラムが使用しています。そちらを終了してから、もう一度起動してください。</translation>
    </message>
    <message id="IDS_CLI_READ_FAILED">
        <source>The reservation file %1 could not be read. Start the program once: it keeps a copy of a damaged file and goes on with what it can read.</source>
        <translation>予約ファイル %1 を読み込めませんでした。一度プログラムを起動してください。壊れたファイルはコピーを残したうえで、読み込める予約だけで動作を続けます。</translation>
    </message>
    <message id="IDS_REQ_SAVE_FAILED">
        <source>The reservations could not be saved to %1.</source>
        <translation>予約を %1 に保存できませんでした。</translation>
    </message>
    <message id="IDS_CLI_NO_ANSWER">
        <source>The running program did not answer (%1).</source>
        <translation>起動中のプログラムから応答がありません（%1）。</translation>
    </message>
    <message id="IDS_REQ_NOT_READY">
        <source>The program is starting or closing. Try again in a moment.</source>
        <translation>プログラムの起動中または終了中です。少し待ってから、もう一度お試しください。</translation>
    </message>
    <message id="IDS_CLI_HELP_HINT">
        <source>See “resvman --help”.</source>
        <translation>「resvman --help」をご覧ください。</translation>
    </message>
    <message id="IDS_CLI_LOCKED">
        <source>The program is using the reservations in %1 but cannot be reached over the session bus. Give the command in the session where the program runs, or set DBUS_SESSION_BUS_ADDRESS to that session&apos;s bus.</source>
        <translation>%1 の予約はプログラムが使用中ですが、セッションバスでプログラムに接続できません。プログラムが動いているセッションでコマンドを実行するか、DBUS_SESSION_BUS_ADDRESS にそのセッションのバスを指定してください。</translation>
    </message>
    <message id="IDS_CLI_PLAN_LATER">
        <source>The program is not running: the reservation file was changed directly. The wake-up plan is brought up to date when the program next starts.</source>
        <translation>プログラムが起動していないため、予約ファイルを直接変更しました。コンピュータを起動する予定は、次にプログラムを起動したときに更新されます。</translation>
    </message>
    <message id="IDS_CLI_STATE_MISSED">
        <source>missed</source>
        <translation>期限切れ</translation>
    </message>
    <message id="IDS_CLI_STATE_OFF">
        <source>off</source>
        <translation>無効</translation>
    </message>
    <message id="IDS_CLI_STATE_OVERLAPPING">
        <source>overlapping</source>
        <translation>時間重複</translation>
    </message>
    <message id="IDS_CLI_STATE_WAITING">
        <source>waiting</source>
        <translation>予約中</translation>
    </message>
    <message id="IDS_CLI_NO_RESERVATIONS">
        <source>No reservations.</source>
        <translation>予約はありません。</translation>
    </message>
    <message id="IDS_CLI_COL_STATE">
        <source>State</source>
        <translation>状態</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_LIST">
        <source>list: unknown argument “%1”.</source>
        <translation>list: 「%1」という引数は使えません。</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_ADD">
        <source>add: unknown argument “%1”.</source>
        <translation>add: 「%1」という引数は使えません。</translation>
    </message>
    <message id="IDS_CLI_TWICE">
        <source>add: “%1” is given twice.</source>
        <translation>add: 「%1」が二回指定されています。</translation>
    </message>
    <message id="IDS_CLI_NEEDS_VALUE">
        <source>add: “%1” needs a value.</source>
        <translation>add: 「%1」には値を指定してください。</translation>
    </message>
    <message id="IDS_CLI_BAD_ID">
        <source>“%1” is not a reservation id. The ids are the numbers that “resvman list” shows.</source>
        <translation>「%1」は予約のIDではありません。IDは「resvman list」で表示される番号です。</translation>
    </message>
    <message id="IDS_CLI_EXPORT_USAGE">
        <source>export: give --ics and, if you like, a file to write (standard output otherwise).</source>
        <translation>export: --ics を指定してください。書き出し先のファイルも指定できます（省略すると標準出力に書き出します）。</translation>
    </message>
    <message id="IDS_CLI_WRITE_FAILED">
        <source>The calendar could not be written to %1.</source>
        <translation>カレンダーを %1 に書き出せませんでした。</translation>
    </message>
    <message id="IDS_CLI_HELP_LIST">
        <source>show the reservations, as text or as JSON</source>
        <translation>予約の一覧をテキストまたはJSONで表示します</translation>
    </message>
    <message id="IDS_CLI_HELP_ADD">
        <source>add a reservation (switched off with --off) and print its id</source>
        <translation>予約を追加し、そのIDを表示します（--off を付けると無効の状態で追加します）</translation>
    </message>
    <message id="IDS_CLI_HELP_REMOVE">
        <source>delete reservations</source>
        <translation>予約を削除します</translation>
    </message>
    <message id="IDS_CLI_HELP_ENABLE">
        <source>switch reservations on</source>
        <translation>予約を有効にします</translation>
    </message>
    <message id="IDS_CLI_HELP_DISABLE">
        <source>switch reservations off</source>
        <translation>予約を無効にします</translation>
    </message>
    <message id="IDS_CLI_HELP_EXPORT">
        <source>write the switched-on reservations as an iCalendar file (to standard output without FILE)</source>
        <translation>有効な予約をiCalendar形式で書き出します（FILEを省略すると標準出力に書き出します）</translation>
    </message>
    <message id="IDS_CLI_USAGE">
        <source>Usage:</source>
        <translation>使い方:</translation>
    </message>
    <message id="IDS_CLI_HELP_START">
        <source>start the program and show its window</source>
        <translation>プログラムを起動してウィンドウを表示します</translation>
    </message>
    <message id="IDS_CLI_HELP_HELP">
        <source>show this help</source>
        <translation>このヘルプを表示します</translation>
    </message>
    <message id="IDS_CLI_HELP_VERSION">
        <source>show the version</source>
        <translation>バージョンを表示します</translation>
    </message>
    <message id="IDS_CLI_HELP_NOTES">
        <source>Dates and times are in this computer&apos;s time zone; an end at or before the start ends on the next day. Times from 24:00 to 29:59 are the small hours after the day, as programme guides write them: --date 2025-03-03 --start 25:00 is 4 March at 1:00, and --weekly mon --start 25:00 records every Tuesday at 1:00. While the program runs, the commands go through it; otherwise they change the reservation file directly, and the wake-up plan catches up at the program&apos;s next start.</source>
        <translation>日付と時刻は、このコンピュータのタイムゾーンで指定します。終了時刻が開始時刻と同じか、それより前の場合は、翌日に終了します。24:00〜29:59 は番組表と同じく、その日の深夜（翌日の未明）を表します。--date 2025-03-03 --start 25:00 は 3月4日の午前1:00、--weekly mon --start 25:00 は毎週火曜の午前1:00 に録音します。プログラムの起動中はコマンドがプログラムを通して実行され、起動していないときは予約ファイルを直接変更します（コンピュータを起動する予定は、次にプログラムを起動したときに更新されます）。</translation>
    </message>
    <message id="IDS_CLI_HELP_EXIT">
        <source>Exit status: 0 done, 1 the reservation file could not be read or saved, 2 the command was refused and nothing was changed.</source>
        <translation>終了ステータス: 0 成功、1 予約ファイルを読み書きできなかった、2 コマンドを受け付けなかった（何も変更していません）。</translation>
    </message>
    <message id="IDS_CLI_OUTPUT_FAILED">
        <source>The output could not be written.</source>
        <translation>出力を書き込めませんでした。</translation>
    </message>
    <message id="IDS_REQ_BAD_VALUE">
        <source>The value of “%1” has the wrong type.</source>
        <translation>「%1」の値の型が正しくありません。</translation>
    </message>
    <message id="IDS_REQ_NEED_DATE">
        <source>Give the day of the recording as YYYY-MM-DD.</source>
        <translation>録音する日を YYYY-MM-DD の形で指定してください。</translation>
    </message>
    <message id="IDS_REQ_BAD_DATE">
        <source>“%1” is not a date. Write the day as YYYY-MM-DD, for example 2025-03-01.</source>
        <translation>「%1」は日付ではありません。YYYY-MM-DD の形で指定してください（例: 2025-03-01）。</translation>
    </message>
    <message id="IDS_REQ_NEED_TIME">
        <source>Give the start and end times as HH:MM.</source>
        <translation>開始時刻と終了時刻を HH:MM の形で指定してください。</translation>
    </message>
    <message id="IDS_REQ_BAD_TIME">
        <source>“%1” is not a time of day. Write it as HH:MM, from 00:00 to 29:59 (25:00 is 1:00 the next morning).</source>
        <translation>「%1」は時刻ではありません。00:00〜29:59 の範囲で、HH:MM の形で指定してください（25:00 は翌日の午前1:00 です）。</translation>
    </message>
    <message id="IDS_REQ_BAD_WEEKDAY">
        <source>“%1” is not a weekday. Use sun, mon, tue, wed, thu, fri and sat, separated by commas.</source>
        <translation>「%1」は曜日ではありません。sun、mon、tue、wed、thu、fri、sat をカンマで区切って指定してください。</translation>
    </message>
    <message id="IDS_REQ_UNKNOWN_FIELD">
        <source>“%1” is not a field of a reservation.</source>
        <translation>「%1」という予約の項目はありません。</translation>
    </message>
    <message id="IDS_REQ_NEED_CHANNEL">
        <source>Give the channel: an FM frequency in MHz or an AM frequency in kHz, one of the two.</source>
        <translation>周波数を指定してください。FM（MHz）かAM（kHz）のどちらか一方です。</translation>
    </message>
    <message id="IDS_REQ_NEED_TITLE">
        <source>Give the title of the recording.</source>
        <translation>番組名を指定してください。</translation>
    </message>
    <message id="IDS_REQ_NO_IDS">
        <source>Give the id of at least one reservation.</source>
        <translation>予約のIDを一つ以上指定してください。</translation>
    </message>
    <message id="IDS_REQ_UNKNOWN_ID">
        <source>There is no reservation with the id %1.</source>
        <translation>ID %1 の予約はありません。</translation>
    </message>
    <message id="IDS_REQ_LIST_FULL">
        <source>The list is full: it already holds 10000 reservations.</source>
        <translation>予約がいっぱいです。すでに10000件の予約があります。</translation>
    </message>
    <message id="IDS_REQ_SWITCH_OVER">
        <source>Reservation %1 is over: it can no longer be switched on or off. Delete it, or edit it in the window.</source>
        <translation>予約 %1 は期限切れのため、有効・無効を切り替えられません。削除するか、ウィンドウで編集してください。</translation>
    </message>
    <message id="IDS_REQ_TOO_MANY_IDS">
        <source>Give at most 10000 ids.</source>
        <translation>IDは10000個までにしてください。</translation>
    </message>
    <message id="IDS_HIST_LEAD_BEFORE">
        <source>%1 s before the start</source>
        <translation>開始の %1 秒前</translation>
    </message>
    <message id="IDS_HIST_LEAD_AFTER">
        <source>%1 s after the start</source>
        <translation>開始の %1 秒後</translation>
    </message>
    <message id="IDS_HIST_COMPANION_NOT_STARTED">
        <source>Velto could not be started: nobody received the recording.</source>
        <translation>Velto を起動できませんでした。録音の依頼はどこにも届いていません。</translation>
    </message>
    <message id="IDS_HIST_COMPANION_GONE">
        <source>Velto was not running when the recording was sent (%1): nobody received it.</source>
        <translation>録音を依頼したとき（%1）Velto は起動していませんでした。依頼はどこにも届いていません。</translation>
    </message>
    <message id="IDS_HIST_COMPANION_RUNNING">
        <source>Velto was already running; sent %1.</source>
        <translation>Velto は起動済みでした。%1に依頼しました。</translation>
    </message>
    <message id="IDS_HIST_COMPANION_STARTED">
        <source>Velto was started; sent %1.</source>
        <translation>Velto を起動して、%1に依頼しました。</translation>
    </message>
    <message id="IDS_WAKE_ON_TIME">
        <source>On time for the wake-up planned at %1.</source>
        <translation>%1 の起動予定どおりでした。</translation>
    </message>
    <message id="IDS_WAKE_LATE">
        <source>%1 min after the wake-up planned at %2.</source>
        <translation>%2 の起動予定より %1 分遅れました。</translation>
    </message>
    <message id="IDS_WAKE_BY_HAND">
        <source>No wake-up was planned for this moment.</source>
        <translation>この時刻の起動は予定されていませんでした。</translation>
    </message>
    <message id="IDS_HIST_HANDED_OVER_NOBODY">
        <source>Handed over, but Velto did not receive it</source>
        <translation>依頼したが Velto に届かず</translation>
    </message>
    <message id="IDS_HIST_HANDED_OVER">
        <source>Handed over to Velto</source>
        <translation>Velto に録音を依頼</translation>
    </message>
    <message id="IDS_HIST_MISSED">
        <source>Missed</source>
        <translation>録音されず</translation>
    </message>
    <message id="IDS_HIST_BOOTED">
        <source>Computer started</source>
        <translation>コンピュータが起動</translation>
    </message>
    <message id="IDS_HIST_WOKE">
        <source>Computer woke from sleep</source>
        <translation>コンピュータがスリープから復帰</translation>
    </message>
    <message id="IDS_HIST_SLEEP">
        <source>Computer went to sleep</source>
        <translation>コンピュータがスリープ</translation>
    </message>
    <message id="IDS_HIST_PROGRAM_STARTED">
        <source>%1 started</source>
        <translation>%1を起動</translation>
    </message>
    <message id="IDS_HIST_PROGRAM_EXITED">
        <source>%1 ended</source>
        <translation>%1を終了</translation>
    </message>
    <message id="IDS_HIST_WAKEUPS_NONE">
        <source>No wake-ups planned</source>
        <translation>起動の予定なし</translation>
    </message>
    <message id="IDS_HIST_WAKEUPS" numerus="yes">
        <source>%n wake-up(s) planned</source>
        <translation>
            <numerusform>起動を %n 件予定</numerusform>
        </translation>
    </message>
    <message id="IDS_HIST_SHUTDOWN">
        <source>Shutdown planned</source>
        <translation>電源オフを予定</translation>
    </message>
    <message id="IDS_HIST_SHUTDOWN_CANCELLED">
        <source>Planned shutdown cancelled</source>
        <translation>電源オフの予定を取り消し</translation>
    </message>
    <message id="IDS_REASON_NOT_RUNNING">
        <source>%1 was not running at its start time.</source>
        <translation>開始時刻に %1が起動していませんでした。</translation>
    </message>
    <message id="IDS_REASON_ASLEEP_OR_OFF">
        <source>The computer was asleep or switched off at its start time.</source>
        <translation>開始時刻にコンピュータがスリープ中か、電源が切れていました。</translation>
    </message>
    <message id="IDS_REASON_WOKE_LATE">
        <source>The computer woke up too late: a wake-up was planned, but it came up after the start time.</source>
        <translation>コンピュータの起動が間に合いませんでした。起動は予定されていましたが、開始時刻を過ぎてから起動しました。</translation>
    </message>
    <message id="IDS_REASON_SWITCHED_OFF">
        <source>The reservation was switched off at its start time.</source>
        <translation>開始時刻に予約が無効になっていました。</translation>
    </message>
    <message id="IDS_REASON_UNKNOWN">
        <source>The reason is not known: the history holds nothing about that time.</source>
        <translation>理由はわかりません。その時刻の履歴が残っていません。</translation>
    </message>
    <message id="IDS_HIST_EXIT_COMMAND">
        <source>Ended with the Exit command.</source>
        <translation>終了コマンドで終了しました。</translation>
    </message>
    <message id="IDS_HIST_EXIT_ENDED">
        <source>Ended with the session or by the system.</source>
        <translation>ログアウトまたはシステムによって終了しました。</translation>
    </message>
    <message id="IDS_HIST_NEXT">
        <source>Next: %1</source>
        <translation>次回：%1</translation>
    </message>
    <message id="IDS_HIST_AT">
        <source>At %1</source>
        <translation>予定時刻：%1</translation>
    </message>
    <message id="IDS_NOTIFY_QUOTED">
        <source>“%1”</source>
        <translation>「%1」</translation>
    </message>
    <message id="IDS_NOTIFY_SHOW_HISTORY">
        <source>Show History</source>
        <translation>履歴を表示</translation>
    </message>
    <message id="IDS_NOTIFY_LIST_SEPARATOR">
        <source>, </source>
        <translation>、</translation>
    </message>
    <message id="IDS_NOTIFY_AND_MORE" numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform>ほか %n 件</numerusform>
        </translation>
    </message>
    <message id="IDS_NOTIFY_STARTUP_TITLE">
        <source>Recordings were missed</source>
        <translation>録音されなかった予約があります</translation>
    </message>
    <message id="IDS_NOTIFY_STARTUP_MISSED" numerus="yes">
        <source>%n recording(s) were missed while %1 was not running: %2</source>
        <translation>
            <numerusform>%1が起動していない間に、%n 件の予約が録音されませんでした：%2</numerusform>
        </translation>
    </message>
    <message id="IDS_NOTIFY_MISSED">
        <source>Recording missed: %1</source>
        <translation>録音されませんでした：%1</translation>
    </message>
    <message id="IDS_NOTIFY_NOBODY">
        <source>Velto did not receive the recording: %1</source>
        <translation>Velto に録音の依頼が届きませんでした：%1</translation>
    </message>
    <message id="IDS_NOTIFY_WAKE_LATE">
        <source>The computer woke up late</source>
        <translation>コンピュータの起動が遅れました</translation>
    </message>
    <message id="IDS_NOTIFY_WAKE_LATE_BODY">
        <source>The wake-up planned for %1 did not wake the computer in time: it came up at %2.</source>
        <translation>%1 に予定した起動が間に合わず、コンピュータが起動したのは %2 でした。</translation>
    </message>
    <message id="IDS_HISTORY_COL_TIME">
        <source>Time</source>
        <translation>日時</translation>
    </message>
    <message id="IDS_HISTORY_COL_OUTCOME">
        <source>What happened</source>
        <translation>結果</translation>
    </message>
    <message id="IDS_HISTORY_COL_REASON">
        <source>Reason</source>
        <translation>理由</translation>
    </message>
    <message id="IDS_HISTORY_TITLE">
        <source>History — %1</source>
        <translation>録音の履歴 — %1</translation>
    </message>
    <message id="IDS_HISTORY_EMPTY">
        <source>Nothing has happened to a recording yet. Hand-overs, missed recordings and wake-ups will be listed here.</source>
        <translation>まだ履歴はありません。録音の依頼、録音されなかった予約、コンピュータの起動がここに表示されます。</translation>
    </message>
    <message id="IDS_HISTORY_CLOSE">
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message id="IDS_MENU_HISTORY">
        <source>&amp;History…</source>
        <translation>録音の履歴(&amp;H)…</translation>
    </message>
    <message id="IDS_NOTICE_JOURNAL_SET_ASIDE">
        <source>The recording history could not be used (%1). It was kept as %2, and a new history was begun.</source>
        <translation>録音の履歴を使えませんでした（%1）。元の履歴は %2 として残し、新しい履歴を始めました。</translation>
    </message>
    <message id="IDS_NOTICE_JOURNAL_UNAVAILABLE">
        <source>The recording history cannot be written (%1). Recordings go on, but for now they are not kept in the history.</source>
        <translation>録音の履歴に書き込めません（%1）。録音は行われますが、しばらくの間は履歴に残りません。</translation>
    </message>
    <message id="IDS_WARN_SAVE_FAILED">
        <source>The reservations could not be saved to %1: %2. The changes since the last save are lost when the program ends.</source>
        <translation>予約を %1 に保存できませんでした（%2）。前回保存したあとの変更は、プログラムを終了すると失われます。</translation>
    </message>
    <message id="IDS_WARN_EXIT_UNSAVED">
        <source>The reservations could not be saved to %1: %2. If you exit now, the changes since the last save are lost. Exit anyway?</source>
        <translation>予約を %1 に保存できませんでした（%2）。いま終了すると、前回保存したあとの変更は失われます。終了しますか？</translation>
    </message>
    <message id="IDS_SAVE_REASON_RESCUE">
        <source>a copy of the damaged reservation file could not be kept first</source>
        <translation>破損した予約ファイルのコピーを先に作成できませんでした</translation>
    </message>
    <message id="IDS_SAVE_REASON_DENIED">
        <source>writing there is not allowed</source>
        <translation>書き込みが許可されていません</translation>
    </message>
    <message id="IDS_SAVE_REASON_FULL">
        <source>the disk is full</source>
        <translation>ディスクの空き容量がありません</translation>
    </message>
    <message id="IDS_SAVE_REASON_READ_ONLY">
        <source>the disk is read-only</source>
        <translation>ディスクが読み取り専用です</translation>
    </message>
    <message id="IDS_SAVE_REASON_NO_FOLDER">
        <source>its folder does not exist</source>
        <translation>保存先のフォルダーがありません</translation>
    </message>
    <message id="IDS_SAVE_REASON_NOT_A_FILE">
        <source>something that is not a file has its name</source>
        <translation>同じ名前のフォルダーなど、ファイルではないものがあります</translation>
    </message>
    <message id="IDS_SAVE_REASON_OTHER">
        <source>system error %1</source>
        <translation>システムエラー：%1</translation>
    </message>
    <message id="IDS_TRAY_EXIT">
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message id="IDS_NOTICE_INSTALL_HELPER">
        <source>%1 Install it in Settings.</source>
        <translation>%1設定からインストールしてください。</translation>
    </message>
    <message id="IDS_TRUST_WRITABLE">
        <source>other users can change it</source>
        <translation>他のユーザーが変更できる</translation>
    </message>
    <message id="IDS_TRUST_OWNER">
        <source>it belongs to another user</source>
        <translation>別のユーザーが所有している</translation>
    </message>
    <message id="IDS_TRUST_UNUSABLE">
        <source>it cannot be checked</source>
        <translation>確認できない</translation>
    </message>
    <message id="IDS_NOTICE_DATA_FOLDER">
        <source>The reservations are kept in %1, not beside the program, because %2: %3. Velto.app is looked for there too.</source>
        <translation>%2 は%3ため、予約はプログラムの隣ではなく %1 に保存しています。Velto.app もそこで探します。</translation>
    </message>
    <message id="IDS_ERR_NO_SAFE_FOLDER">
        <source>The reservations cannot be kept safely, because %1: %2. Correct the owner or the permissions of that folder, then start the program again.</source>
        <translation>%1 は%2ため、予約を安全に保存できません。そのフォルダーの所有者またはアクセス権を直してから、もう一度起動してください。</translation>
    </message>
    <message id="IDS_HELPER_UNSAFE">
        <source>Waking and shutting down are unavailable: the installed wake-up helper cannot be run as administrator, because %1: %2.</source>
        <translation>コンピュータの起動と電源オフは使えません。%1 は%2ため、インストールされている起動用ヘルパーを管理者として実行できません。</translation>
    </message>
    <message id="IDS_HELPER_MISSING">
        <source>Waking and shutting down are unavailable: the wake-up helper is not installed on this computer.</source>
        <translation>コンピュータの起動と電源オフは使えません。このコンピュータには起動用ヘルパーがインストールされていません。</translation>
    </message>
    <message id="IDS_ERR_HELPER_DISMISSED">
        <source>The wake-up helper was not installed: the administrator&apos;s password was not given.</source>
        <translation>管理者パスワードが入力されなかったため、起動用ヘルパーはインストールされませんでした。</translation>
    </message>
    <message id="IDS_ERR_HELPER_UNAVAILABLE">
        <source>The wake-up helper cannot be installed from here (%1). Install the program&apos;s package, or install it with cmake as described in its README.</source>
        <translation>ここからは起動用ヘルパーをインストールできません（%1）。このプログラムのパッケージをインストールするか、README の説明に従って cmake でインストールしてください。</translation>
    </message>
    <message id="IDS_ERR_HELPER_FAILED">
        <source>The wake-up helper could not be installed: %1</source>
        <translation>起動用ヘルパーをインストールできませんでした: %1</translation>
    </message>
    <message id="IDS_BUTTON_INSTALL_HELPER">
        <source>Install the wake-up helper</source>
        <translation>起動用ヘルパーをインストール</translation>
    </message>
    <message id="IDS_HELPER_INSTALLING">
        <source>Installing the wake-up helper. Enter an administrator&apos;s password when asked.</source>
        <translation>起動用ヘルパーをインストールしています。求められたら管理者パスワードを入力してください。</translation>
    </message>
    <message id="IDS_MSG_HELPER_INSTALLED">
        <source>The wake-up helper is installed. Waking and shutting down are available.</source>
        <translation>起動用ヘルパーをインストールしました。コンピュータの起動と電源オフが使えるようになりました。</translation>
    </message>
    <message id="IDS_CANCEL_SHUTDOWN">
        <source>Cancel shutdown</source>
        <translation>シャットダウンを中止</translation>
    </message>
    <message id="IDS_SHUTDOWN_SOON_TITLE">
        <source>The computer will shut down soon</source>
        <translation>まもなくコンピュータの電源を切ります</translation>
    </message>
    <message id="IDS_SHUTDOWN_SOON_BODY">
        <source>After the last recording, the computer shuts down at %1.</source>
        <translation>最後の予約録音のあと、%1 にコンピュータの電源を切ります。</translation>
    </message>
    <message id="IDS_SHUTDOWN_COUNTDOWN">
        <source>The computer will shut down in %1 s.</source>
        <translation>あと%1秒でコンピュータの電源を切ります。</translation>
    </message>
    <message id="IDS_PLAN_FAILED">
        <source>Wake-ups are not planned: %1</source>
        <translation>起動の予約ができていません：%1</translation>
    </message>
    <message id="IDS_PLAN_WHY_NOT_AUTHORIZED">
        <source>the administrator password was not given.</source>
        <translation>管理者パスワードが入力されませんでした。</translation>
    </message>
    <message id="IDS_PLAN_WHY_UNAVAILABLE">
        <source>the wake-up helper could not be started.</source>
        <translation>起動用の補助プログラムを開始できませんでした。</translation>
    </message>
    <message id="IDS_PLAN_WHY_NO_SYSTEMD">
        <source>this computer does not run systemd.</source>
        <translation>このコンピュータでは systemd が動いていません。</translation>
    </message>
    <message id="IDS_PLAN_WHY_NOT_WAKEABLE">
        <source>this computer has no clock alarm that can wake it.</source>
        <translation>このコンピュータには、起動に使える時計のアラームがありません。</translation>
    </message>
    <message id="IDS_PLAN_WHY_TIMED_OUT">
        <source>the wake-up helper did not answer in time.</source>
        <translation>起動用の補助プログラムが時間内に応答しませんでした。</translation>
    </message>
    <message id="IDS_PLAN_WHY_TOOL_FAILED">
        <source>the wake-up helper reported an error.</source>
        <translation>起動用の補助プログラムがエラーを報告しました。</translation>
    </message>
    <message id="IDS_CONFIG_START_AT_LOGIN">
        <source>Start at login (needed to wake from power-off)</source>
        <translation>ログイン時にこのプログラムを開始する（電源オフからの起動に必要）</translation>
    </message>
    <message id="IDS_ERR_START_AT_LOGIN">
        <source>Could not change the start at login (%1): %2</source>
        <translation>ログイン時の開始を変更できませんでした（%1）：%2</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_HISTORY">
        <source>history: unknown argument “%1”.</source>
        <translation>history: 「%1」という引数は使えません。</translation>
    </message>
    <message id="IDS_CLI_HISTORY_UNREADABLE">
        <source>The recording history %1 could not be read: %2</source>
        <translation>録音の履歴 %1 を読み取れませんでした：%2</translation>
    </message>
    <message id="IDS_CLI_HISTORY_EMPTY">
        <source>Nothing has been recorded in the history yet.</source>
        <translation>履歴にはまだ何も記録されていません。</translation>
    </message>
    <message id="IDS_CLI_HELP_HISTORY">
        <source>show what happened to each recording, newest first (failures marked with !)</source>
        <translation>それぞれの録音がどうなったかを新しい順に表示します（失敗には ! が付きます）</translation>
    </message>
    <message id="IDS_ERR_START_AT_LOGIN_PATH">
        <source>The program cannot be started at login from here: the path of its folder, %1, contains a line break or another control character. Move the program to a folder with a plain name.</source>
        <translation>このプログラムはログイン時に開始できません。フォルダーのパス %1 に改行などの制御文字が含まれています。制御文字を含まない名前のフォルダーにプログラムを移してください。</translation>
    </message>
    <message id="IDS_CLI_WRITE_LINK">
        <source>The calendar was not written: %1 is a symbolic link. Name the file itself, or a new file.</source>
        <translation>カレンダーを書き出しませんでした。%1 はシンボリックリンクです。ファイルそのもの、または新しいファイルを指定してください。</translation>
    </message>
    <message id="IDS_CLI_NO_LOCK">
        <source>The lock %1 cannot be taken (it is not a plain file, or the folder cannot be written), so the reservations are left as they are.</source>
        <translation>ロック %1 を取得できないため（通常のファイルではないか、フォルダーに書き込めません）、予約は変更していません。</translation>
    </message>
    <message id="IDS_HELPER_UNTRUSTED">
        <source>The wake-up helper beside this program cannot be installed, because %1: %2. Only a helper that no other user can change is installed to run as administrator.</source>
        <translation>%1 は%2ため、このプログラムと一緒にある起動用ヘルパーはインストールできません。管理者として実行するヘルパーは、他のユーザーが変更できないものだけをインストールします。</translation>
    </message>
    <message id="IDS_HIST_SOURCE_RECEIVER">
        <source>From the receiver.</source>
        <translation>受信機から録音。</translation>
    </message>
    <message id="IDS_HIST_SOURCE_STREAM">
        <source>From the station&apos;s internet stream.</source>
        <translation>放送局のネット配信から録音。</translation>
    </message>
    <message id="IDS_VELTO_REASON_NO_RECEIVER">
        <source>No receiver was found.</source>
        <translation>受信機が見つかりませんでした。</translation>
    </message>
    <message id="IDS_VELTO_REASON_RECEIVER_LOST">
        <source>The receiver was lost during the recording.</source>
        <translation>録音中に受信機との接続が切れました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_SOURCE_LOST">
        <source>The sound source was lost during the recording.</source>
        <translation>録音中に音声の入力が途切れました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_STARTED_LATE">
        <source>The recording began after the programme&apos;s start.</source>
        <translation>番組の開始より後に録音を始めました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_DISK_FULL">
        <source>The disk became full: the recording stopped and what was written is kept.</source>
        <translation>ディスクがいっぱいになったため録音を止めました。録音できた分は残してあります。</translation>
    </message>
    <message id="IDS_VELTO_REASON_STOPPED">
        <source>The recording was stopped before its end.</source>
        <translation>終了前に録音が止められました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_INTERRUPTED">
        <source>Velto stopped during the recording; what was written up to then is kept.</source>
        <translation>録音中に Velto が終了しました。それまでに録音した分は保存されています。</translation>
    </message>
    <message id="IDS_VELTO_REASON_ALREADY_OVER">
        <source>The programme had already ended when Velto received it.</source>
        <translation>Velto が受け取った時点で番組はすでに終わっていました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_BAD_CHANNEL">
        <source>Velto cannot receive this channel.</source>
        <translation>Velto はこのチャンネルを受信できません。</translation>
    </message>
    <message id="IDS_VELTO_REASON_BAD_TIMES">
        <source>The start and end times were not usable.</source>
        <translation>開始・終了時刻が正しくありませんでした。</translation>
    </message>
    <message id="IDS_VELTO_REASON_OVERLAPPED">
        <source>Another recording covered its whole time.</source>
        <translation>ほかの録音と時間がすべて重なっていました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_STATION_UNREACHABLE">
        <source>The station&apos;s internet stream could not be reached.</source>
        <translation>放送局のネット配信に接続できませんでした。</translation>
    </message>
    <message id="IDS_VELTO_REASON_CONNECTION_LOST">
        <source>The connection to the station&apos;s stream was lost.</source>
        <translation>放送局の配信への接続が切れました。</translation>
    </message>
    <message id="IDS_VELTO_REASON_DEVICE_BUSY">
        <source>The receiver is in use by another program.</source>
        <translation>受信機はほかのプログラムが使用中です。</translation>
    </message>
    <message id="IDS_VELTO_REASON_PERMISSION_DENIED">
        <source>Velto may not use the receiver (permissions).</source>
        <translation>受信機を使う権限が Velto にありません。</translation>
    </message>
    <message id="IDS_HIST_RECORDING_STARTED">
        <source>Velto began recording</source>
        <translation>Velto が録音を開始</translation>
    </message>
    <message id="IDS_HIST_RECORDED">
        <source>Recorded %1</source>
        <translation>録音済み %1</translation>
    </message>
    <message id="IDS_HIST_RECORDED_PARTLY">
        <source>Partly recorded %1</source>
        <translation>一部のみ録音 %1</translation>
    </message>
    <message id="IDS_HIST_NOT_RECORDED">
        <source>Not recorded</source>
        <translation>録音できず</translation>
    </message>
    <message id="IDS_HIST_FILE">
        <source>File: %1</source>
        <translation>ファイル: %1</translation>
    </message>
    <message id="IDS_HIST_DROPOUTS" numerus="yes">
        <source>The source dropped out %n time(s).</source>
        <translation>
            <numerusform>受信が %n 回途切れました。</numerusform>
        </translation>
    </message>
    <message id="IDS_HIST_SENTENCE_SEPARATOR">
        <source> </source>
        <translation> </translation>
    </message>
    <message id="IDS_HISTORY_OPEN">
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message id="IDS_HISTORY_OPEN_TIP">
        <source>Open the recording with the desktop&apos;s player</source>
        <translation>録音をデスクトップの再生ソフトで開きます</translation>
    </message>
    <message id="IDS_HISTORY_SHOW_IN_FOLDER">
        <source>Show in Folder</source>
        <translation>フォルダに表示</translation>
    </message>
    <message id="IDS_HISTORY_SHOW_IN_FOLDER_TIP">
        <source>Show the recording in its folder</source>
        <translation>録音ファイルをフォルダで表示します</translation>
    </message>
    <message id="IDS_HISTORY_FILE_GONE">
        <source>The recording is no longer there: %1</source>
        <translation>録音ファイルが見つかりません: %1</translation>
    </message>
    <message id="IDS_HISTORY_FILE_NOT_SOUND">
        <source>Only sound files are opened from here: %1</source>
        <translation>ここから開けるのは音声ファイルだけです: %1</translation>
    </message>
    <message id="IDS_HISTORY_OPEN_FAILED">
        <source>No program could be found to play the recording.</source>
        <translation>録音を再生するプログラムが見つかりませんでした。</translation>
    </message>
    <message id="IDS_HISTORY_FOLDER_FAILED">
        <source>The folder could not be opened: %1</source>
        <translation>フォルダを開けませんでした: %1</translation>
    </message>
    <message id="IDS_NOTIFY_RECORDED_PARTLY">
        <source>Recorded only in part: %1</source>
        <translation>一部しか録音できませんでした: %1</translation>
    </message>
    <message id="IDS_NOTIFY_NOT_RECORDED">
        <source>Not recorded: %1</source>
        <translation>録音できませんでした: %1</translation>
    </message>
    <message id="IDS_HIST_RECORDED_SPAN">
        <source>recorded %1–%2</source>
        <translation>録音 %1〜%2</translation>
    </message>
    <message id="IDS_CONFIG_GROUP_RECORDING">
        <source>Recording</source>
        <translation>録音</translation>
    </message>
    <message id="IDS_CONFIG_START_EARLY">
        <source>Start recording early by:</source>
        <translation>録音開始を早める：</translation>
    </message>
    <message id="IDS_CONFIG_END_LATE">
        <source>Go on recording after the end for:</source>
        <translation>録音終了を延ばす：</translation>
    </message>
    <message id="IDS_CONFIG_MARGIN_UNIT">
        <source> min</source>
        <translation>分</translation>
    </message>
    <message id="IDS_CONFIG_LATE_NIGHT_HOURS">
        <source>Show times after midnight as 24–29 h (25:00 is 1:00 the next morning)</source>
        <translation>深夜の時刻を 24〜29 時で表示する（25:00 は翌日の午前1:00）</translation>
    </message>
    <message id="IDS_WARN_OVERLAP_MARGINS">
        <source>This reservation overlaps another reservation only because of the recording margins (%1 min early, %2 min late). Both are kept; where they overlap, only one of them can be recorded.</source>
        <translation>録音の前後のマージン（開始 %1 分前、終了 %2 分後）を含めると、この予約はほかの予約と時間が重なります。予約は両方とも残りますが、重なる部分を録音できるのはどちらか一方だけです。</translation>
    </message>
    <message id="IDS_ERR_LONGER_THAN_A_DAY">
        <source>A recording can last at most 24 hours. Check the start and end times.</source>
        <translation>録音できるのは最長 24 時間です。開始時刻と終了時刻を確認してください。</translation>
    </message>
    <message id="IDS_TEST_WAKE_ON_TIME">
        <source>Woke on time by the clock alarm.</source>
        <translation>時計のアラームで予定どおりに起動しました。</translation>
    </message>
    <message id="IDS_TEST_WAKE_LATE" numerus="yes">
        <source>Woke by the clock alarm, but %n min late.</source>
        <translation>
            <numerusform>時計のアラームで起動しましたが、%n 分遅れました。</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_BY_HAND" numerus="yes">
        <source>Did not wake by itself: woken by hand %n min later.</source>
        <translation>
            <numerusform>自動では起動しませんでした。%n 分後に手動で起動されました。</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_NO_EVENT">
        <source>Woke at the planned time, but the clock counted no alarm: something else may have woken it.</source>
        <translation>予定の時刻に起動しましたが、時計のアラームによる起動として記録されていません。ほかの何かが起動した可能性があります。</translation>
    </message>
    <message id="IDS_TEST_WAKE_EARLY" numerus="yes">
        <source>Woken by hand (or by another device) %n min before the alarm.</source>
        <translation>
            <numerusform>アラームの %n 分前に、手動（またはほかの装置）で起動されました。</numerusform>
        </translation>
    </message>
    <message id="IDS_TEST_WAKE_NOT_SUSPENDED">
        <source>The computer did not go to sleep, so nothing was tested.</source>
        <translation>コンピュータがスリープしなかったため、テストできませんでした。</translation>
    </message>
    <message id="IDS_HIST_TEST_WAKE">
        <source>Test wake-up</source>
        <translation>起動テスト</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED">
        <source>Another program&apos;s wake alarm replaced</source>
        <translation>ほかのプログラムの起動アラームを置き換え</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED_AT">
        <source>The clock alarm another program had set for %1 was replaced by the wake-up at %2: that program&apos;s wake-up will not happen.</source>
        <translation>ほかのプログラムが %1 に設定していた時計のアラームを、%2 の起動予定で置き換えました。そのプログラムによる起動は行われません。</translation>
    </message>
    <message id="IDS_HIST_ALARM_REPLACED_UNKNOWN">
        <source>The clock alarm another program had set was replaced by the wake-up at %1: that program&apos;s wake-up will not happen.</source>
        <translation>ほかのプログラムが設定していた時計のアラームを、%1 の起動予定で置き換えました。そのプログラムによる起動は行われません。</translation>
    </message>
    <message id="IDS_CONFIG_CHECK_WAKE">
        <source>Check wake-up…</source>
        <translation>起動できるか確認…</translation>
    </message>
    <message id="IDS_NOTIFY_ALARM_REPLACED">
        <source>Another program&apos;s wake alarm was replaced</source>
        <translation>ほかのプログラムの起動アラームを置き換えました</translation>
    </message>
    <message id="IDS_WAKECHECK_SYSTEMD">
        <source>systemd and logind</source>
        <translation>systemd と logind</translation>
    </message>
    <message id="IDS_WAKECHECK_HELPER">
        <source>Wake-up helper</source>
        <translation>起動用ヘルパー</translation>
    </message>
    <message id="IDS_WAKECHECK_RTC">
        <source>Clock alarm (RTC)</source>
        <translation>時計のアラーム（RTC）</translation>
    </message>
    <message id="IDS_WAKECHECK_RTC_UTC">
        <source>Clock kept in UTC</source>
        <translation>時計が UTC で動いているか</translation>
    </message>
    <message id="IDS_WAKECHECK_RANGE">
        <source>How far ahead the alarm reaches</source>
        <translation>アラームを設定できる範囲</translation>
    </message>
    <message id="IDS_WAKECHECK_OTHER_ALARM">
        <source>Alarms of other programs</source>
        <translation>ほかのプログラムのアラーム</translation>
    </message>
    <message id="IDS_WAKECHECK_AUTOSTART">
        <source>Start at login</source>
        <translation>ログイン時に開始</translation>
    </message>
    <message id="IDS_WAKECHECK_LOGIN">
        <source>Automatic login</source>
        <translation>自動ログイン</translation>
    </message>
    <message id="IDS_WAKECHECK_FINE">
        <source>Fine</source>
        <translation>問題なし</translation>
    </message>
    <message id="IDS_WAKECHECK_WARNING">
        <source>Warning</source>
        <translation>注意</translation>
    </message>
    <message id="IDS_WAKECHECK_PROBLEM">
        <source>Problem</source>
        <translation>問題あり</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_SYSTEMD">
        <source>systemd is not the init system: wake-up timers cannot be set.</source>
        <translation>systemd が init システムではないため、起動タイマーを設定できません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIND_SILENT">
        <source>logind did not answer on the system bus.</source>
        <translation>システムバスで logind が応答しませんでした。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_BUS">
        <source>The system bus cannot be reached.</source>
        <translation>システムバスに接続できません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_MISSING">
        <source>The wake-up helper is not installed on this computer.</source>
        <translation>このコンピュータには起動用ヘルパーがインストールされていません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_UNTRUSTED">
        <source>The wake-up helper is installed, but users other than the administrator may change it: it is not run.</source>
        <translation>起動用ヘルパーはインストールされていますが、管理者以外のユーザーも変更できるため実行しません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_RTC">
        <source>This computer has no real-time clock (RTC) the system can see.</source>
        <translation>このコンピュータには、システムから見えるリアルタイムクロック（RTC）がありません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_WAKEALARM">
        <source>The real-time clock has no wake alarm.</source>
        <translation>リアルタイムクロックに起動アラームの機能がありません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_WAKE_DISABLED">
        <source>The system does not let the real-time clock wake the computer.</source>
        <translation>システムが、リアルタイムクロックによるコンピュータの起動を許可していません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOCAL">
        <source>The real-time clock keeps local time (%1 h ahead of UTC), as a computer shared with Windows does. Wake-ups are written in local time, so they land right.</source>
        <translation>リアルタイムクロックはローカル時刻（UTC より %1 時間進み）で動いています。Windows と共用しているコンピュータによくある設定です。起動予定はローカル時刻で書き込むため、正しい時刻に起動します。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOCAL_UNNOTICED">
        <source>The real-time clock reads local time (%1 h ahead of UTC), though the system takes it for UTC. Wake-ups are written in local time, so they land right.</source>
        <translation>システムは UTC とみなしていますが、リアルタイムクロックはローカル時刻（UTC より %1 時間進み）を示しています。起動予定はローカル時刻で書き込むため、正しい時刻に起動します。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_UTC_UNNOTICED">
        <source>The real-time clock reads UTC, though /etc/adjtime says it keeps local time.</source>
        <translation>/etc/adjtime ではローカル時刻とされていますが、リアルタイムクロックは UTC を示しています。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_CLOCK_OFF">
        <source>The real-time clock is %1 min off the system&apos;s clock.</source>
        <translation>リアルタイムクロックがシステムの時計から %1 分ずれています。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_WITHIN_DAY">
        <source>The alarm refused a time 25 h ahead: it reaches at most 24 h. Wake-ups further ahead are relayed: the computer wakes within the day, plans again and, with shutdown on, goes off again.</source>
        <translation>25 時間後のアラームが拒否されました。アラームは最大 24 時間先までしか設定できません。それより先の起動は中継します。1 日以内に一度起動して予定を立て直し、電源オフが有効なら再び電源を切ります。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_PROBED_WHY">
        <source>Not found out. %1</source>
        <translation>確認できませんでした。%1</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_PROBED">
        <source>Not found out: the wake-up helper is needed to try an alarm.</source>
        <translation>確認できませんでした。アラームを試すには起動用ヘルパーが必要です。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_HELPER_OUTDATED">
        <source>Not found out: the installed wake-up helper is older than this program.</source>
        <translation>確認できませんでした。インストールされている起動用ヘルパーが、このプログラムより古いためです。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_OTHER_ALARM">
        <source>The clock alarm is set for %1, which this program did not plan. A wake-up of this program that comes first will replace it.</source>
        <translation>時計のアラームが %1 に設定されていますが、このプログラムの予定ではありません。このプログラムの起動予定のほうが早ければ、置き換えられます。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_REPLACED_AT">
        <source>On %1 a wake-up of this program replaced the clock alarm another program had set for %2.</source>
        <translation>%1 に、このプログラムの起動予定が、ほかのプログラムが %2 に設定していた時計のアラームを置き換えました。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_REPLACED">
        <source>On %1 a wake-up of this program replaced a clock alarm another program had set.</source>
        <translation>%1 に、このプログラムの起動予定が、ほかのプログラムの設定した時計のアラームを置き換えました。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NO_AUTOSTART">
        <source>This program does not start at login: after a wake-up from power-off nobody plans the next wake-ups.</source>
        <translation>このプログラムはログイン時に開始しません。電源オフから起動したあと、次の起動を予定する人がいません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_OFF">
        <source>The display manager does not log anyone in by itself: after a wake-up from power-off the computer waits at the login screen.</source>
        <translation>ディスプレイマネージャーは自動ログインしません。電源オフから起動したあと、ログイン画面のまま止まります。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_OTHER">
        <source>The display manager logs in “%1” by itself, not you.</source>
        <translation>ディスプレイマネージャーが自動ログインするのはあなたではなく「%1」です。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_LOGIN_UNKNOWN">
        <source>Whether the display manager logs you in by itself cannot be told from its files.</source>
        <translation>ディスプレイマネージャーが自動ログインするかどうか、設定ファイルからは判断できません。</translation>
    </message>
    <message id="IDS_WAKECHECK_FOUND_NOT_CHECKED">
        <source>Not checked: what it needs is missing (see above).</source>
        <translation>確認していません。必要なものがありません（上を参照）。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_SYSTEMD">
        <source>systemd runs and logind answers.</source>
        <translation>systemd が動いていて、logind が応答します。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_HELPER">
        <source>Installed, and only the administrator may change it.</source>
        <translation>インストール済みで、管理者だけが変更できます。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RTC">
        <source>The real-time clock has a wake alarm.</source>
        <translation>リアルタイムクロックに起動アラームがあります。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RTC_UTC">
        <source>The real-time clock keeps UTC.</source>
        <translation>リアルタイムクロックは UTC で動いています。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_RANGE">
        <source>The alarm holds a time 25 h ahead.</source>
        <translation>25 時間先のアラームを設定できます。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_OTHER_ALARM">
        <source>No other program&apos;s alarm is set.</source>
        <translation>ほかのプログラムのアラームは設定されていません。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_AUTOSTART">
        <source>This program starts at login.</source>
        <translation>このプログラムはログイン時に開始します。</translation>
    </message>
    <message id="IDS_WAKECHECK_OK_LOGIN">
        <source>The display manager logs you in by itself.</source>
        <translation>ディスプレイマネージャーがあなたを自動ログインします。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_NO_SYSTEMD">
        <source>Waking needs a system that runs systemd.</source>
        <translation>コンピュータを起動するには、systemd で動くシステムが必要です。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOGIND">
        <source>Check that systemd-logind runs (loginctl), then check again.</source>
        <translation>systemd-logind が動いているか（loginctl で）確かめてから、もう一度確認してください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_INSTALL_HELPER">
        <source>Install it in Settings (Install the wake-up helper), or install the program&apos;s package.</source>
        <translation>設定の［起動用ヘルパーをインストール］でインストールするか、このプログラムのパッケージをインストールしてください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_HELPER_OWNER">
        <source>Make its folder and files owned by root and writable by root only, or install it again.</source>
        <translation>フォルダーとファイルの所有者を root にして root だけが書き込めるようにするか、インストールし直してください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_NO_RTC">
        <source>This computer cannot wake itself: leave it on for recordings. (A virtual machine usually has no wake alarm.)</source>
        <translation>このコンピュータは自分では起動できません。録音のときは電源を入れたままにしてください（仮想マシンには通常、起動アラームがありません）。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_WAKE_DISABLED">
        <source>Allow waking by the RTC: as administrator, write “enabled” to /sys/class/rtc/rtc0/device/power/wakeup, and allow it in the firmware settings (often “Resume by alarm” or “RTC wake”).</source>
        <translation>RTC による起動を許可してください。管理者として /sys/class/rtc/rtc0/device/power/wakeup に「enabled」と書き込み、ファームウェアの設定（「Resume by alarm」や「RTC wake」などの名前が多い）でも許可します。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOCAL">
        <source>Other programs may set its alarm in UTC and wake the computer at the wrong hour. Where Windows does not share this computer, keep the RTC in UTC: timedatectl set-local-rtc 0.</source>
        <translation>ほかのプログラムが UTC でアラームを設定すると、違う時刻に起動することがあります。Windows と共用していないなら、RTC を UTC にしてください: timedatectl set-local-rtc 0</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_UTC_UNNOTICED">
        <source>Tell the system: timedatectl set-local-rtc 0.</source>
        <translation>システムに設定してください: timedatectl set-local-rtc 0</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_CLOCK_OFF">
        <source>Set the clock right: timedatectl set-ntp 1, or hwclock --systohc as administrator.</source>
        <translation>時計を合わせてください: timedatectl set-ntp 1、または管理者として hwclock --systohc</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_WITHIN_DAY">
        <source>Nothing to do; with shutdown after recordings on, the computer comes up once a day for a few minutes.</source>
        <translation>操作は不要です。録音後の電源オフが有効なら、コンピュータは 1 日に一度、数分間だけ起動します。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_PROBE">
        <source>Check again and give the administrator password when asked.</source>
        <translation>もう一度確認し、求められたら管理者パスワードを入力してください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_HELPER_OUTDATED">
        <source>Install the wake-up helper again (Settings), or update the program&apos;s package.</source>
        <translation>起動用ヘルパーを（設定から）インストールし直すか、このプログラムのパッケージを更新してください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_OTHER_ALARM">
        <source>If another program&apos;s wake-up matters, give this program a reservation then, or plan it elsewhere: the clock holds one alarm.</source>
        <translation>ほかのプログラムの起動が必要なら、その時刻にこのプログラムの予約を入れるか、別の方法で予定してください。時計のアラームは 1 つしか保持できません。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_AUTOSTART">
        <source>Turn on “Start at login” in Settings.</source>
        <translation>設定で［ログイン時にこのプログラムを開始する］をオンにしてください。</translation>
    </message>
    <message id="IDS_WAKECHECK_DO_LOGIN">
        <source>For wake-ups from power-off, turn on automatic login for your account in the system&apos;s user settings. Otherwise, suspend the computer rather than switch it off.</source>
        <translation>電源オフから起動するには、システムのユーザー設定で、あなたのアカウントの自動ログインをオンにしてください。そうでなければ、電源を切らずにスリープにしてください。</translation>
    </message>
    <message id="IDS_TEST_WAKE_PLAN_FAILED">
        <source>No test: the wake-up could not be planned. %1</source>
        <translation>テストできません。起動を予定できませんでした。%1</translation>
    </message>
    <message id="IDS_TEST_WAKE_SUSPEND_FAILED">
        <source>No test: the computer could not be suspended (%1). The planned wake-up stays until the program plans again.</source>
        <translation>テストできません。コンピュータをスリープできませんでした（%1）。予定した起動は、プログラムが次に予定を立て直すまで残ります。</translation>
    </message>
    <message id="IDS_WAKECHECK_TITLE">
        <source>Check Wake-up</source>
        <translation>起動の確認</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_BUTTON">
        <source>Test wake-up now…</source>
        <translation>今すぐ起動をテスト…</translation>
    </message>
    <message id="IDS_WAKECHECK_AGAIN">
        <source>Check again</source>
        <translation>もう一度確認</translation>
    </message>
    <message id="IDS_BUTTON_CLOSE">
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_ASLEEP">
        <source>Going to sleep. Do not touch the computer: it should wake by itself.</source>
        <translation>スリープします。コンピュータに触れないでください。自動で起動するはずです。</translation>
    </message>
    <message id="IDS_WAKECHECK_CHECKING">
        <source>Checking… (the administrator password may be asked for, to try the clock alarm)</source>
        <translation>確認しています…（時計のアラームを試すため、管理者パスワードを求められることがあります）</translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_PROBLEMS" numerus="yes">
        <source>This computer will not wake for its recordings as it is: %n problem(s) below.</source>
        <translation>
            <numerusform>このままでは、このコンピュータは録音のために起動しません。下の %n 件の問題を確認してください。</numerusform>
        </translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_WARNINGS" numerus="yes">
        <source>This computer should wake for its recordings; %n point(s) below deserve a look. A test wake-up proves it.</source>
        <translation>
            <numerusform>このコンピュータは録音のために起動するはずです。下の %n 件の注意点を確認してください。起動テストで確かめられます。</numerusform>
        </translation>
    </message>
    <message id="IDS_WAKECHECK_SUMMARY_FINE">
        <source>This computer should wake for its recordings. A test wake-up proves it.</source>
        <translation>このコンピュータは録音のために起動するはずです。起動テストで確かめられます。</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_TITLE">
        <source>Test wake-up</source>
        <translation>起動テスト</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_CONFIRM">
        <source>The computer will plan a wake-up two minutes from now and then go to sleep. Leave it alone: it should wake by itself. Unsaved work in other programs stays open.

Start the test?</source>
        <translation>2 分後に起動する予定を立ててから、コンピュータをスリープします。触れずにそのままにしておいてください。自動で起動するはずです。ほかのプログラムの保存していない作業は、そのまま残ります。

テストを始めますか？</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_PLANNING">
        <source>Planning the test wake-up…</source>
        <translation>起動テストを予定しています…</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_PLANNED">
        <source>Wake-up planned for %1. Going to sleep…</source>
        <translation>%1 に起動する予定を立てました。スリープします…</translation>
    </message>
    <message id="IDS_WAKECHECK_TEST_RESULT">
        <source>Test wake-up: %1</source>
        <translation>起動テスト: %1</translation>
    </message>
    <message id="IDS_CLI_HELP_CHECK_WAKE">
        <source>check whether this computer will wake for its recordings, and what to do where it will not; --test suspends it for a test wake-up two minutes ahead (exit status 0 fine, 1 a problem was found, 2 the check could not run)</source>
        <translation>このコンピュータが録音のために起動できるか、できない場合はどうすればよいかを確認します。--test を付けると、2 分後の起動を予定してスリープし、起動をテストします（終了コード: 0 問題なし、1 問題あり、2 確認できなかった）</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_ASK">
        <source>The computer will plan a wake-up two minutes from now and go to sleep; it should wake by itself. Type “yes” to start the test:</source>
        <translation>2 分後に起動する予定を立ててからスリープします。自動で起動するはずです。テストを始めるには「yes」と入力してください:</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_PLANNED">
        <source>Wake-up planned two minutes ahead; going to sleep.</source>
        <translation>2 分後の起動を予定しました。スリープします。</translation>
    </message>
    <message id="IDS_CLI_BAD_ARGUMENT_CHECK_WAKE">
        <source>check-wake: unknown argument “%1”. See “resvman --help”.</source>
        <translation>check-wake: 不明な引数「%1」です。「resvman --help」を参照してください。</translation>
    </message>
    <message id="IDS_CLI_TEST_WAKE_DECLINED">
        <source>No test wake-up: it was not agreed to.</source>
        <translation>同意がなかったため、起動テストは行いませんでした。</translation>
    </message>
    <message id="IDS_TEST_WAKE_NO_BUS">
        <source>the system bus cannot be reached</source>
        <translation>システムバスに接続できません</translation>
    </message>
    <message id="IDS_A11Y_WARNING">
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message id="IDS_A11Y_TIME_LEFT">
        <source>Time left</source>
        <translation>残り時間</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_FINE">
        <source>No problem</source>
        <translation>問題なし</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_FAILED">
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message id="IDS_A11Y_DATE_TIME">
        <source>%1, %2</source>
        <translation>%1 %2</translation>
    </message>
    <message id="IDS_A11Y_NO_RESERVATION">
        <source>No reservation</source>
        <translation>予約なし</translation>
    </message>
    <message id="IDS_A11Y_NO_DETAILS">
        <source>No details</source>
        <translation>詳細なし</translation>
    </message>
    <message id="IDS_COL_STATUS">
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message id="IDS_A11Y_HISTORY_TABLE">
        <source>Recording history</source>
        <translation>録音の履歴</translation>
    </message>
    <message id="IDS_A11Y_RESERVATIONS">
        <source>Reservations</source>
        <translation>予約</translation>
    </message>
    <message id="IDS_A11Y_RESERVATIONS_KEYS">
        <source>Return edits the selected reservation; Delete deletes the selected ones.</source>
        <translation>Return キーで選択した予約を変更し、Delete キーで選択した予約を削除します。</translation>
    </message>
    <message id="IDS_A11Y_ADD">
        <source>Adds a new reservation.</source>
        <translation>新しい予約を追加します。</translation>
    </message>
    <message id="IDS_A11Y_DELETE">
        <source>Deletes the selected reservations.</source>
        <translation>選択した予約を削除します。</translation>
    </message>
    <message id="IDS_A11Y_EDIT">
        <source>Changes the selected reservation.</source>
        <translation>選択した予約を変更します。</translation>
    </message>
    <message id="IDS_A11Y_SETTINGS">
        <source>Sleep, wake-up and shutdown settings.</source>
        <translation>スリープ、復帰、シャットダウンの設定です。</translation>
    </message>
    <message id="IDS_A11Y_HIDE">
        <source>Hides the window; the reservations are still recorded. The tray icon shows it again.</source>
        <translation>ウインドウを隠します。予約は引き続き録音されます。トレイのアイコンから再び表示できます。</translation>
    </message>
    <message id="IDS_A11Y_EXIT">
        <source>Ends the program: nothing is recorded until it is started again.</source>
        <translation>プログラムを終了します。再び起動するまで何も録音されません。</translation>
    </message>
    <message id="IDS_A11Y_QUESTION">
        <source>Question</source>
        <translation>確認</translation>
    </message>
    <message id="IDS_A11Y_INFORMATION">
        <source>Information</source>
        <translation>お知らせ</translation>
    </message>
    <message id="IDS_A11Y_BAND">
        <source>Band</source>
        <translation>バンド</translation>
    </message>
    <message id="IDS_A11Y_WEEKDAY">
        <source>Repeats the recording every %1.</source>
        <translation>毎週%1に録音を繰り返します。</translation>
    </message>
    <message id="IDS_A11Y_STATUS_MISSED">
        <source>Missed</source>
        <translation>期限切れ</translation>
    </message>
    <message id="IDS_A11Y_STATUS_MISSED_WHY">
        <source>Missed: %1</source>
        <translation>期限切れ：%1</translation>
    </message>
    <message id="IDS_A11Y_STATUS_OFF">
        <source>Switched off</source>
        <translation>無効</translation>
    </message>
    <message id="IDS_A11Y_STATUS_OVERLAP">
        <source>Overlaps another reservation</source>
        <translation>ほかの予約と重複</translation>
    </message>
    <message id="IDS_A11Y_STATUS_READY">
        <source>Will be recorded</source>
        <translation>録音予定</translation>
    </message>
    <message id="IDS_A11Y_ONCE">
        <source>Once</source>
        <translation>一回のみ</translation>
    </message>
    <message id="IDS_A11Y_WEEKLY">
        <source>Every week on %1</source>
        <translation>毎週 %1</translation>
    </message>
    <message id="IDS_A11Y_NO_STATION">
        <source>No station name</source>
        <translation>放送局名なし</translation>
    </message>
    <message id="IDS_A11Y_NO_TITLE">
        <source>No title</source>
        <translation>番組名なし</translation>
    </message>
    <message id="IDS_A11Y_MONTH_1">
        <source>January</source>
        <translation>1月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_2">
        <source>February</source>
        <translation>2月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_3">
        <source>March</source>
        <translation>3月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_4">
        <source>April</source>
        <translation>4月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_5">
        <source>May</source>
        <translation>5月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_6">
        <source>June</source>
        <translation>6月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_7">
        <source>July</source>
        <translation>7月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_8">
        <source>August</source>
        <translation>8月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_9">
        <source>September</source>
        <translation>9月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_10">
        <source>October</source>
        <translation>10月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_11">
        <source>November</source>
        <translation>11月</translation>
    </message>
    <message id="IDS_A11Y_MONTH_12">
        <source>December</source>
        <translation>12月</translation>
    </message>
    <message id="IDS_A11Y_DATE">
        <source>%1, %2 %3 %4</source>
        <translation>%4年%3%2日 %1</translation>
    </message>
    <message id="IDS_A11Y_HOUR">
        <source>%1:00</source>
        <translation>%1時</translation>
    </message>
    <message id="IDS_A11Y_TIME">
        <source>%1:%2</source>
        <translation>%1時%2分</translation>
    </message>
    <message id="IDS_A11Y_LIST_SEPARATOR">
        <source>, </source>
        <translation>、</translation>
    </message>
    <message id="IDS_A11Y_WAKECHECK_FINDINGS">
        <source>What was checked</source>
        <translation>確認した項目</translation>
    </message>
</context>
</TS>
