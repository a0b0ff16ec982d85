"""The include check against small source trees: each way round it is refused."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import check_includes  # noqa: E402

# low <- middle <- high, and a sibling "side" that links only low.
LINKS = {"tv_low": [], "tv_middle": ["tv_low"], "tv_high": ["tv_middle"], "tv_side": ["tv_low"],
         "unit_middle": ["tv_middle"]}
FILES = {
    "src/low/Low.h": "#pragma once\n",
    "src/low/Low.cpp": '#include "low/Low.h"\n#include "Low.h"\n#include <QString>\n',
    "src/middle/Middle.h": '#pragma once\n#include "low/Low.h"\n',
    "src/middle/Middle.cpp": '#include "middle/Middle.h"\n#include <low/Low.h>\n#include "../low/Low.h"\n',
    "src/high/High.cpp": '#include "middle/Middle.h"\n#include "low/Low.h"\n',
    "src/side/Side.cpp": '#include "low/Low.h"\n',
    "tests/unit/middle/MiddleTest.cpp": '#include "middle/Middle.h"\n#include "support/Fake.h"\n',
    "tests/support/Fake.h": "#pragma once\n",
}


class IncludeCheck(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.root = self.dir.name
        self.files = dict(FILES)
        self.links = {k: list(v) for k, v in LINKS.items()}
        self.unchecked = set()
        self.extra_sources = {}

    def tearDown(self):
        self.dir.cleanup()

    def run_check(self):
        for rel, text in self.files.items():
            path = os.path.join(self.root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)
        lines = []
        for target, links in self.links.items():
            folder = target.split("_", 1)[1]
            lines.append(f"target {target} {0 if target in self.unchecked else 1}")
            base = "tests/unit" if target.startswith("unit_") else "src"
            for rel in self.files:
                if rel.startswith(f"{base}/{folder}/"):
                    lines.append(f"source {target} {os.path.join(self.root, rel)}")
            for rel in self.extra_sources.get(target, []):
                lines.append(f"source {target} {os.path.join(self.root, rel)}")
            key = "include" if target.startswith("unit_") else "interface"
            lines.append(f"{key} {target} {os.path.join(self.root, 'src' if key == 'interface' else 'tests')}")
            lines += [f"link {target} {other}" for other in links]
        graph = os.path.join(self.root, "graph.txt")
        with open(graph, "w") as f:
            f.write("\n".join(lines) + "\n")
        return check_includes.check(graph, self.root, ["src", "tests"])

    def assert_refused(self, expected):
        failures = self.run_check()
        self.assertTrue(any(expected in f for f in failures), failures)

    def test_a_tree_that_includes_only_downwards_passes(self):
        self.assertEqual(self.run_check(), [])

    def test_each_form_of_an_upward_include_is_refused(self):
        for form in ['#include "high/High.h"', "#include <high/High.h>", '#include "../high/High.h"',
                     '#  include "../middle/../high/High.h"']:
            with self.subTest(form=form):
                self.files = dict(FILES, **{"src/high/High.h": "#pragma once\n",
                                            "src/middle/Middle.cpp": form + "\n"})
                self.assert_refused("src/middle/Middle.cpp:1: tv_middle includes")

    def test_an_area_may_not_include_a_sibling_it_does_not_link(self):
        # side ranks below high in no line; only the graph says it does not link middle
        self.files["src/side/Side.cpp"] = '#include "middle/Middle.h"\n'
        self.assert_refused("src/side/Side.cpp:1: tv_side includes middle/Middle.h of tv_middle")

    def test_a_test_may_include_only_what_its_area_links(self):
        self.files["src/high/High.h"] = "#pragma once\n"
        self.files["tests/unit/middle/MiddleTest.cpp"] = '#include "high/High.h"\n'
        self.assert_refused("tests/unit/middle/MiddleTest.cpp:1: unit_middle includes high/High.h")

    def test_a_file_in_a_folder_no_area_compiles_is_refused(self):
        self.files["src/newarea/New.cpp"] = '#include "low/Low.h"\n'
        self.assert_refused("src/newarea/New.cpp: outside any known area")

    def test_a_target_that_does_not_depend_on_the_check_is_refused(self):
        self.unchecked.add("tv_side")
        self.assert_refused("target tv_side compiles src/side/Side.cpp but does not depend on tv_include_direction")

    def test_a_file_compiled_into_two_areas_is_refused(self):
        self.extra_sources["tv_side"] = ["src/middle/Middle.cpp"]
        self.assert_refused("src/middle/Middle.cpp: compiled into several targets (tv_middle, tv_side)")

    def test_a_cycle_of_links_is_refused(self):
        self.links["tv_low"] = ["tv_high"]
        self.assert_refused("target tv_low links itself through tv_high (a cycle)")


if __name__ == "__main__":
    unittest.main()
