#!/usr/bin/env bash
# Builds the VS Code extension into a .vsix as its README says (npm ci from package-lock.json,
# the grammar generated from `brell --vocabulary`, @vscode/vsce), in a copy of this folder, then
# reads the grammar back out of the .vsix and checks that every word of the vocabulary is
# highlighted as its kind, and nothing else is listed. A missing Node or npm fails.
#
#   editors/vscode/check_extension.sh BRELL
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
brell=$(realpath "$1")
for tool in node npm python3; do
    if ! command -v "$tool" > /dev/null; then
        echo "check_extension.sh: no $tool on the PATH" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/package.json "$here"/package-lock.json "$here"/*.js "$here"/language-configuration.json \
    "$here"/README.md "$here"/.vscodeignore "$work"/
cd "$work"
npm ci --no-audit --no-fund --loglevel=error
node generate-grammar.js "$brell"
npx --no-install vsce package --skip-license --out brell.vsix

"$brell" --vocabulary > vocabulary.txt
python3 - brell.vsix vocabulary.txt <<'PY'
import json, re, sys, zipfile

vsix, vocabulary = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(vsix) as archive:
    names = archive.namelist()
    manifest = json.loads(archive.read("extension/package.json"))
    grammar_path = "extension/" + manifest["contributes"]["grammars"][0]["path"].lstrip("./")
    grammar = json.loads(archive.read(grammar_path))
    for needed in ("extension/extension.js", "extension/language-configuration.json",
                   "extension/node_modules/vscode-languageclient/package.json"):
        assert needed in names, f"the .vsix holds no {needed}"
scope_of = {"verb": "keyword.control.verb.brell", "aggregate": "support.function.aggregate.brell",
            "scalar": "support.function.scalar.brell", "window": "support.function.window.brell",
            "word": "keyword.other.brell"}
words = [line.split("\t") for line in open(vocabulary, encoding="utf-8").read().splitlines()]
patterns = [(p["name"], re.compile(p["match"])) for p in grammar["patterns"] if "match" in p]
wrong = []
for kind, word in words:
    # A grammar tries its patterns in order at each place; the first that matches there wins.
    text = f"{word} "
    for scope, pattern in patterns:
        found = pattern.match(text)
        if found:
            if found.group() != word or scope != scope_of[kind]:
                wrong.append(f"`{word}` ({kind}) is read as `{found.group()}`, {scope}")
            break
    else:
        wrong.append(f"`{word}` ({kind}) is not highlighted")
listed = {word for kind, word in words}
for scope, pattern in patterns:
    for word in re.findall(r"[a-z_]+", pattern.pattern.replace("\\b", " ")):
        if word not in listed and scope in scope_of.values():
            wrong.append(f"{scope} names `{word}`, which --vocabulary does not list")
if wrong:
    sys.exit("the grammar in the .vsix differs from --vocabulary:\n" + "\n".join(wrong))
print(f"{vsix}: {len(names)} files; its grammar highlights all {len(words)} words of "
      "--vocabulary as their kinds")
PY
