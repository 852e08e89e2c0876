// Writes syntaxes/brell.tmLanguage.json from what `brell --vocabulary` lists, so that the
// highlighted words are the language's own and cannot drift from it:
//
//   node generate-grammar.js [BRELL]    (the brell program; `brell` on the PATH by default)
//
// Verbs, each kind of function and the other reserved words get a scope each; text, column
// brackets, numbers and comments are read as the compiler's lexer reads them.
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");

const brell = process.argv[2] || "brell";
const listing = execFileSync(brell, ["--vocabulary"], { encoding: "utf8" });
const byKind = new Map();
for (const line of listing.split("\n")) {
  if (!line) continue;
  const [kind, word] = line.split("\t");
  if (!byKind.has(kind)) byKind.set(kind, []);
  byKind.get(kind).push(word);
}

// Longest first, so that `take_last` is matched before `take`.
const alternatives = (words) =>
  [...words].sort((a, b) => b.length - a.length || a.localeCompare(b)).join("|");
const scopes = {
  verb: "keyword.control.verb.brell",
  aggregate: "support.function.aggregate.brell",
  scalar: "support.function.scalar.brell",
  window: "support.function.window.brell",
  word: "keyword.other.brell",
};
const patterns = [
  { name: "comment.line.number-sign.brell", match: "#.*$" },
  { name: "string.quoted.double.brell", begin: "\"", end: "\"" },
  { name: "variable.other.column.brell", begin: "\\[", end: "\\]" },
  { name: "constant.numeric.brell", match: "\\b[0-9]+(\\.[0-9]+)?\\b" },
];
for (const [kind, scope] of Object.entries(scopes)) {
  const words = byKind.get(kind);
  if (!words) throw new Error(`brell --vocabulary lists no word of the kind ${kind}`);
  patterns.push({ name: scope, match: `\\b(${alternatives(words)})\\b` });
}
const unknown = [...byKind.keys()].filter((kind) => !(kind in scopes));
if (unknown.length) throw new Error(`no scope for the kinds ${unknown.join(", ")}`);

const grammar = {
  $schema: "https://raw.githubusercontent.com/martinring/tmlanguage/master/tmlanguage.json",
  name: "brell",
  scopeName: "source.brell",
  fileTypes: ["brell"],
  patterns,
};
const out = path.join(__dirname, "syntaxes", "brell.tmLanguage.json");
fs.mkdirSync(path.dirname(out), { recursive: true });
fs.writeFileSync(out, JSON.stringify(grammar, null, 2) + "\n");
console.log(`wrote ${path.relative(process.cwd(), out)}`);
