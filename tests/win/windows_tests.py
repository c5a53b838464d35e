#!/usr/bin/env python3
"""The Windows add-in's tests, run under Wine on Debian.

Each test drives tarn.dll as the modelling tool's menu scripts do: a VBScript
(tests/win/scripts/) creates Tarn.ITarn under cscript and passes it the
application object of the fake modelling tool (fake_rose.dll), which serves a
Rose model. Dialogs are answered from a file (TARN_SCRIPTED_UI, see
src/win/scripted_seams.hpp), except in the tests of the dialogs themselves,
which run them for real on a virtual display.

  windows_tests.py --build DIR --tarn LINUX_TARN --prefix WINEPREFIX [--only NAME]...

DIR holds tarn.dll and fake_rose.dll (x86_64), registered in the prefix, and
tarn32.dll (i686). Exits 1 when a test fails.
"""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import time
import traceback

ROOT = pathlib.Path(__file__).resolve().parents[2]
SCRIPTS = pathlib.Path(__file__).resolve().parent / "scripts"
CORPUS = ROOT.parent / "shared" / "corpus" / "rose"
WINE = "/usr/lib/wine/wine64"
# Classes and associations made for the error numbers: Counter (sound),
# Other, NoProperties, NoPercent, NoType, BadDefinition, "refines" from
# Counter to itself (sound) and "differ" from Counter to Other, whose
# operations differ.
ERRORS_MODEL = pathlib.Path(__file__).resolve().parent / "data" / "errors.mdl"

