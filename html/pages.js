// The program's pages in the user's language: words/languages.js lists the languages,
// words/<tag>.js holds each one's words. A page loads this, the list, then its words with
// tessel.load(tag), and calls tessel.apply() at the end of its body. Without words the page
// keeps the English it is written in.
var tessel = {
  list: [],
  given: null,
  languages: function (list) { tessel.list = list; },
  words: function (words) { tessel.given = words; },
  // As the program chooses: the tag itself, else a language shipped for its neutral form;
  // Chinese by script; English where none is shipped.
  choose: function (wanted) {
    var w = String(wanted || "").toLowerCase(), l = tessel.list, i;
    if (/^zh-(tw|hk|mo|hant)/.test(w)) w = "zh-hant"; else if (/^zh/.test(w)) w = "zh-hans";
    for (i = 0; i < l.length; i++) if (l[i].toLowerCase() == w) return l[i];
    for (i = 0; i < l.length; i++) if (l[i].split("-")[0].toLowerCase() == w.split("-")[0]) return l[i];
    return "en";
  },
  // The language the control reports (the system's display language).
  fromControl: function () {
    var n = window.navigator;
    return n.browserLanguage || n.userLanguage || n.language || "en";
  },
  // Only a tag of the list names a file.
  load: function (tag) {
    for (var i = 0; i < tessel.list.length; i++)
      if (tessel.list[i] == tag) document.write('<script src="words/' + tag + '.js"><\/script>');
  },
  apply: function () {
    var w = tessel.given, root = document.documentElement, all, i, key;
    if (!w) return;
    root.setAttribute("lang", w.lang);
    root.setAttribute("dir", w.dir);
    all = document.getElementsByTagName("*");
    for (i = 0; i < all.length; i++) {
      key = all[i].getAttribute("data-word");
      if (key && w[key]) tessel.text(all[i], w[key]);
    }
    key = root.getAttribute("data-title");
    if (key && w[key]) document.title = w[key];
  },
  // The element's direction by the first strong letter of its text, as dir="auto" gives it:
  // right to left for Hebrew, Arabic and their kin, else left to right; a text without one
  // keeps the page's.
  direct: function (element) {
    var rtl = "\u0590-\u08FF\u200F\uFB1D-\uFDFF\uFE70-\uFEFC",
        ltr = "A-Za-z\u00AA\u00B5\u00BA\u00C0-\u00D6\u00D8-\u00F6\u00F8-\u02B8\u0370-\u058F\u0900-\u1FFF\u200E" +
              "\u2C00-\u2DFF\u3040-\u9FFF\uA000-\uD7FF\uF900-\uFB1C\uFF21-\uFF3A\uFF41-\uFF5A\uFF66-\uFFDC",
        m = new RegExp("([" + rtl + "])|[" + ltr + "]").exec(element.textContent || element.innerText || "");
    if (m) element.setAttribute("dir", m[1] ? "rtl" : "ltr");
  },
  // Text as text, never as markup.
  text: function (element, text) {
    if ("textContent" in element) element.textContent = text; else element.innerText = text;
  }
};
