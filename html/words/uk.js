// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "uk",
"dir": "ltr",
"connectingTitle": "Підключення",
"connecting": "Підключення до сервера друку…",
"unreachable": "Не вдалося зв'язатися із сервером друку",
"reasonRefused": "Сервер не прийняв підключення.",
"reasonNotFound": "Ім'я сервера не знайдено.",
"reasonTimeout": "Сервер не відповів вчасно.",
"reasonCertificate": "Сертифікат сервера не прийнято.",
"retry": "Спробувати ще раз",
"close": "Закрити",
"cut": "Ви&різати",
"copy": "&Копіювати",
"paste": "Вст&авити",
"selectAll": "Виділити &все",
"print": "&Друк...",
"internalError": "Внутрішня помилка програми."
});
