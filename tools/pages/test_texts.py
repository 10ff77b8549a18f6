#!/usr/bin/env python3
"""Checks that every language's texts fit the English ones: the same keys,
the same number of lines in every list, no empty text, and the names that
must stay as they are (the trace file and its folder) kept in place."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from texts import LANGUAGES  # noqa: E402

ENGLISH = LANGUAGES["Lang0409"]

# Keys a language may add to the English set: the writing direction.
OPTIONAL_KEYS = {"dir"}


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

    def test_names_that_stay_as_they_are(self):
        for folder, texts in LANGUAGES.items():
            with self.subTest(folder=folder):
                self.assertIn("Tarn", texts["product"])
                self.assertIn("Ravlin_Trace.trc", texts["about_note"])
                self.assertIn("Tarn\\Ravlin", texts["about_note"])

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
