// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "en",
"dir": "ltr",
"connectingTitle": "Connecting",
"connecting": "Connecting to the print server…",
"unreachable": "The print server could not be reached",
"reasonRefused": "The server did not accept the connection.",
"reasonNotFound": "The server's name was not found.",
"reasonTimeout": "The server did not answer in time.",
"reasonCertificate": "The server's certificate was not accepted.",
"retry": "Try again",
"close": "Close",
"cut": "Cu&t",
"copy": "&Copy",
"paste": "&Paste",
"selectAll": "Select &all",
"print": "&Print...",
"internalError": "Internal application error."
});
