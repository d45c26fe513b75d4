#!/usr/bin/env python3
"""Checks a compiled help file as a reader would find it.

    check_chm.py HELP.chm        unpack with 7z (an independent reader) and check
    check_chm.py --self-test     compile broken help projects and expect each fault found

Every manual page must be there in English and Japanese, with a title and real text
in its language; the contents must list every page under its language and the index
must hold keywords for both; every link inside a page, the contents and the index
must reach a file (and an anchor) inside the help file.
"""
import html.parser
import os
import re
import subprocess
import sys
import tempfile

PAGES = ["start", "reading", "keys", "pane", "archives", "files", "settings", "trouble"]
LANGUAGES = {"en": "English", "ja": "日本語"}
MIN_TEXT = 600  # characters of text a manual page holds at least
MIN_KEYWORDS = 10  # index keywords per language
CJK = re.compile(r"[\u3040-\u30ff\u4e00-\u9fff]")


class PageReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links, self.ids, self.params, self.text = [], set(), [], []
        self.title, self._in_title = "", False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "name" in a:
            self.ids.add(a["name"])
        for key in ("href", "src"):
            if a.get(key):
                self.links.append(a[key])
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.params.append((a.get("value") or "").strip())
        if tag == "param" and (a.get("name") or "").lower() == "name":
            self.params.append(("name", a.get("value") or ""))
        self._in_title = tag == "title"

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        else:
            self.text.append(data)


def read(root, rel):
    with open(os.path.join(root, rel), encoding="utf-8") as f:
        p = PageReader()
        p.feed(f.read())
        return p


def find_case_insensitive(root, rel):
    """CHM names are looked up without regard to case; 7z keeps the stored case."""
    here = root
    for part in rel.split("/"):
        if part in ("", "."):
            continue
        names = {n.lower(): n for n in os.listdir(here)} if os.path.isdir(here) else {}
        if part.lower() not in names:
            return None
        here = os.path.join(here, names[part.lower()])
    return here


def resolve(root, base_rel, link):
    """None when the link is fine, else what is wrong with it."""
    if re.match(r"^[a-z][a-z0-9+.-]*:", link, re.I):
        return None  # http:, mailto: ... lead out of the help file
    target, _, anchor = link.partition("#")
    rel = os.path.normpath(os.path.join(os.path.dirname(base_rel), target)) if target else base_rel
    if rel.startswith(".."):
        return f"{link} leaves the help file"
    path = find_case_insensitive(root, rel.replace(os.sep, "/"))
    if path is None or not os.path.isfile(path):
        return f"{link} -> {rel} is not in the help file"
    if anchor and rel.endswith(".html") and anchor not in read(root, rel).ids:
        return f"{link}: no anchor {anchor} in {rel}"
    return None


def check_tree(root):
    errors = []
    pages = {}
    for lang in LANGUAGES:
        for name in PAGES:
            rel = f"{lang}/{name}.html"
            if find_case_insensitive(root, rel) is None:
                errors.append(f"page {rel} is missing")
                continue
            p = read(root, rel)
            pages[rel] = p
            text = "".join(p.text)
            if not p.title.strip():
                errors.append(f"{rel} has no title")
            if len(text.strip()) < MIN_TEXT:
                errors.append(f"{rel} holds only {len(text.strip())} characters of text")
            if lang == "ja" and len(CJK.findall(text)) < MIN_TEXT // 4:
                errors.append(f"{rel} is not written in Japanese")
            if lang == "en" and CJK.search(p.title + text.replace("日本語", "")):
                errors.append(f"{rel} holds Japanese text")
    for rel in ("default.html", "contents.hhc", "index.hhk"):
        if find_case_insensitive(root, rel) is None:
            errors.append(f"{rel} is missing")
    if errors:
        return errors

    # Links inside every page, the language switch of every page included.
    for rel, p in [("default.html", read(root, "default.html"))] + list(pages.items()):
        for link in p.links:
            problem = resolve(root, rel, link)
            if problem:
                errors.append(f"{rel}: {problem}")
    for rel in pages:
        lang, name = rel.split("/")
        other = "ja" if lang == "en" else "en"
        if f"../{other}/{name}" not in pages[rel].links:
            errors.append(f"{rel} does not link to its {LANGUAGES[other]} page")

    # The viewer reads the contents and the index in the help file's code page:
    # their Japanese is written as character references, never as raw bytes.
    for rel in ("contents.hhc", "index.hhk"):
        with open(find_case_insensitive(root, rel), "rb") as f:
            if any(b > 127 for b in f.read()):
                errors.append(f"{rel} holds characters outside ASCII")

    # Contents: every page under its language, every entry resolves.
    toc = read(root, "contents.hhc")
    locals_ = [v for v in toc.params if isinstance(v, str)]
    names = [v[1] for v in toc.params if isinstance(v, tuple)]
    for lang, book in LANGUAGES.items():
        if book not in names:
            errors.append(f"the contents have no {book} book")
        for name in PAGES:
            if f"{lang}/{name}.html" not in locals_:
                errors.append(f"the contents do not list {lang}/{name}.html")
    for link in locals_:
        problem = resolve(root, "contents.hhc", link)
        if problem:
            errors.append(f"contents: {problem}")

    # Index: keywords for both languages, every entry resolves.
    index = read(root, "index.hhk")
    index_locals = [v for v in index.params if isinstance(v, str)]
    for lang in LANGUAGES:
        count = sum(1 for v in index_locals if v.startswith(f"{lang}/"))
        if count < MIN_KEYWORDS:
            errors.append(f"the index holds {count} {LANGUAGES[lang]} keywords")
    for link in index_locals:
        problem = resolve(root, "index.hhk", link)
        if problem:
            errors.append(f"index: {problem}")
    return errors


