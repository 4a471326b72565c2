// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "zh-Hant",
"dir": "ltr",
"connectingTitle": "正在連線",
"connecting": "正在連線到列印伺服器…",
"unreachable": "無法連線到列印伺服器",
"reasonRefused": "伺服器未接受連線。",
"reasonNotFound": "找不到伺服器名稱。",
"reasonTimeout": "伺服器未及時回應。",
"reasonCertificate": "伺服器的憑證未被接受。",
"retry": "重試",
"close": "關閉",
"cut": "剪下(&T)",
"copy": "複製(&C)",
"paste": "貼上(&P)",
"selectAll": "全選(&A)",
"print": "列印(&R)...",
"internalError": "應用程式內部錯誤。"
});
