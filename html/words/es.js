// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "es",
"dir": "ltr",
"connectingTitle": "Conectando",
"connecting": "Conectando con el servidor de impresión…",
"unreachable": "No se pudo acceder al servidor de impresión",
"reasonRefused": "El servidor no aceptó la conexión.",
"reasonNotFound": "No se encontró el nombre del servidor.",
"reasonTimeout": "El servidor no respondió a tiempo.",
"reasonCertificate": "No se aceptó el certificado del servidor.",
"retry": "Reintentar",
"close": "Cerrar",
"cut": "Cor&tar",
"copy": "&Copiar",
"paste": "&Pegar",
"selectAll": "Seleccionar &todo",
"print": "&Imprimir...",
"internalError": "Error interno de la aplicación."
});
