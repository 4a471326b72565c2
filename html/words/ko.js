// The program's own words in this language: one "key": "text" a line.
tessel.words({
"lang": "ko",
"dir": "ltr",
"connectingTitle": "연결하는 중",
"connecting": "인쇄 서버에 연결하는 중…",
"unreachable": "인쇄 서버에 연결할 수 없습니다",
"reasonRefused": "서버가 연결을 허용하지 않았습니다.",
"reasonNotFound": "서버 이름을 찾을 수 없습니다.",
"reasonTimeout": "서버가 제시간에 응답하지 않았습니다.",
"reasonCertificate": "서버의 인증서가 승인되지 않았습니다.",
"retry": "다시 시도",
"close": "닫기",
"cut": "잘라내기(&T)",
"copy": "복사(&C)",
"paste": "붙여넣기(&P)",
"selectAll": "모두 선택(&A)",
"print": "인쇄(&R)...",
"internalError": "응용 프로그램 내부 오류입니다."
});
