#!/usr/bin/env python3
"""Checks the page folders in htm/ as the program will find them: one for
every language of the Control Panel applet, each with every page, every
element id the dialog works with, the right language and direction, no
English left where the language has its own, and all of it as
tools/pages/make-pages.py writes it today.

    python3 tests/pages/page_folders_test.py [--htm htm]
"""

import argparse
import html.parser
import importlib.util
import os
import re
import sys
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ARGS = None

PAGES = ["about", "code0", "code1", "code2", "code3", "progress", "res0", "res1", "res2", "res3", "res4",
         "start", "starterr"]

# The applet's languages: page folder -> the language tag its pages carry.
FOLDERS = {
    "Lang0401": "ar", "Lang0404": "zh-TW", "Lang0407": "de", "Lang0409": "en", "Lang040a": "es",
    "Lang040c": "fr", "Lang0410": "it", "Lang0411": "ja", "Lang0412": "ko", "Lang0413": "nl",
    "Lang0415": "pl", "Lang0416": "pt-BR", "Lang0418": "ro", "Lang0419": "ru", "Lang041a": "hr",
    "Lang041d": "sv", "Lang041e": "th", "Lang0804": "zh-CN",
}
RIGHT_TO_LEFT = {"Lang0401"}

# Texts the dialog puts in place (the modem's and the program's own, in the
# dialog's words) and words that are names in every language.
FILLED_BY_THE_DIALOG = {"mdmName", "mdmVersion", "mdmCountry", "swVersion", "swReleaseDate", "testStage"}
NAMES = {"tarn", "ravlin", "ravlin_trace.trc", "windows", "bios", "dma", "com", "at", "inf", "hda56"}


