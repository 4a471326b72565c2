// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "cs",
"dir": "ltr",
"connectingTitle": "Připojování",
"connecting": "Připojování k tiskovému serveru…",
"unreachable": "Tiskový server není dostupný",
"reasonRefused": "Server nepřijal připojení.",
"reasonNotFound": "Název serveru nebyl nalezen.",
"reasonTimeout": "Server neodpověděl včas.",
"reasonCertificate": "Certifikát serveru nebyl přijat.",
"retry": "Zkusit znovu",
"close": "Zavřít",
"cut": "Vyj&mout",
"copy": "&Kopírovat",
"paste": "V&ložit",
"selectAll": "Vybr&at vše",
"print": "&Tisk...",
"internalError": "Vnitřní chyba aplikace."
});