# The locale that gives Windows the ANSI code page of a model's texts, so
# that the add-in writes the bytes the model holds, as on a machine of that
# language.
LOCALE_OF_ENCODING = {
    "windows-1252": "en_US.UTF-8",
    "utf-8": "en_US.UTF-8",
    "windows-1250": "pl_PL.UTF-8",
    "windows-1251": "ru_RU.UTF-8",
    "windows-1255": "he_IL.UTF-8",
    "windows-1256": "ar_SA.UTF-8",
    "gbk": "zh_CN.UTF-8",
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    def __init__(self, prefix, work):
        self.prefix = prefix
        self.work = work

    def environment(self, lang="en_US.UTF-8", ui=None):
        env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=", LANG=lang, LC_ALL=lang)
        if ui is not None:
            env["TARN_SCRIPTED_UI"] = windows_path(ui)
        else:
            env.pop("TARN_SCRIPTED_UI", None)
        return env

    def run(self, args, lang="en_US.UTF-8", ui=None, timeout=600):
        return subprocess.run([WINE] + args, env=self.environment(lang, ui), capture_output=True,
                              timeout=timeout)

    def script(self, name, args=(), lang="en_US.UTF-8", ui=None, timeout=600):
        """Runs a VBScript of tests/win/scripts under cscript; returns its output."""
        result = self.run(["cscript", "//nologo", windows_path(SCRIPTS / name)] + list(args), lang, ui, timeout)
        output = result.stdout.decode("latin-1") + result.stderr.decode("latin-1")
        check(result.returncode == 0, f"{name} failed ({result.returncode}):\n{output}")
        return output

    def folder(self, name, answers=""):
        """A new folder of the work area, with the dialogs' answers."""
        folder = self.work / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        (folder / "answers.txt").write_bytes(answers.encode("latin-1"))
        return folder


def shown(folder):
    """What the dialogs showed, one entry a line (see scripted_seams.hpp)."""
    path = folder / "shown.txt"
    return path.read_bytes().decode("latin-1").splitlines() if path.exists() else []


def unescape(text):
    return text.replace("\\r\\n", "\n").replace("\\r", "\n").replace("\\n", "\n")


def linux_error(stderr):
    """The error message of a failed run of the Linux tarn: the text after
    "tarn: error: " and its continuation lines, up to the first note."""
    lines = stderr.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("tarn: error: "):
            message = [line[len("tarn: error: "):]]
            for following in lines[i + 1:]:
                if following.startswith("tarn: "):
                    break
                message.append(following)
            return "\n".join(message)
    return None


def models():
    """The worked examples, the model of these tests and every file of the
    Rose corpus."""
    found = sorted((ROOT / "examples" / "rose").glob("*.mdl")) + [ERRORS_MODEL]
    found += sorted(p for p in CORPUS.glob("*") if p.suffix in (".mdl", ".cat"))
    return found


def encoding_of(tarn, model):
    dump = subprocess.run([tarn, "dump", str(model)], capture_output=True, text=True, errors="replace")
    for line in dump.stdout.splitlines():
        if line.startswith("encoding:"):
            return line.split('"')[1]
    return "windows-1252"


def differential(context):
    """Every command on every item of every model gives, through the add-in,
    the document of the Linux tarn byte for byte, or its error message."""
    total = documents = 0
    problems = []
    for model in models():
        encoding = encoding_of(context.tarn, model)
        codec = "cp1252" if encoding == "utf-8" else encoding
        folder = context.wine.folder(f"differential/{model.stem}",
                                     f"save {windows_path(context.wine.work / 'differential' / model.stem / 'document')}\r\nno\r\n")
        (folder / "linux").mkdir()
        context.wine.script("differential.vbs", [windows_path(model), windows_path(folder)],
                            LOCALE_OF_ENCODING[encoding], ui=folder)
        sections = {}
        current = None
        for line in shown(folder):
            if line.startswith("case "):
                current = int(line.split()[1])
                sections[current] = []
            else:
                sections[current].append(line)
        for case in (folder / "cases.txt").read_text().splitlines():
            number, command, *selected = case.split()
            total += 1
            extension = ".tex" if command == "objectz" else ".zed"
            linux_document = folder / "linux" / f"{number}{extension}"
            args = [context.tarn, command, str(model), "-o", str(linux_document), "--no-run"]
            for quid in selected:
                args += ["--select", quid]
            linux = subprocess.run(args, capture_output=True)
            windows_document = folder / f"{number}{extension}"
            where = f"{model.name} case {number} ({command} {' '.join(selected)})"
            messages = [unescape(line[len("message "):]) for line in sections.get(int(number), [])
                        if line.startswith("message ")]
            if linux.returncode == 0:
                if not windows_document.exists():
                    problems.append(f"{where}: only the Linux tarn wrote a document; the add-in showed {messages}")
                    continue
                expected = linux_document.read_bytes()
                if encoding == "utf-8":
                    expected = expected.decode("utf-8").encode("cp1252", "replace")
                if windows_document.read_bytes() != expected:
                    problems.append(f"{where}: the documents differ: {windows_document} {linux_document}")
                    continue
                documents += 1
            else:
                error = linux_error(linux.stderr.decode("utf-8", "replace"))
                # The terminal drops the line ends that end a message.
                shown_error = [m.encode("latin-1").decode(codec, "replace").rstrip("\n") for m in messages]
                if windows_document.exists():
                    problems.append(f"{where}: only the add-in wrote a document")
                elif shown_error != [error]:
                    problems.append(f"{where}: the add-in showed {shown_error}, the Linux tarn {error!r}")
    check(not problems, f"{len(problems)} of {total} cases differ:\n" + "\n".join(problems[:40]))
    corpus = "" if CORPUS.is_dir() else f" (the Rose corpus is not at {CORPUS}: the examples only)"
    return f"{total} cases on {len(models())} models, {documents} documents byte for byte{corpus}"


def run_steps(context, name, steps, answers, settings=None):
    """Runs the steps (tuples of words, see commands.vbs) on the errors model
    with the dialogs' answers, after writing the settings file (None: none).
    Returns the folder and what each step showed, a list of lines a step."""
    folder = context.wine.folder(name, answers)
    (folder / "steps.txt").write_bytes("\r\n".join("\t".join(step) for step in steps).encode("latin-1") + b"\r\n")
    ini = context.wine.prefix / "drive_c" / "windows" / "Tarn.ini"
    ini.unlink(missing_ok=True)
    if settings is not None:
        ini.write_bytes(settings.encode("latin-1"))
    context.wine.script("commands.vbs", [windows_path(ERRORS_MODEL), windows_path(folder)], ui=folder)
    steps_shown = []
    for line in shown(folder):
        if line.startswith("step "):
            steps_shown.append([])
        else:
            steps_shown[-1].append(line)
    check(len(steps_shown) == len(steps), f"{len(steps_shown)} of {len(steps)} steps ran: {shown(folder)}")
    return folder, steps_shown


SAVE = 'save " Save Z/Object-Z Schema " "Z Specification (*.zed;*.tex)|*.zed;*.tex|All Files (*.*)|*.*" "zed" -> '
ZEVES_QUESTION = "question The specification was generated successfully.\\r\\nDo you want to run Z/Eves?"


def error_numbers(context):
    """Each numbered error of the working commands ends the command with one
    message box of its text, the save dialog shown only when the error comes
    after it, and no document written."""
    one_item = "You must select only 1 (one) class."
    refine = "You must select the refine association\\r\\nbetween the Abstract and the Concrete classes of the Refinement."
    cases = [  # selection, command, message, whether the save dialog came first
        ([], "property-check", one_item, False),
        (["Counter", "Other"], "property-check", one_item, False),
        ([], "refinement-check", refine, False),
        (["differ"], "property-check", "The object you selected is not a class.", False),
        (["Counter"], "refinement-check", "The object you selected is not a refine association.", False),
        (["differ"], "refinement-check", "The operations in Abstract and Concrete classes are different.", True),
        (["NoType"], "property-check", "Every attribute or argument must have a type.", True),
        (["NoProperties"], "property-check", "The Properties field cannot be empty.\\r\\n", True),
        (["NoPercent"], "property-check", "Every property must start with '%'.\\r\\n", True),
        (["BadDefinition"], "property-check", "Every definition operation must have only one Post Condition.\\r\\n", True),
    ]
    steps = []
    for selection, command, _, _ in cases:
        steps += [("select", *selection), (command,)]
    folder, results = run_steps(context, "errors", steps, f"save {windows_path(context.wine.work / 'errors' / 'out.zed')}\r\nno\r\n")
    for (selection, command, message, saved), result in zip(cases, results[1::2]):
        expected = ([SAVE + windows_path(folder / "out.zed")] if saved else []) + ["message " + message]
        check(result == expected, f"{command} of {selection}: shown {result}, expected {expected}")
    check(not (folder / "out.zed").exists(), "a failed command wrote a document")
    return f"{len(cases)} commands, one message box each"


def wait_for(path, seconds=20):
    for _ in range(seconds * 10):
        if path.exists() and path.stat().st_size > 0:
            return True
        time.sleep(0.1)
    return False


def starting_tools(context):
    """Answered Yes, the offers start Z/EVES with the command line as typed
    and open the Wizard address with the shell; a start that fails shows the
    platform's description, the document stays; a direct call's error goes
    back to the script without a message box."""
    folder = context.wine.work / "starts"
    started, opened = folder / "started.txt", folder / "opened.txt"
    wizard = context.wine.work / "wizard.cmd"
    wizard.write_bytes(f"@echo %1> {windows_path(opened)}\r\n".encode())
    settings = (f"[Tarn]\r\nZEvesPath=cmd.exe /c echo ran with \"two words\"> {windows_path(started)}\r\n"
                f"WizardUrl={windows_path(wizard)}\r\n")
    out = windows_path(folder / "out.zed")
    steps = [("select", "Counter"), ("property-check",), ("objectz",),
             ("PropertyCheck", "Counter", "", windows_path(folder / "direct.zed")),
             ("RefinementCheck", "Counter", "Other", "true", windows_path(folder / "direct.zed"))]
    _, results = run_steps(context, "starts", steps, f"save {out}\r\nyes\r\n", settings)
    check(results[1] == [SAVE + out, ZEVES_QUESTION + " -> yes"], f"property check: {results[1]}")
    check(wait_for(started), "Z/EVES was not started")
    check(started.read_bytes() == b"ran with \"two words\"\r\n", f"Z/EVES ran with {started.read_bytes()!r}")
    check(results[2][0] == SAVE + out and results[2][1].endswith("Type Checker? -> yes"), f"objectz: {results[2]}")
    check(wait_for(opened), "the Wizard address was not opened")
    check(results[3] == ["error 1008 The Properties field cannot be empty."], f"PropertyCheck: {results[3]}")
    check(results[4] == ["error 1004 The concrete class Other has no operation Inc."], f"RefinementCheck: {results[4]}")
    check(not (folder / "direct.zed").exists(), "a direct call that failed wrote a document")

    missing = "C:\\no\\such\\zeves.exe"
    (folder / "out.zed").unlink()
    _, results = run_steps(context, "starts-missing", [("select", "Counter"), ("property-check",)],
                           f"save {out}\r\nyes\r\n", f"[Tarn]\r\nZEvesPath={missing} -gui\r\n")
    check(results[1][:2] == [SAVE + out, ZEVES_QUESTION + " -> yes"] and len(results[1]) == 3 and
          results[1][2].startswith(f"message Cannot run {missing} -gui: "), f"a missing Z/EVES: {results[1]}")
    check((folder / "out.zed").exists(), "the document did not stay when Z/EVES could not start")
    return "Z/EVES and the Wizard started, failures reported"


def settings(context):
    """The configuration dialog loads and writes Tarn.ini in the Windows
    folder through the profile functions: section Tarn, keys in upper case;
    Cancel writes nothing; keys are found in any case; a value reads back cut
    to 749 characters; OpenIni fills the properties."""
    ini = context.wine.prefix / "drive_c" / "windows" / "Tarn.ini"
    steps = [("configuration",), ("configuration",)]
    _, results = run_steps(context, "settings", steps,
                           "configuration ok zeves.exe -gui\thttp://wizard/\r\nconfiguration cancel\r\n")
    check(results[0] == ['configuration " Configuration" " Z/Eves Path" "" " Wizard URL" "" -> '
                         'ok "zeves.exe -gui" "http://wizard/"'], f"first dialog: {results[0]}")
    check(results[1] == ['configuration " Configuration" " Z/Eves Path" "zeves.exe -gui" " Wizard URL" '
                         '"http://wizard/" -> cancel'], f"second dialog: {results[1]}")
    written = ini.read_bytes()
    check(written == b"[Tarn]\r\nZEVESPATH=zeves.exe -gui\r\nWIZARDURL=http://wizard/\r\n", f"Tarn.ini: {written!r}")

    long_value = "z" * 800
    steps = [("ReadINI", "Tarn", "ZEvesPath", "Tarn.ini"), ("ReadINI", "TARN", "wizardurl", "tarn.ini"),
             ("OpenIni",), ("ZEvesPath",), ("WizardUrl",), ("ReadINI", "Tarn", "Missing", "Tarn.ini")]
    _, results = run_steps(context, "settings-read", steps, "",
                           f"[tarn]\r\nzEvEsPaTh={long_value}\r\nWizardURL=http://typed/\r\n")
    values = [result for result in results if result]
    expected = [["value " + "z" * 749], ["value http://typed/"], ["value " + "z" * 749],
                ["value http://typed/"], ["value "]]
    check(values == expected, f"values read: {[v[0][:40] for v in values]}")
    return "written, cancelled, read in any case, cut at 749"


def about(context):
    """The About box shows the add-in's title, description and maker."""
    _, results = run_steps(context, "about", [("about",)], "")
    expected = ['about " About Tarn" "Tarn 1.0" "This add-in translates UML diagrams annotated with Object-Z into '
                'Z and Object-Z specifications, allowing class properties checking, refinements proof and type '
                'checking." "Made by the Tarn developers."']
    check(results[0] == expected, f"About box: {results[0]}")
    return "its texts"


class Display:
    """A virtual X display (Xvfb) on which the add-in's windows are shown
    for real, found by their titles and answered with xdotool."""

    def __init__(self, screens):
        self.screens = screens
        self.shown = 0
        shutil.rmtree(screens, ignore_errors=True)
        screens.mkdir(parents=True)
        self.number = next(n for n in range(90, 200) if not pathlib.Path(f"/tmp/.X{n}-lock").exists())
        self.server = subprocess.Popen(["Xvfb", f":{self.number}", "-screen", "0", "1024x768x24"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, DISPLAY=f":{self.number}")
        for _ in range(100):
            if pathlib.Path(f"/tmp/.X11-unix/X{self.number}").exists():
                break
            time.sleep(0.1)

    def close(self):
        self.server.terminate()
        self.server.wait()

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)

    def window(self, title, seconds=60):
        """Waits for a visible window of that title, gives it the focus and
        keeps a screenshot of the display, numbered and named after it."""
        for _ in range(seconds * 4):
            found = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$").stdout.split()
            if found:
                time.sleep(1)  # drawn
                self.xdotool("windowfocus", "--sync", found[0])
                self.shown += 1
                name = "".join(c if c.isalnum() else "-" for c in title.strip()).strip("-").lower()
                screen = self.screens / f"{self.shown:02}-{name}.png"
                subprocess.run(["import", "-window", "root", str(screen)], env=self.env)
                return found[0]
            time.sleep(0.25)
        raise Failure(f"no window \"{title}\" was shown")

    def type(self, text):
        self.xdotool("type", "--delay", "20", text)

    def key(self, *keys):
        self.xdotool("key", *keys)


def real_dialogs(context):
    """The dialogs shown for real on a display and answered with the
    keyboard: the save dialog typed (the default extension added) and
    cancelled, No and Yes of the offer, the configuration dialog writing
    Tarn.ini, the About box. Screenshots are kept in screens/."""
    display = Display(context.wine.work / "screens")
    ini = context.wine.prefix / "drive_c" / "windows" / "Tarn.ini"
    folder = context.wine.folder("dialogs")
    started = folder / "started.txt"
    ini.write_bytes(f"[Tarn]\r\nZEvesPath=cmd.exe /c echo ran> {windows_path(started)}\r\n".encode())
    steps = [("select", "Counter"), ("property-check",), ("property-check",), ("property-check",),
             ("configuration",), ("about",)]
    (folder / "steps.txt").write_bytes("\r\n".join("\t".join(step) for step in steps).encode() + b"\r\n")
    env = dict(context.wine.environment(), DISPLAY=display.env["DISPLAY"])
    script = subprocess.Popen([WINE, "cscript", "//nologo", windows_path(SCRIPTS / "commands.vbs"),
                               windows_path(ERRORS_MODEL), windows_path(folder)], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        display.window(" Save Z/Object-Z Schema ")
        display.type(windows_path(folder / "typed"))
        display.key("Return")
        display.window("Tarn")
        display.key("n")
        display.window(" Save Z/Object-Z Schema ")
        display.key("Escape")
        display.window(" Save Z/Object-Z Schema ")
        display.type(windows_path(folder / "again.zed"))
        display.key("Return")
        display.window("Tarn")
        display.key("y")
        display.window(" Configuration")
        display.type("zeves.exe -gui")
        display.key("Tab")
        display.type("http://wizard/")
        display.key("Return")
        display.window(" About Tarn")
        display.key("Return")
        output = script.communicate(timeout=60)[0].decode("latin-1")
        check(script.returncode == 0, f"the script failed: {output}")
    finally:
        if script.poll() is None:
            script.kill()
        display.close()
    expected = subprocess.run([context.tarn, "property-check", str(ERRORS_MODEL), "--select", "Counter", "-o", "-",
                               "--no-run"], capture_output=True).stdout
    check((folder / "typed.zed").read_bytes() == expected, "the document typed.zed differs from the Linux tarn's")
    check((folder / "again.zed").read_bytes() == expected, "the document again.zed differs from the Linux tarn's")
    check(wait_for(started), "Yes did not start Z/EVES")
    check(sorted(p.name for p in folder.iterdir()) ==
          ["again.zed", "answers.txt", "shown.txt", "started.txt", "steps.txt", "typed.zed"],
          f"files: {sorted(p.name for p in folder.iterdir())}")
    # The profile function keeps the case of a key already in the file.
    written = ini.read_bytes()
    check(written == b"[Tarn]\r\nZEvesPath=zeves.exe -gui\r\nWIZARDURL=http://wizard/\r\n", f"Tarn.ini: {written!r}")
    return "save typed and cancelled, No and Yes, configuration, About"


def public_classes(context):
    """The Z model's records and the workers, created by their ProgIDs and
    run one by one as the commands run them, give the Linux tarn's
    documents; the records behave as a script expects (empty collections,
    shared references, errors 9, 13, 91 and 6, 1008 back to the script)."""
    folder = context.wine.folder("public-classes")
    context.wine.script("workers.vbs", [windows_path(ERRORS_MODEL), windows_path(folder)])
    for name, command in (("pc.zed", ["property-check", "--select", "Counter"]),
                          ("rc.zed", ["refinement-check", "--select", "refines"]), ("oz.tex", ["objectz"])):
        expected = subprocess.run([context.tarn, command[0], str(ERRORS_MODEL), *command[1:], "-o", "-", "--no-run"],
                                  capture_output=True).stdout
        check((folder / name).read_bytes() == expected, f"{name} differs from the Linux tarn's {command}")
    expected = [
        "documentClass after writing: \\documentclass{article}",
        "property theorems: 1 Grows count \\geq 0",
        "refinement theorems: InitTheorem IncApplTheorem IncCorrTheorem ",
        "generator state: 1 10 True 0 Object",
        "given sets: \\begin{zed}|[NAME, AGE]|\\end{zed}|",
        "new record: 0 True",
        "shared reference: Shared",
        "collection: 1 x? \\nat",
        "item out of range: error 9 Subscript out of range",
        # The automation layer refuses an object of another interface before
        # the member runs (Wine's words).
        "a declaration as a schema: error 430 Class doesn't support Automation",
        "empty properties: error 1008 The Properties field cannot be empty.",
        "theorems kept: 1",
        "declarations Nothing: error 91 Object variable or With block variable not set: Declarations is Nothing",
        "a parser as a collection: error 430 Class doesn't support Automation",
        "32767 items: no error",
        "32768 items: error 6 Overflow: a list of the model holds more items than its 16-bit count allows (32767).",
    ]
    check(shown(folder) == expected, "shown:\n" + "\n".join(shown(folder)))
    return "three documents through the workers, records and collections"


SYSTEM_DLLS = {"KERNEL32.dll", "USER32.dll", "ADVAPI32.dll", "ole32.dll", "OLEAUT32.dll", "comdlg32.dll",
               "SHELL32.dll", "msvcrt.dll"}
EXPORTS = ["DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"]


def built_dlls(context):
    """Both DLLs, the i686 one (for the 32-bit modelling tool, which cannot
    run here) and the x86_64 one the other tests run: their machine, the
    four exports without decorations, only system DLLs imported, and the
    type library of their own architecture embedded."""
    for folder, machine, syskind in ((context.build, "pei-x86-64", 3), (context.build32, "pei-i386", 1)):
        dll = folder / "tarn.dll"
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(dll)], capture_output=True, text=True).stdout
        check(f"file format {machine}" in dump, f"{dll} is not {machine}")
        imports = {line.split(":", 1)[1].strip() for line in dump.splitlines() if "DLL Name:" in line}
        check({name.lower() for name in imports} <= {name.lower() for name in SYSTEM_DLLS},
              f"{dll} imports {sorted(imports)}")
        table = dump[dump.index("[Ordinal/Name Pointer] Table"):]
        exports = [line.split("]")[1].strip() for line in table.splitlines()[1:] if line.strip().startswith("[")]
        check(exports == EXPORTS, f"{dll} exports {exports}")
        library = (folder / "src" / "win" / "generated" / "win" / "tarn.tlb").read_bytes()
        check(library[:4] == b"MSFT" and library[20] & 0xF == syskind, f"{dll}: the type library is not for {machine}")
        check(library in dll.read_bytes(), f"{dll} does not embed its type library")
    return "i686 and x86_64: machine, exports, imports, type library"


