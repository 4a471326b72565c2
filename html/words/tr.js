// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "tr",
"dir": "ltr",
"connectingTitle": "Bağlanıyor",
"connecting": "Yazdırma sunucusuna bağlanılıyor…",
"unreachable": "Yazdırma sunucusuna ulaşılamadı",
"reasonRefused": "Sunucu bağlantıyı kabul etmedi.",
"reasonNotFound": "Sunucunun adı bulunamadı.",
"reasonTimeout": "Sunucu zamanında yanıt vermedi.",
"reasonCertificate": "Sunucunun sertifikası kabul edilmedi.",
"retry": "Yeniden dene",
"close": "Kapat",
"cut": "&Kes",
"copy": "K&opyala",
"paste": "&Yapıştır",
"selectAll": "&Tümünü seç",
"print": "Ya&zdır...",
"internalError": "Uygulama iç hatası."
});
