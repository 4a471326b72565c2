// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "zh-Hans",
"dir": "ltr",
"connectingTitle": "正在连接",
"connecting": "正在连接到打印服务器…",
"unreachable": "无法访问打印服务器",
"reasonRefused": "服务器未接受连接。",
"reasonNotFound": "找不到服务器名称。",
"reasonTimeout": "服务器未及时响应。",
"reasonCertificate": "服务器的证书未被接受。",
"retry": "重试",
"close": "关闭",
"cut": "剪切(&T)",
"copy": "复制(&C)",
"paste": "粘贴(&P)",
"selectAll": "全选(&A)",
"print": "打印(&R)...",
"internalError": "应用程序内部错误。"
});
