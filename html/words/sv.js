// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "sv",
"dir": "ltr",
"connectingTitle": "Ansluter",
"connecting": "Ansluter till utskriftsservern…",
"unreachable": "Det gick inte att nå utskriftsservern",
"reasonRefused": "Servern accepterade inte anslutningen.",
"reasonNotFound": "Serverns namn hittades inte.",
"reasonTimeout": "Servern svarade inte i tid.",
"reasonCertificate": "Serverns certifikat godkändes inte.",
"retry": "Försök igen",
"close": "Stäng",
"cut": "Klipp &ut",
"copy": "&Kopiera",
"paste": "Klistra &in",
"selectAll": "Markera &allt",
"print": "&Skriv ut...",
"internalError": "Internt programfel."
});
