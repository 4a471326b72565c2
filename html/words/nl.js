// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "nl",
"dir": "ltr",
"connectingTitle": "Verbinding maken",
"connecting": "Verbinding maken met de afdrukserver…",
"unreachable": "De afdrukserver is niet bereikbaar",
"reasonRefused": "De server heeft de verbinding niet geaccepteerd.",
"reasonNotFound": "De naam van de server is niet gevonden.",
"reasonTimeout": "De server heeft niet op tijd geantwoord.",
"reasonCertificate": "Het certificaat van de server is niet geaccepteerd.",
"retry": "Opnieuw proberen",
"close": "Sluiten",
"cut": "K&nippen",
"copy": "&Kopiëren",
"paste": "&Plakken",
"selectAll": "&Alles selecteren",
"print": "Af&drukken...",
"internalError": "Interne toepassingsfout."
});
