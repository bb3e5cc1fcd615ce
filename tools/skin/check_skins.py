#!/usr/bin/env python3
"""Checks the skin folder: every form parses as Qt Designer .ui XML and holds the
controls (object name and widget class) the program looks up; the stylesheet only
references images that exist; the icon and the .desktop entry are there.

usage: tools/skin/check_skins.py [SKIN_DIR]     (default: skin/ at the repository root)
exit status 0 when everything is in place, 1 otherwise (each problem on stderr).
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

FORMATS = ["mp3", "wav", "flac", "aac", "m4a", "ogg"]
SEMITONES = [f"{i}个半音" for i in range(1, 13)]
PAGES = ["extract", "pitch", "tempo", "silence", "compress", "reverse", "metadata"]

ELEMENTS = {
    "Extract": ("extract-progress", "extractBtn", "extractListMenuBtn"),
    "Pitch": ("status-progress", "pitchBtn", "pitchListMenuBtn"),
    "Tempo": ("status-progress", "tempoBtn", "tempoListMenuBtn"),
    "Silence": ("status-progress", "silenceBtn", "silenceListMenuBtn"),
    "Compress": ("status-progress", "compressBtn", "compressListMenuBtn"),
    "Reverse": ("status-progress", "reverseBtn", "reverseListMenuBtn"),
    "Metadata": ("status-progress", "metadataBtn", "metadataListMenuBtn"),
}


def caption(main=False, close=True):
    req = {"caption": "QWidget", "title": "QLabel"}
    if close:
        req["closebtn"] = "QPushButton"
    if main:
        req.update(minbtn="QPushButton", maxbtn="QPushButton", seting="QPushButton",
                   feedback="QPushButton", help="QPushButton")
    return req


def required():
    req = {}
    main = {"MainWindow": "QWidget", "main-tab": "QStackedWidget"}
    main.update(caption(main=True))
    for key in PAGES:
        main[f"audio-{key}"] = "QRadioButton"
        main[f"audio-{key}-format"] = "QComboBox"
        main[f"add-{key}-file"] = "QPushButton"
        main[f"add-{key}-folder"] = "QPushButton"
        main[f"{key}-add-summary"] = "QLabel"
        main[f"audio-{key}-list"] = "QListWidget"
    main.update({
        "audio-extract-type": "QComboBox",
        "audio-pitch-type": "QComboBox", "audio-high-pitch": "QComboBox", "audio-low-pitch": "QComboBox",
        "audio-tempo-slider": "QSlider", "audio-tempo-label": "QLabel",
        "compress-level-0": "QRadioButton", "compress-level-1": "QRadioButton", "compress-level-2": "QRadioButton",
        "cover-edit": "QLineEdit", "add-cover-btn": "QPushButton", "album-edit": "QLineEdit",
        "artist-edit": "QLineEdit", "year-edit": "QLineEdit", "genre-edit": "QLineEdit",
    })
    req["MainWindow.xml"] = main
    for prefix, (progress, start, menu) in ELEMENTS.items():
        req[f"{prefix}ListContainerElement.xml"] = {
            f"{prefix}ListContainerElement": "QWidget",
            "fileNameLabel": "QLabel", "fileSizeLabel": "QLabel", "durationLabel": "QLabel",
            progress: "QProgressBar", "status-sucess": "QLabel", "status-failed": "QLabel",
            start: "QPushButton", menu: "QPushButton",
            "playBox": "QWidget", "play-btn": "QPushButton", "play-slider": "QSlider", "play-time": "QLabel",
            **({"stem-switch": "QPushButton"} if prefix == "Extract" else {}),
        }
        req[f"{prefix}PopMenu.xml"] = {f"{prefix}PopMenu": "QWidget", "open-dir": "QPushButton",
                                       "remove-file": "QPushButton"}
    req["MainTaskMenu.xml"] = {"MainTaskMenu": "QWidget", **{
        f"main_menu_item_{n}": "QPushButton" for n in ("home", "seting", "feedback", "help", "upgrade", "quit")}}
    req["Seting.xml"] = {"Seting": "QWidget", **caption(), "output-dir": "QLineEdit", "choose-dir": "QPushButton",
                         "open-dir": "QPushButton", "window-close-exit": "QRadioButton",
                         "window-close-tray": "QRadioButton"}
    req["MessageBox.xml"] = {"MessageBox": "QWidget", **caption(), "msgText": "QLabel", "msgCancel": "QPushButton",
                             "msgConfirm": "QPushButton"}
    req["PromptBox.xml"] = {"PromptBox": "QWidget", "msgText": "QLabel", "msgConfirm": "QPushButton"}
    req["download.xml"] = {"download": "QWidget", **caption(close=False), "download-text": "QLabel",
                           "download-slider": "QSlider", "cancel": "QPushButton"}
    req["Feedback.xml"] = {"Feedback": "QWidget", **caption(), "feedbackContent": "QPlainTextEdit",
                           "feedbackContact": "QLineEdit", "feedbackErrorTips": "QLabel",
                           "feedbackBtn": "QPushButton", "contact-us": "QPushButton"}
    return req


class Form:
    def __init__(self, path):
        self.root = ET.parse(path).getroot()
        self.widgets = {}      # name -> element
        self.parent = {}       # name -> name of the nearest enclosing widget
        self.duplicates = []
        top = self.root.find("widget")
        self.top = top
        self._walk(top, None)

    def _walk(self, elem, parent):
        if elem.tag == "widget":
            name = elem.get("name")
            if name in self.widgets:
                self.duplicates.append(name)
            self.widgets[name] = elem
            self.parent[name] = parent
            parent = name
        for child in elem:
            self._walk(child, parent)

    def prop(self, name, prop):
        w = self.widgets.get(name)
        if w is None:
            return None
        for p in w.findall("property"):
            if p.get("name") == prop and len(p):
                v = p[0]
                if v.tag == "bool":
                    return v.text == "true"
                if v.tag == "number":
                    return int(v.text)
                return v.text or ""
        return None

    def items(self, name):
        w = self.widgets.get(name)
        out = []
        for it in w.findall("item") if w is not None else []:
            for p in it.findall("property"):
                if p.get("name") == "text":
                    out.append(p[0].text or "")
        return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    skin = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "skin")
    problems = []

    def bad(msg):
        problems.append(msg)

    forms = {}
    for fname, names in required().items():
        path = os.path.join(skin, fname)
        if not os.path.isfile(path):
            bad(f"{fname}: missing")
            continue
        try:
            form = Form(path)
        except ET.ParseError as e:
            bad(f"{fname}: not well-formed XML: {e}")
            continue
        forms[fname] = form
        if form.root.tag != "ui" or form.root.get("version") != "4.0" or form.top is None:
            bad(f"{fname}: not a <ui version=\"4.0\"> form with a top level widget")
            continue
        root_name = os.path.splitext(fname)[0]
        if form.top.get("name") != root_name:
            bad(f"{fname}: top level widget is named {form.top.get('name')!r}, expected {root_name!r}")
        for name, cls in names.items():
            w = form.widgets.get(name)
            if w is None:
                bad(f"{fname}: no widget named {name!r}")
            elif w.get("class") != cls:
                bad(f"{fname}: {name!r} is a {w.get('class')}, expected {cls}")
        for name in form.duplicates:
            bad(f"{fname}: object name {name!r} used more than once")

    def expect(fname, cond, msg):
        if fname in forms and not cond(forms[fname]):
            bad(f"{fname}: {msg}")

    m = "MainWindow.xml"
    for key in PAGES:
        expect(m, lambda f, k=key: f.items(f"audio-{k}-format") == FORMATS, f"audio-{key}-format items must be {FORMATS}")
        expect(m, lambda f, k=key: f.parent.get(f"audio-{k}") == f.parent.get("audio-extract"),
               f"nav radio audio-{key} must share its container with the other nav radios")
    expect(m, lambda f: f.prop("audio-extract", "checked") is True, "audio-extract must start checked")
    expect(m, lambda f: f.items("audio-extract-type") == ["伴奏", "人声"], "audio-extract-type items must be 伴奏, 人声")
    expect(m, lambda f: f.items("audio-pitch-type") == ["升调", "降调"], "audio-pitch-type items must be 升调, 降调")
    expect(m, lambda f: f.items("audio-high-pitch") == SEMITONES, "audio-high-pitch must list 1..12个半音")
    expect(m, lambda f: f.items("audio-low-pitch") == SEMITONES, "audio-low-pitch must list 1..12个半音")
    expect(m, lambda f: (f.prop("audio-tempo-slider", "minimum"), f.prop("audio-tempo-slider", "maximum"),
                         f.prop("audio-tempo-slider", "value") or 0) == (-50, 100, 0),
           "audio-tempo-slider must range -50..100 with value 0")
    expect(m, lambda f: f.prop("audio-tempo-label", "text") == "0%", "audio-tempo-label must read 0%")
    expect(m, lambda f: f.prop("compress-level-1", "checked") is True, "compress-level-1 must start checked")
    expect(m, lambda f: len({f.parent.get(f"compress-level-{i}") for i in range(3)}) == 1
           and f.parent.get("compress-level-0") != f.parent.get("audio-extract"),
           "compress-level radios must share their own container")
    expect(m, lambda f: f.prop("cover-edit", "readOnly") is True, "cover-edit must be read-only")
    expect(m, lambda f: [w.get("class") for w in f.widgets["main-tab"].findall("widget")].__len__() == 7,
           "main-tab must have seven pages")
    for prefix, (progress, _, _) in ELEMENTS.items():
        fname = f"{prefix}ListContainerElement.xml"
        for name in (progress, "status-sucess", "status-failed"):
            expect(fname, lambda f, n=name: f.prop(n, "visible") is False, f"{name} must be hidden at start")
        expect(fname, lambda f: f.prop("status-sucess", "text") == "完成", "status-sucess must read 完成")
        expect(fname, lambda f: f.prop("status-failed", "text") == "失败", "status-failed must read 失败")
        expect(fname, lambda f, p=progress: (f.prop(p, "minimum") or 0, f.prop(p, "maximum")) == (0, 100),
               f"{progress} must range 0..100")
    expect("Seting.xml", lambda f: f.prop("output-dir", "readOnly") is True, "output-dir must be read-only")
    expect("Seting.xml", lambda f: f.parent.get("window-close-exit") == f.parent.get("window-close-tray"),
           "the close-behaviour radios must share a container")
    expect("download.xml", lambda f: (f.prop("download-slider", "minimum") or 0, f.prop("download-slider", "maximum"))
           == (0, 100), "download-slider must range 0..100")
    expect("download.xml", lambda f: "closebtn" not in f.widgets, "download must not have a close button")

    # stylesheet: braces balance, every image it names exists
    qss = os.path.join(skin, "style.qss")
    if not os.path.isfile(qss):
        bad("style.qss: missing")
    else:
        text = open(qss, encoding="utf-8").read()
        body = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
        if body.count("{") != body.count("}"):
            bad("style.qss: unbalanced braces")
        for ref in re.findall(r"url\(([^)]*)\)", body):
            ref = ref.strip("'\" ")
            if not ref.startswith("skin:"):
                bad(f"style.qss: url({ref}) does not use the skin: search path")
            elif not os.path.isfile(os.path.join(skin, ref[len("skin:"):])):
                bad(f"style.qss: url({ref}) names a missing file")

    for f in ("icons/app.svg", "icons/app.png"):
        if not os.path.isfile(os.path.join(skin, f)):
            bad(f"{f}: missing")
    desktop = os.path.join(skin, "vantu-voice-separate.desktop")
    if not os.path.isfile(desktop):
        bad("vantu-voice-separate.desktop: missing")
    else:
        entries = dict(line.split("=", 1) for line in open(desktop, encoding="utf-8").read().splitlines()
                       if "=" in line and not line.startswith("#"))
        for k, v in (("Name", "VANTU人声分离"), ("Exec", "VantuVoiceSeparate"), ("Icon", "vantu-voice-separate"),
                     ("Categories", "AudioVideo;Audio;"), ("Type", "Application")):
            if entries.get(k) != v:
                bad(f"vantu-voice-separate.desktop: {k} should be {v!r}, is {entries.get(k)!r}")

    for p in problems:
        print(p, file=sys.stderr)
    print(f"{len(forms)} forms checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
