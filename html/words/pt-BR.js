// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "pt-BR",
"dir": "ltr",
"connectingTitle": "Conectando",
"connecting": "Conectando ao servidor de impressão…",
"unreachable": "Não foi possível acessar o servidor de impressão",
"reasonRefused": "O servidor não aceitou a conexão.",
"reasonNotFound": "O nome do servidor não foi encontrado.",
"reasonTimeout": "O servidor não respondeu a tempo.",
"reasonCertificate": "O certificado do servidor não foi aceito.",
"retry": "Tentar novamente",
"close": "Fechar",
"cut": "Recor&tar",
"copy": "&Copiar",
"paste": "C&olar",
"selectAll": "Selecionar &tudo",
"print": "&Imprimir...",
"internalError": "Erro interno do aplicativo."
});
