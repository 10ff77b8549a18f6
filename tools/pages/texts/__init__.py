"""The pages' texts: one module per language, each with a dictionary TEXTS
holding the same keys as the English one. LANGUAGES maps each page folder
(htm/Lang*, named by the language identifier) to its texts."""

from . import de, en, es, fr, hr, it, nl, pl, pt_br, ro, ru, sv, zh_cn

LANGUAGES = {
    "Lang0407": de.TEXTS,
    "Lang040a": es.TEXTS,
    "Lang041d": sv.TEXTS,
    "Lang0409": en.TEXTS,
    "Lang040c": fr.TEXTS,
    "Lang0410": it.TEXTS,
    "Lang0413": nl.TEXTS,
    "Lang0415": pl.TEXTS,
    "Lang0416": pt_br.TEXTS,
    "Lang0418": ro.TEXTS,
    "Lang0419": ru.TEXTS,
    "Lang041a": hr.TEXTS,
    "Lang0804": zh_cn.TEXTS,
}
