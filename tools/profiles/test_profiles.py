"""Unit tests of the profiles package: python3 -m unittest discover -s tools/profiles -t tools"""

import json
import os
import tempfile
import unittest

from profiles import overlay, regfile
from profiles.machinejson import write_machine_json
from profiles.version import project_version


class Scratch(unittest.TestCase):
    def setUp(self):
        self._scratch = tempfile.TemporaryDirectory(prefix="ravlin-profiles-")
        self.root = self._scratch.name

    def tearDown(self):
        self._scratch.cleanup()

    def put(self, relative, text, mode="w"):
        path = os.path.join(self.root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, mode, **({} if "b" in mode else {"encoding": "utf-8", "newline": ""})) as f:
            f.write(text)
        return path

    def profile(self, name, data):
        folder = os.path.join(self.root, name)
        os.makedirs(folder, exist_ok=True)
        write_machine_json(folder, data)
        return folder


class VersionTests(Scratch):
    def test_reads_the_project_version_and_refuses_a_file_without_one(self):
        self.put("CMakeLists.txt", "cmake_minimum_required(VERSION 3.20)\nproject(Ravlin VERSION 2.3.45 LANGUAGES C)\n")
        self.assertEqual(project_version(self.root), "2.3.45")
        self.put("CMakeLists.txt", "cmake_minimum_required(VERSION 3.20)\nproject(Ravlin LANGUAGES C)\n")
        with self.assertRaises(ValueError):
            project_version(self.root)

    def test_the_repository_has_one(self):
        self.assertRegex(project_version(), r"^\d+\.\d+\.\d+$")


class RegFileTests(Scratch):
    def test_values_in_export_form(self):
        cases = [
            ("", regfile.REG_SZ, 'C:\\Tarn "x"', '@="C:\\\\Tarn \\"x\\""'),
            ("Count", regfile.REG_DWORD, 42, '"Count"=dword:0000002a'),
            ("Bin", regfile.REG_BINARY, b"\x01\xff", '"Bin"=hex:01,ff'),
            ("Multi", regfile.REG_MULTI_SZ, ["a", "b"], '"Multi"=hex(7):61,00,00,00,62,00,00,00,00,00'),
            ("Path", regfile.REG_EXPAND_SZ, "%a%", '"Path"=hex(2):25,00,61,00,25,00,00,00'),
        ]
        for name, kind, data, line in cases:
            with self.subTest(name=name):
                self.assertEqual(regfile.render_value(name, kind, data), line)

    def test_long_hex_wraps_as_regedit_does(self):
        text = regfile.render_value("DCB", regfile.REG_BINARY, bytes(range(40)))
        lines = text.split("\r\n")
        self.assertGreater(len(lines), 1)
        self.assertTrue(all(len(line) <= 80 for line in lines))
        self.assertTrue(all(line.endswith(",\\") for line in lines[:-1]))
        self.assertTrue(all(line.startswith("  ") for line in lines[1:]))

    def test_a_written_file_reads_back_with_later_values_replacing_earlier_ones(self):
        reg = regfile.Reg()
        reg.sz("HKEY_LOCAL_MACHINE\\SOFTWARE\\A", "Name", "first")
        reg.sz("HKEY_LOCAL_MACHINE\\SOFTWARE\\A", "NAME", "second")
        reg.binary("HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub", "Data", bytes(range(60)))
        reg.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone")
        reg.drop("HKEY_LOCAL_MACHINE\\SOFTWARE\\GONE")
        for utf16 in (True, False):
            with self.subTest(utf16=utf16):
                regfile.write_reg(self.root, "10-a.reg", reg, utf16)
                with open(os.path.join(self.root, "registry", "10-a.reg"), "rb") as f:
                    self.assertEqual(f.read().startswith(b"\xff\xfe"), utf16)
                keys = regfile.folder_registry(self.root)
                self.assertEqual(sorted(keys), ["hkey_local_machine\\software\\a",
                                                "hkey_local_machine\\software\\a\\sub"])
                self.assertEqual(keys["hkey_local_machine\\software\\a"][1], {"name": '"NAME"="second"'})
                self.assertIn("\\\n  ", keys["hkey_local_machine\\software\\a\\sub"][1]["data"])

    def test_removals_drop_what_the_file_wrote_before(self):
        self.put("registry/10.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
                 '"v"="1"\r\n"w"="2"\r\n"v"=-\r\n[HKEY_LOCAL_MACHINE\\B]\r\n"x"="3"\r\n[-HKEY_LOCAL_MACHINE\\b]\r\n')
        self.assertEqual(regfile.folder_registry(self.root),
                         {"hkey_local_machine\\a": ["HKEY_LOCAL_MACHINE\\A", {"w": '"w"="2"'}]})

    def test_a_line_it_does_not_understand_is_refused_with_its_place(self):
        path = self.put("registry/10.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\nv=1\n")
        with self.assertRaisesRegex(ValueError, r"10\.reg:4: .*v=1"):
            regfile.parse_reg(path)


class MergePatchTests(unittest.TestCase):
    def test_patches_apply_and_are_found_again(self):
        base = {"os": {"major": 10, "csd": "SP1"}, "ports": {"COM3": {"modem": "m"}}, "list": [1, 2], "n": 1}
        target = {"os": {"major": 6}, "ports": {}, "list": [3], "new": {"a": 2}}
        patch = overlay.merge_patch_from(base, target)
        self.assertEqual(patch, {"os": {"major": 6, "csd": None}, "ports": {"COM3": None}, "list": [3],
                                 "n": None, "new": {"a": 2}})
        self.assertEqual(overlay.merge_patch(base, patch), target)

    def test_a_patch_that_is_no_object_replaces(self):
        self.assertEqual(overlay.merge_patch({"a": 1}, [1]), [1])
        self.assertEqual(overlay.merge_patch("text", {"a": {"b": None, "c": 1}}), {"a": {"c": 1}})


class ChainTests(Scratch):
    def test_bases_by_name_beside_by_path_and_beside_the_program(self):
        self.profile("program/machines/builtin", {"os": {"major": 10, "minor": 0}, "modems": {"m": {}}})
        self.profile("profiles/middle", {"base": "builtin", "os": {"minor": 3}, "removeFiles": ["C:\\x"]})
        top = self.profile("profiles/deep/top", {"base": "../../middle", "modems": None})
        chain = overlay.read_chain(top, os.path.join(self.root, "program"))
        self.assertEqual([os.path.basename(folder) for folder, _ in chain], ["builtin", "middle", "top"])
        self.assertEqual(overlay.merged_json(top, os.path.join(self.root, "program")),
                         {"os": {"major": 10, "minor": 3}})

    def test_broken_chains_are_refused(self):
        self.profile("a", {"base": "b"})
        self.profile("b", {"base": "a"})
        self.profile("c", {"base": ""})
        self.profile("d", {"base": "nowhere"})
        for name, message in [("a", "the bases loop"), ("c", "non-empty"), ("d", "cannot be read")]:
            with self.subTest(name=name), self.assertRaisesRegex(ValueError, message):
                overlay.merged_json(os.path.join(self.root, name), self.root)

    def test_machine_json_is_written_with_two_space_indents_and_a_final_line_break(self):
        folder = self.profile("p", {"a": {"b": "é"}})
        with open(os.path.join(folder, "machine.json"), "rb") as f:
            self.assertEqual(f.read(), b'{\n  "a": {\n    "b": "\\u00e9"\n  }\n}\n')
        self.assertEqual(json.loads(json.dumps(overlay.merged_json(folder, self.root))), {"a": {"b": "é"}})


if __name__ == "__main__":
    unittest.main()