class Page(html.parser.HTMLParser):
    """What the checks need of one page: the root's attributes, the ids, and
    the texts a reader sees, each with the id of the element it stands in."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.root = {}
        self.ids = []
        self.texts = []  # (text, id of the innermost element with an id)
        self._stack = []  # (tag, id)
        self._skip = 0
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "html":
            self.root = attrs
        if "id" in attrs:
            self.ids.append(attrs["id"])
        if tag in ("script", "style", "title"):
            self._skip += 1
        if tag not in ("meta", "link", "img", "br", "input"):
            self._stack.append((tag, attrs.get("id")))

    def handle_endtag(self, tag):
        for i in range(len(self._stack) - 1, -1, -1):
            if self._stack[i][0] == tag:
                del self._stack[i:]
                break
        if tag in ("script", "style", "title"):
            self._skip -= 1

    def handle_data(self, data):
        text = " ".join(data.split())
        if text and not self._skip:
            owner = next((i for _, i in reversed(self._stack) if i), None)
            self.texts.append((text, owner))


def read(folder, name):
    with open(os.path.join(ARGS.htm, folder, name + ".htm"), encoding="utf-8") as f:
        return f.read()


def words(text):
    return re.findall(r"[A-Za-z][A-Za-z'_.]*[A-Za-z]|[A-Za-z]", text)


class PageFoldersTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.english = {name: Page(read("Lang0409", name)) for name in PAGES}
        cls.english_words = {w.lower() for p in cls.english.values() for t, _ in p.texts for w in words(t)}

    def each_page(self, check, folders=None):
        """Runs check(folder, name, text) on every page of the folders that
        exist, and fails with every problem it returns, one line each."""
        problems = []
        for folder in sorted(folders or FOLDERS):
            if not os.path.isdir(os.path.join(ARGS.htm, folder)):
                continue
            for name in PAGES:
                try:
                    text = read(folder, name)
                except FileNotFoundError:
                    continue
                problems += [f"{folder}/{name}.htm: {p}" for p in check(folder, name, text)]
        self.assertEqual([], problems)

    def test_every_language_has_a_folder_with_every_page(self):
        present = sorted(f for f in os.listdir(ARGS.htm) if re.fullmatch(r"Lang[0-9a-f]{4}", f))
        self.assertEqual(sorted(FOLDERS), present)
        for folder in present:
            with self.subTest(folder=folder):
                files = sorted(f[:-4] for f in os.listdir(os.path.join(ARGS.htm, folder)) if f.endswith(".htm"))
                self.assertEqual(sorted(PAGES), files)

    def test_every_page_has_the_english_pages_ids(self):
        def check(folder, name, text):
            ids = Page(text).ids
            for missing in sorted(set(self.english[name].ids) - set(ids)):
                yield f"no element {missing}"
            if len(ids) != len(set(ids)):
                yield "an id twice"
        self.each_page(check)

    def test_language_and_direction(self):
        def check(folder, name, text):
            root = Page(text).root
            if root.get("lang") != FOLDERS[folder]:
                yield f"lang is {root.get('lang')!r}, not {FOLDERS[folder]!r}"
            direction = "rtl" if folder in RIGHT_TO_LEFT else None
            if root.get("dir") != direction:
                yield f"dir is {root.get('dir')!r}, not {direction!r}"
        self.each_page(check)

    def test_right_to_left_pages_keep_names_and_numbers_left_to_right(self):
        def check(folder, name, text):
            for element_id in ("mdmName", "mdmVersion", "swVersion", "swReleaseDate"):
                if f'id="{element_id}"' in text and f'id="{element_id}" dir="ltr"' not in text:
                    yield f"{element_id} without dir=\"ltr\""
            # Latin runs in the page's own texts are set apart.
            for body_text, owner in Page(text).texts:
                if owner in FILLED_BY_THE_DIALOG:
                    continue
                if re.search(r"[\u0600-\u06ff]", body_text) and re.search(r"[A-Za-z0-9]", body_text):
                    yield f"Latin text inside an Arabic run: {body_text!r}"
        self.assertTrue(RIGHT_TO_LEFT)
        self.each_page(check, RIGHT_TO_LEFT)

    def test_no_english_left_where_the_language_has_its_own(self):
        def check(folder, name, text):
            english = {t for t, _ in self.english[name].texts}
            latin = FOLDERS[folder].split("-")[0] not in ("ar", "ja", "ko", "ru", "th", "zh")
            for own_text, owner in Page(text).texts:
                if owner in FILLED_BY_THE_DIALOG:
                    continue
                # A sentence or phrase exactly as in English (a single word
                # such as "Modem" or "Details" may well be the language's own).
                own = [w for w in words(own_text) if w.lower() not in NAMES]
                if own_text in english and len(own) >= 2:
                    yield f"left in English: {own_text!r}"
                # In a language not written in Latin letters, a run of English
                # words is an untranslated phrase.
                if not latin:
                    run = re.search(r"[A-Za-z]{2,}(?:[ ,]+[A-Za-z]{2,})+", own_text)
                    if run and all(w.lower() in self.english_words and w.lower() not in NAMES
                                   for w in words(run.group(0))):
                        yield f"English words in {own_text!r}"
        self.each_page(check, set(FOLDERS) - {"Lang0409"})

    def test_the_pages_are_as_the_generator_writes_them(self):
        loader_spec = importlib.util.spec_from_file_location("make_pages", os.path.join(ROOT, "tools", "pages", "make-pages.py"))
        sys.path.insert(0, os.path.join(ROOT, "tools", "pages"))
        make_pages = importlib.util.module_from_spec(loader_spec)
        loader_spec.loader.exec_module(make_pages)
        stale = []
        for folder, texts in make_pages.LANGUAGES.items():
            for name, text in make_pages.make(folder, texts).items():
                if read(folder, name) != text:
                    stale.append(f"{folder}/{name}.htm")
        with open(os.path.join(ROOT, "tools", "pages", "style.css"), encoding="utf-8") as f:
            style = make_pages.compile_style(f.read())
        with open(os.path.join(ARGS.htm, "common", "style.css"), encoding="utf-8") as f:
            if f.read() != style:
                stale.append("common/style.css")
        self.assertEqual([], stale, "run python3 tools/pages/make-pages.py and commit the pages")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--htm", default=os.path.join(ROOT, "htm"))
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
