"""The options of read, write and convert: checked here, then handed to the extension.

They are those of the command-line tool's ``convert``, by the same names where Python allows
(``--from``/``--to`` are ``from_frame``/``to_frame``).
"""

import numbers

from . import _native

LENGTH_UNITS = ("mm", "cm", "m", "in", "ft", "yd")
AXES = ("y", "z")


def _choice(name, value, allowed):
    if value is None:
        return None
    if not isinstance(value, str):
        raise TypeError(f"{name} must be a str, not {type(value).__name__}")
    if value not in allowed:
        raise ValueError(f"{name}={value!r}: expected one of {', '.join(map(repr, allowed))}")
    return value


def _frame(name, value):
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be an int (a frame number), not {type(value).__name__}")
    return int(value)


def _flag(name, value):
    if not isinstance(value, bool):
        raise TypeError(f"{name} must be True or False, not {value!r}")
    return value


def _word_list(name, value, from_str):
    """`value` as a list: a str through `from_str`, else any iterable; None stays None."""
    if value is None:
        return None
    if isinstance(value, str):
        return from_str(value)
    try:
        return list(value)
    except TypeError:
        raise TypeError(f"{name} must be a str or a list of str, not {type(value).__name__}") from None


def _points(value):
    words = _word_list("points", value, lambda text: [text])
    if words is None:
        return None
    allowed = _native.point_kind_words()
    for word in words:
        if not isinstance(word, str):
            raise TypeError(f"points must be a str or a list of str, not a list holding {word!r}")
        if word not in allowed:
            raise ValueError(f"points={word!r}: expected one of {', '.join(map(repr, allowed))}")
    return words


def _patterns(name, value):
    """Glob patterns of point names: a str (comma-separated, as the tool's flag) or a list."""
    words = _word_list(name, value, lambda text: text.split(","))
    if words is None:
        return None
    if not words or not all(isinstance(word, str) and word for word in words):
        raise ValueError(f"{name} must name at least one pattern, each a non-empty str")
    return words


def read_options(names=None, up=None, points=None, lenient=False, from_frame=None,
                 to_frame=None, keep_time=False, units=None, markers=None, exclude=None):
    """The options of a read, checked, as the extension takes them."""
    options = {
        "names": _choice("names", names, ("labels", "descriptions")),
        "up": _choice("up", up, AXES),
        "points": _points(points),
        "markers": _patterns("markers", markers),
        "exclude": _patterns("exclude", exclude),
        "lenient": _flag("lenient", lenient),
        "from_frame": _frame("from_frame", from_frame),
        "to_frame": _frame("to_frame", to_frame),
        "keep_time": _flag("keep_time", keep_time),
        "units": _choice("units", units, LENGTH_UNITS),
    }
    if options["from_frame"] is not None and options["to_frame"] is not None \
            and options["from_frame"] > options["to_frame"]:
        raise ValueError(f"from_frame {from_frame} is after to_frame {to_frame}")
    if keep_time and from_frame is None and to_frame is None:
        raise ValueError("keep_time is used only with from_frame or to_frame")
    return options


def write_options(units=None, up_out=None):
    """The options of a write, checked, as the extension takes them."""
    return {"units": _choice("units", units, LENGTH_UNITS), "up_out": _choice("up_out", up_out, AXES)}


def refuse_c3d_options(path, options):
    """A ValueError for the options that only a C3D input takes, as the tool refuses them."""
    for name in ("names", "lenient"):
        if options[name]:
            raise ValueError(f"{name}= is used only with a C3D input, not {path}")