def installer(context):
    """The installer (of the x86_64 DLL, which runs here) installs the DLL,
    registers it and the add-in with the modelling tool, whose menu file
    offers the five menu scripts; each script runs its command (as VBScript:
    RoseScript differs only in its typed declarations); the uninstaller
    removes all of it. Runs last: it leaves no Tarn.ITarn registered."""
    wine = context.wine
    target = "C:\\Program Files\\Tarn"
    installed = wine.prefix / "drive_c" / "Program Files" / "Tarn"
    result = wine.run([windows_path(context.build.parent / "tarn-setup-x64.exe"), "/S", f"/D={target}"])
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=wine.environment())
    check(result.returncode == 0, f"the installer failed: {result.stderr!r}")
    files = sorted(str(p.relative_to(installed)) for p in installed.rglob("*"))
    check(files == ["scripts", "scripts/about.ebs", "scripts/configuration.ebs", "scripts/objectz.ebs",
                    "scripts/property_check.ebs", "scripts/refinement_check.ebs", "tarn.dll", "tarn.mnu",
                    "uninstall.exe"], f"installed: {files}")
    addin = wine.run(["reg", "query", "HKLM\\SOFTWARE\\Rational Software\\Rose\\AddIns\\Tarn"]).stdout.decode()
    for value in ("Active    REG_SZ    Yes", f"InstallDir    REG_SZ    {target}", f"MenuFile    REG_SZ    {target}\\tarn.mnu"):
        check(value in addin, f"the add-in's key lacks {value}: {addin}")
    menu = (installed / "tarn.mnu").read_text()
    scripts = {}
    for line in menu.splitlines():
        if line.strip().startswith("RoseScript "):
            script = line.strip()[len("RoseScript "):]
            check(script.startswith(target + "\\scripts\\"), f"the menu names {script}")
            scripts[script.rsplit("\\", 1)[1]] = installed / "scripts" / script.rsplit("\\", 1)[1]
    check(sorted(scripts) == ["about.ebs", "configuration.ebs", "objectz.ebs", "property_check.ebs",
                              "refinement_check.ebs"], f"the menu offers {sorted(scripts)}")

    folder = wine.folder("menu", f"save {windows_path(wine.work / 'menu' / 'out.zed')}\r\nno\r\nconfiguration cancel\r\n")
    expected = {"property_check.ebs": "question The specification was generated successfully.\\r\\nDo you want to run Z/Eves?",
                "refinement_check.ebs": "question The specification was generated successfully.\\r\\nDo you want to run Z/Eves?",
                "objectz.ebs": "question The specification was generated successfully.\\r\\nDo you want to run the Type",
                "configuration.ebs": "configuration", "about.ebs": "about"}
    for name, path in sorted(scripts.items()):
        # The menu script as VBScript, run with the fake modelling tool as
        # RoseApp, its model's selection set for the command.
        selection = "refines" if name == "refinement_check.ebs" else "Counter"
        body = path.read_text().replace(" As Object", "")
        vbs = folder / name.replace(".ebs", ".vbs")
        vbs.write_text(f'Set RoseApp = CreateObject("TarnTest.FakeRose")\r\nRoseApp.Open "{windows_path(ERRORS_MODEL)}"\r\n'
                       f'RoseApp.Select "{selection}"\r\n{body}\r\nMain\r\n')
        (folder / "shown.txt").unlink(missing_ok=True)
        run = wine.run(["cscript", "//nologo", windows_path(vbs)], ui=folder)
        check(run.returncode == 0, f"{name}: {run.stdout!r} {run.stderr!r}")
        last = shown(folder)[-1] if shown(folder) else ""
        check(last.startswith(expected[name]), f"{name} showed {shown(folder)}")

    result = wine.run([f"{target}\\uninstall.exe", "/S", f"_?={target}"])
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=wine.environment())
    check(result.returncode == 0, f"the uninstaller failed: {result.stderr!r}")
    check(not installed.exists(), f"left installed: {list(installed.rglob('*'))}")
    for key in ("HKLM\\SOFTWARE\\Rational Software\\Rose\\AddIns\\Tarn", "HKCR\\Tarn.ITarn",
                "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarn"):
        check(wine.run(["reg", "query", key]).returncode != 0, f"the uninstaller left {key}")
    return "installed, five menu scripts run, uninstalled"


