// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "ar",
"dir": "rtl",
"connectingTitle": "جارٍ الاتصال",
"connecting": "جارٍ الاتصال بخادم الطباعة…",
"unreachable": "تعذر الوصول إلى خادم الطباعة",
"reasonRefused": "لم يقبل الخادم الاتصال.",
"reasonNotFound": "لم يتم العثور على اسم الخادم.",
"reasonTimeout": "لم يستجب الخادم في الوقت المحدد.",
"reasonCertificate": "لم تُقبل شهادة الخادم.",
"retry": "إعادة المحاولة",
"close": "إغلاق",
"cut": "&قص",
"copy": "&نسخ",
"paste": "ل&صق",
"selectAll": "تحديد ال&كل",
"print": "&طباعة...",
"internalError": "خطأ داخلي في التطبيق."
});