def check_chm(chm):
    if not os.path.isfile(chm) or os.path.getsize(chm) == 0:
        return [f"{chm} is missing or empty"]
    with tempfile.TemporaryDirectory() as out:
        r = subprocess.run(["7z", "x", "-y", f"-o{out}", chm], capture_output=True, text=True)
        if r.returncode != 0:
            return [f"7z cannot unpack {chm}: {r.stdout[-400:]}{r.stderr[-400:]}"]
        return check_tree(out)


def self_test(source):
    """Each fault, put into a copy of the real project, must be found."""
    import shutil
    faults = [
        ("a page left out", lambda d: (edit(d, "Pagewick.hhp", "ja/pane.html\n", ""),
                                       os.remove(os.path.join(d, "ja", "pane.html"))), "ja/pane.html is missing"),
        ("a broken link", lambda d: edit(d, "en/keys.html", "settings.html", "setings.html"), "setings.html"),
        ("a broken anchor", lambda d: edit(d, "en/start.html", 'href="pane.html"', 'href="pane.html#nowhere"'),
         "no anchor nowhere"),
        ("a page missing from the contents", lambda d: edit(d, "contents.hhc", "ja/trouble.html", "ja/start.html"),
         "do not list ja/trouble.html"),
        ("an index entry to nowhere", lambda d: edit(d, "index.hhk", "en/keys.html", "en/key.html"), "index: "),
        ("raw Japanese in the contents", lambda d: edit(d, "contents.hhc", "&#26085;&#26412;&#35486;", "日本語"),
         "contents.hhc holds characters outside ASCII"),
        ("an untranslated page", lambda d: shutil.copy(os.path.join(d, "en", "files.html"),
                                                      os.path.join(d, "ja", "files.html")),
         "ja/files.html is not written in Japanese"),
    ]
    failures = 0
    for what, damage, expected in [("nothing", lambda d: None, None)] + faults:
        with tempfile.TemporaryDirectory() as work:
            proj = os.path.join(work, "help")
            shutil.copytree(source, proj, ignore=shutil.ignore_patterns("CMakeLists.txt", "*.chm"))
            damage(proj)
            r = subprocess.run(["chmcmd", "--verbosity", "0", "--no-html-scan", "Pagewick.hhp"], cwd=proj,
                               capture_output=True, text=True)
            errors = check_chm(os.path.join(proj, "Pagewick.chm")) if r.returncode == 0 else ["no compile"]
            found = not errors if expected is None else any(expected in e for e in errors)
            print(f"{'ok' if found else 'FAIL'}: {what}: {errors[:3] if errors else 'no fault reported'}")
            failures += 0 if found else 1
    return failures


def edit(root, rel, old, new):
    path = os.path.join(root, rel)
    with open(path, encoding="utf-8") as f:
        s = f.read()
    if old not in s:
        raise SystemExit(f"self-test: {old} not in {rel}")
    with open(path, "w", encoding="utf-8") as f:
        f.write(s.replace(old, new, 1))


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        return 1 if self_test(argv[2]) else 0
    if len(argv) != 2:
        print(__doc__)
        return 2
    errors = check_chm(argv[1])
    for e in errors:
        print("FAIL:", e)
    if not errors:
        print(f"ok: {argv[1]}: {len(PAGES)} pages in each of {', '.join(LANGUAGES.values())}, contents, index, links")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
