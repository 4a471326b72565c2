// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "de",
"dir": "ltr",
"connectingTitle": "Verbindung wird hergestellt",
"connecting": "Verbindung zum Druckserver wird hergestellt…",
"unreachable": "Der Druckserver ist nicht erreichbar",
"reasonRefused": "Der Server hat die Verbindung nicht angenommen.",
"reasonNotFound": "Der Name des Servers wurde nicht gefunden.",
"reasonTimeout": "Der Server hat nicht rechtzeitig geantwortet.",
"reasonCertificate": "Das Zertifikat des Servers wurde nicht akzeptiert.",
"retry": "Erneut versuchen",
"close": "Schließen",
"cut": "&Ausschneiden",
"copy": "&Kopieren",
"paste": "&Einfügen",
"selectAll": "Alles &markieren",
"print": "&Drucken...",
"internalError": "Interner Anwendungsfehler."
});
