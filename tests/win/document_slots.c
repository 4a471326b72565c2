/* Slots of the page's document interface, read from the C declaration of its table: the
   stub document of the dialog's tests fills the slots it needs, whatever the C++ compiler. */
#define CINTERFACE
#include <stddef.h>
#include <windows.h>
#include <mshtml.h>

size_t HtmlDocumentTitleSlot(void) { return offsetof(IHTMLDocument2Vtbl, get_title) / sizeof(void*); }
