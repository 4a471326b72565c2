// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "ru",
"dir": "ltr",
"connectingTitle": "Подключение",
"connecting": "Подключение к серверу печати…",
"unreachable": "Не удалось связаться с сервером печати",
"reasonRefused": "Сервер не принял подключение.",
"reasonNotFound": "Имя сервера не найдено.",
"reasonTimeout": "Сервер не ответил вовремя.",
"reasonCertificate": "Сертификат сервера не был принят.",
"retry": "Повторить",
"close": "Закрыть",
"cut": "Вы&резать",
"copy": "&Копировать",
"paste": "Вст&авить",
"selectAll": "Выделить &все",
"print": "&Печать...",
"internalError": "Внутренняя ошибка приложения."
});
