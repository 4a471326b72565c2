// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "ja",
"dir": "ltr",
"connectingTitle": "接続しています",
"connecting": "プリント サーバーに接続しています…",
"unreachable": "プリント サーバーに接続できませんでした",
"reasonRefused": "サーバーが接続を受け付けませんでした。",
"reasonNotFound": "サーバーの名前が見つかりませんでした。",
"reasonTimeout": "サーバーが時間内に応答しませんでした。",
"reasonCertificate": "サーバーの証明書は受け入れられませんでした。",
"retry": "再試行",
"close": "閉じる",
"cut": "切り取り(&T)",
"copy": "コピー(&C)",
"paste": "貼り付け(&P)",
"selectAll": "すべて選択(&A)",
"print": "印刷(&R)...",
"internalError": "アプリケーションの内部エラーです。"
});
