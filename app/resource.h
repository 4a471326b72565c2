// Resource ids shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128          // the icon group
#define IDD_TESSEL_DIALOG 102      // the main dialog's template
#define IDC_BROWSER 1001           // the browser control in it
#define IDR_WORDS_EN 129           // html/words/en.js, for an install that lost its words
