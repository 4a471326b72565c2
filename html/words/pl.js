// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "pl",
"dir": "ltr",
"connectingTitle": "Łączenie",
"connecting": "Łączenie z serwerem wydruku…",
"unreachable": "Nie można połączyć się z serwerem wydruku",
"reasonRefused": "Serwer nie przyjął połączenia.",
"reasonNotFound": "Nie znaleziono nazwy serwera.",
"reasonTimeout": "Serwer nie odpowiedział na czas.",
"reasonCertificate": "Certyfikat serwera nie został zaakceptowany.",
"retry": "Spróbuj ponownie",
"close": "Zamknij",
"cut": "Wy&tnij",
"copy": "&Kopiuj",
"paste": "Wk&lej",
"selectAll": "Zaznacz &wszystko",
"print": "&Drukuj...",
"internalError": "Wewnętrzny błąd aplikacji."
});
