// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "fr",
"dir": "ltr",
"connectingTitle": "Connexion",
"connecting": "Connexion au serveur d'impression…",
"unreachable": "Le serveur d'impression est inaccessible",
"reasonRefused": "Le serveur n'a pas accepté la connexion.",
"reasonNotFound": "Le nom du serveur est introuvable.",
"reasonTimeout": "Le serveur n'a pas répondu à temps.",
"reasonCertificate": "Le certificat du serveur n'a pas été accepté.",
"retry": "Réessayer",
"close": "Fermer",
"cut": "Co&uper",
"copy": "&Copier",
"paste": "C&oller",
"selectAll": "&Sélectionner tout",
"print": "&Imprimer...",
"internalError": "Erreur interne de l'application."
});
