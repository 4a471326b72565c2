// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "el",
"dir": "ltr",
"connectingTitle": "Σύνδεση",
"connecting": "Σύνδεση με τον διακομιστή εκτυπώσεων…",
"unreachable": "Δεν ήταν δυνατή η πρόσβαση στον διακομιστή εκτυπώσεων",
"reasonRefused": "Ο διακομιστής δεν αποδέχτηκε τη σύνδεση.",
"reasonNotFound": "Το όνομα του διακομιστή δεν βρέθηκε.",
"reasonTimeout": "Ο διακομιστής δεν απάντησε εγκαίρως.",
"reasonCertificate": "Το πιστοποιητικό του διακομιστή δεν έγινε αποδεκτό.",
"retry": "Δοκιμάστε ξανά",
"close": "Κλείσιμο",
"cut": "Αποκοπ&ή",
"copy": "Αντι&γραφή",
"paste": "Επι&κόλληση",
"selectAll": "Επιλογή ό&λων",
"print": "Εκ&τύπωση...",
"internalError": "Εσωτερικό σφάλμα εφαρμογής."
});
