"""The program's trace lines, read from base/trace_lines.h, the one place they are written:
its kNavigateViewer is NAVIGATE_VIEWER here. Every test and tool that reads the trace takes
them from here, so nothing can drift."""
import os
import re

_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "base", "trace_lines.h")
_LINE = re.compile(r'inline constexpr char16_t k(\w+)\[\] = u"((?:[^"\\]|\\.)*)";')

with open(_HEADER, encoding="utf-8") as _f:
    for _camel, _text in _LINE.findall(_f.read()):
        _name = re.sub(r"(?<=[a-z0-9])(?=[A-Z])|(?<=[a-z])(?=[0-9])", "_", _camel).upper()
        globals()[_name] = _text.encode().decode("unicode_escape")

# Every navigation the program asks of the browser, in the order a run makes them.
NAVIGATIONS = (NAVIGATE_START_PAGE, NAVIGATE_VIEWER, NAVIGATE_COPY_DATA)  # noqa: F821
