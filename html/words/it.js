// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "it",
"dir": "ltr",
"connectingTitle": "Connessione in corso",
"connecting": "Connessione al server di stampa in corso…",
"unreachable": "Impossibile raggiungere il server di stampa",
"reasonRefused": "Il server non ha accettato la connessione.",
"reasonNotFound": "Nome del server non trovato.",
"reasonTimeout": "Il server non ha risposto in tempo.",
"reasonCertificate": "Il certificato del server non è stato accettato.",
"retry": "Riprova",
"close": "Chiudi",
"cut": "&Taglia",
"copy": "&Copia",
"paste": "I&ncolla",
"selectAll": "Seleziona t&utto",
"print": "Stam&pa...",
"internalError": "Errore interno dell'applicazione."
});
