#!/usr/bin/env bash
# A profile-guided build whose counts are not found compiles and passes every test, only
# slower: the profile's file names depend on the build folder's layout and the compiler's
# naming. Compiles the replay's hot files again as the build compiles them, with a missing or
# mismatched profile made an error. Usage: ProfileUse_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
python3 - "$build" <<'PY'
import json, os, shlex, subprocess, sys, tempfile

build = sys.argv[1]
hot = ["src/replay/RecordPipeline.cpp", "src/replay/RecordLines.cpp", "src/replay/LineReader.cpp",
       "src/core/LineTokens.cpp", "src/core/ValueReader.cpp", "src/core/ControllerLine.cpp"]
commands = json.load(open(os.path.join(build, "compile_commands.json")))
failed = 0
with tempfile.TemporaryDirectory() as tmp:
    for name in hot:
        entry = next((e for e in commands if e["file"].endswith("/" + name)), None)
        if entry is None:
            print(f"{name}: not in the build")
            failed += 1
            continue
        args = shlex.split(entry["command"])  # the compiler's own command, without ccache
        if not any(a.startswith("-fprofile-use") for a in args):
            print(f"{name}: compiled without -fprofile-use")
            failed += 1
            continue
        # The same object path in another folder finds the same counts: this also checks that
        # one training serves every build folder.
        args = [f"-fprofile-prefix-path={tmp}" if a.startswith("-fprofile-prefix-path=") else a
                for a in args if a not in ("-Wno-missing-profile", "-Wno-coverage-mismatch")]
        obj = args[args.index("-o") + 1]
        os.makedirs(os.path.join(tmp, os.path.dirname(obj)), exist_ok=True)
        args += ["-Werror=missing-profile", "-Werror=coverage-mismatch"]
        run = subprocess.run(args, cwd=tmp, capture_output=True, text=True)
        if run.returncode != 0:
            print(f"{name}: its profile is missing or does not match:\n{run.stderr}")
            failed += 1
print(f"{len(hot) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
PY