TESTS = [built_dlls, differential, error_numbers, public_classes, starting_tools, settings, about, real_dialogs,
         installer]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, type=pathlib.Path)
    parser.add_argument("--build32", required=True, type=pathlib.Path)
    parser.add_argument("--tarn", required=True)
    parser.add_argument("--prefix", required=True, type=pathlib.Path)
    parser.add_argument("--work", type=pathlib.Path)
    parser.add_argument("--only", action="append", default=[])
    arguments = parser.parse_args()
    work = (arguments.work or arguments.build / "tests").resolve()
    work.mkdir(parents=True, exist_ok=True)
    context = argparse.Namespace(build=arguments.build.resolve(), build32=arguments.build32.resolve(),
                                 tarn=arguments.tarn,
                                 wine=Wine(arguments.prefix.resolve(), work))
    failed = 0
    for test in TESTS:
        if arguments.only and test.__name__ not in arguments.only:
            continue
        try:
            summary = test(context)
            print(f"PASS {test.__name__}: {summary}", flush=True)
        except Failure as failure:
            failed += 1
            print(f"FAIL {test.__name__}: {failure}", flush=True)
        except Exception:
            failed += 1
            print(f"FAIL {test.__name__}: {traceback.format_exc()}", flush=True)
    print(f"{failed} of {len(TESTS)} Windows tests failed" if failed else "All Windows tests passed", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
