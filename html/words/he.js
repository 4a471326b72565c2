// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "he",
"dir": "rtl",
"connectingTitle": "מתחבר",
"connecting": "מתחבר לשרת ההדפסה…",
"unreachable": "לא ניתן להגיע לשרת ההדפסה",
"reasonRefused": "השרת לא קיבל את החיבור.",
"reasonNotFound": "שם השרת לא נמצא.",
"reasonTimeout": "השרת לא ענה בזמן.",
"reasonCertificate": "האישור של השרת לא התקבל.",
"retry": "נסה שוב",
"close": "סגור",
"cut": "&גזור",
"copy": "ה&עתק",
"paste": "ה&דבק",
"selectAll": "בחר ה&כל",
"print": "ה&דפס...",
"internalError": "שגיאה פנימית ביישום."
});
