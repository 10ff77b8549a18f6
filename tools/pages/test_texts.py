#!/usr/bin/env python3
"""Checks that every language's texts fit the English ones: the same keys,
the same number of lines in every list, no empty text, the names that must
stay as they are (the trace file and its folder) kept in place, the applet's
own name, the buttons named as they read, and no English left over."""

import os
import re
import sys
import unittest
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from texts import LANGUAGES  # noqa: E402

ENGLISH = LANGUAGES["Lang0409"]

# The Control Panel applet's resources, whose name in each language the
# pages' product name repeats.
APPLET_RC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cpl", "Quillset.rc")

# Windows' primary language identifiers of the applet's languages.
PRIMARY_LANGUAGES = {
    "ARABIC": 0x01, "CHINESE": 0x04, "GERMAN": 0x07, "ENGLISH": 0x09, "SPANISH": 0x0A, "FRENCH": 0x0C,
    "ITALIAN": 0x10, "JAPANESE": 0x11, "KOREAN": 0x12, "DUTCH": 0x13, "POLISH": 0x15, "PORTUGUESE": 0x16,
    "ROMANIAN": 0x18, "RUSSIAN": 0x19, "CROATIAN": 0x1A, "SWEDISH": 0x1D, "THAI": 0x1E,
}

# Keys a language may add to the English set: the writing direction.
OPTIONAL_KEYS = {"dir"}

# Latin-script words that stay as they are in every language: the maker, the
# trace file and its folder, and names of Windows and of the hardware.
KEPT_WORDS = {"Tarn", "Ravlin_Trace.trc", "Tarn\\Ravlin", "Windows", "BIOS", "DMA", "FAX"}

# Languages written in another script, where any other Latin word is English left over.
OTHER_SCRIPTS = {"ar", "ja", "ko", "ru", "th", "zh-CN", "zh-TW"}


def all_texts(texts):
    """Every text of a language's pages (not its tag, direction or tones)."""
    for key, value in texts.items():
        if key in ("lang", "dir", "tone"):
            continue
        if isinstance(value, dict):
            yield from all_texts(value)
        elif isinstance(value, list):
            for item in value:
                yield from all_texts(item) if isinstance(item, dict) else [item]
        else:
            yield value


def applet_names():
    """The applet's name by page folder, read from its string tables."""
    with open(APPLET_RC, encoding="utf-8") as rc:
        text = rc.read()
    names = {}
    for match in re.finditer(r'LANGUAGE LANG_(\w+), SUBLANG_(\w+)\s+STRINGTABLE\s+BEGIN\s+IDS_APPLET_NAME "([^"]*)"', text):
        primary, sub, name = match.groups()
        folder_id = 0x0804 if sub == "CHINESE_SIMPLIFIED" else 0x0400 | PRIMARY_LANGUAGES[primary]
        names[f"Lang{folder_id:04x}"] = name.strip()
    return names


def without_accents(text):
    return "".join(c for c in unicodedata.normalize("NFKD", text) if not unicodedata.combining(c))


def differences(english, other, where):
    """Yields a line for each place where `other` is not shaped like `english`."""
    if isinstance(english, dict):
        if not isinstance(other, dict):
            yield f"{where}: a dictionary expected"
            return
        extra = set(other) - set(english) - (OPTIONAL_KEYS if where == "" else set())
        for key in sorted(set(english) - set(other)):
            yield f"{where}/{key}: missing"
        for key in sorted(extra):
            yield f"{where}/{key}: not in the English texts"
        for key in sorted(set(english) & set(other)):
            yield from differences(english[key], other[key], f"{where}/{key}")
    elif isinstance(english, list):
        if not isinstance(other, list):
            yield f"{where}: a list expected"
        elif len(other) != len(english):
            yield f"{where}: {len(other)} entries, English has {len(english)}"
        else:
            for i, (e, o) in enumerate(zip(english, other)):
                yield from differences(e, o, f"{where}[{i}]")
    elif not isinstance(other, str) or not other.strip():
        yield f"{where}: empty or not a text"


class TextsTest(unittest.TestCase):
    def test_every_language_has_the_english_shape(self):
        for folder, texts in LANGUAGES.items():
            with self.subTest(folder=folder):
                self.assertEqual([], list(differences(ENGLISH, texts, "")))

    def test_result_tones_are_the_english_ones(self):
        # The tone picks the page's colour and icon, so it is never translated.
        tones = [r["tone"] for r in ENGLISH["res"]]
        for folder, texts in LANGUAGES.items():
            with self.subTest(folder=folder):
                self.assertEqual(tones, [r["tone"] for r in texts["res"]])

    def test_texts_name_the_buttons_as_the_buttons_read(self):
        # The progress note tells what Stop does, the all-good result points to Details.
        for folder, texts in LANGUAGES.items():
            with self.subTest(folder=folder):
                self.assertIn(texts["buttons"]["stop"], texts["progress_note"])
                self.assertIn(texts["buttons"]["details"], texts["res"][0]["todo"][1])

    def test_no_english_left_in_other_scripts(self):
        for folder, texts in LANGUAGES.items():
            if texts["lang"] not in OTHER_SCRIPTS:
                continue
            with self.subTest(folder=folder):
                words = set()
                for text in all_texts(texts):
                    words.update(w.rstrip(".") for w in re.findall(r"[A-Za-z][A-Za-z0-9_.\\]*", text))
                self.assertEqual(set(), words - KEPT_WORDS)

    def test_names_that_stay_as_they_are(self):
        for folder, texts in LANGUAGES.items():
            with self.subTest(folder=folder):
                self.assertIn("Tarn", texts["product"])
                self.assertIn("Ravlin_Trace.trc", texts["about_note"])
                self.assertIn("Tarn\\Ravlin", texts["about_note"])

    def test_every_applet_language_has_pages_named_like_the_applet(self):
        names = applet_names()
        self.assertEqual(sorted(names), sorted(LANGUAGES))
        for folder, name in names.items():
            texts = LANGUAGES[folder]
            with self.subTest(folder=folder):
                self.assertIn(texts["applet_name"], texts["product"])
                if folder == "Lang0419":
                    continue  # the applet's Russian name is only "Программа" (program)
                # Polish: the applet's name lacks its diacritics, the pages have them.
                self.assertEqual(without_accents(name), without_accents(texts["applet_name"]))

    def test_folders_and_language_tags(self):
        tags = {folder: texts["lang"] for folder, texts in LANGUAGES.items()}
        self.assertEqual(len(set(tags.values())), len(tags), "two folders share a language tag")
        for folder, tag in tags.items():
            with self.subTest(folder=folder):
                self.assertRegex(folder, r"^Lang[0-9a-f]{4}$")
                self.assertRegex(tag, r"^[a-z]{2}(-[A-Z]{2})?$")
                direction = LANGUAGES[folder].get("dir", "ltr")
                self.assertEqual(direction == "rtl", tag == "ar")


if __name__ == "__main__":
    unittest.main()
