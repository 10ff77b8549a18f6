"""The pages' texts: one module per language, each with a dictionary TEXTS
holding the same keys as the English one (Arabic adds "dir": "rtl").
LANGUAGES maps each page folder (htm/Lang*, named by the language
identifier the program normalises the system's language to) to its texts."""

from . import ar, de, en, es, fr, hr, it, ja, ko, nl, pl, pt_br, ro, ru, sv, th, zh_cn, zh_tw

LANGUAGES = {
    "Lang0404": zh_tw.TEXTS,
    "Lang0407": de.TEXTS,
    "Lang040a": es.TEXTS,
    "Lang041d": sv.TEXTS,
    "Lang0401": ar.TEXTS,
    "Lang0409": en.TEXTS,
    "Lang040c": fr.TEXTS,
    "Lang0410": it.TEXTS,
    "Lang0411": ja.TEXTS,
    "Lang0412": ko.TEXTS,
    "Lang0413": nl.TEXTS,
    "Lang0415": pl.TEXTS,
    "Lang0416": pt_br.TEXTS,
    "Lang0418": ro.TEXTS,
    "Lang0419": ru.TEXTS,
    "Lang041a": hr.TEXTS,
    "Lang041e": th.TEXTS,
    "Lang0804": zh_cn.TEXTS,
}
