// The VS Code side of brell: starts `brell-lsp` for .brell files (the language server does all
// the work), and adds two commands that show what the server answers for the open sentence.
"use strict";
const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

const TARGETS = ["sql", "spark", "dplyr", "pandas", "polars", "pyspark"];
const LANGUAGE_OF = {
  sql: "sql",
  spark: "sql",
  dplyr: "r",
  pandas: "python",
  polars: "python",
  pyspark: "python",
};
let client;

async function showAnswer(command, argument, language) {
  const editor = vscode.window.activeTextEditor;
  if (!editor || editor.document.languageId !== "brell") return;
  const text = await client.sendRequest("workspace/executeCommand", {
    command,
    arguments: [editor.document.uri.toString(), argument],
  });
  const document = await vscode.workspace.openTextDocument({ content: text || "", language });
  await vscode.window.showTextDocument(document, vscode.ViewColumn.Beside, true);
}

function activate(context) {
  const command = vscode.workspace.getConfiguration("brell").get("server.command") || "brell-lsp";
  client = new LanguageClient(
    "brell",
    "brell",
    { command, args: [] },
    {
      documentSelector: [{ language: "brell" }],
      synchronize: { fileEvents: vscode.workspace.createFileSystemWatcher("**/brell.toml") },
    },
  );
  context.subscriptions.push(
    vscode.commands.registerCommand("brell.showIn", async () => {
      const target = await vscode.window.showQuickPick(TARGETS, {
        placeHolder: "Show the sentence in",
      });
      if (target) await showAnswer("brell.show", target, LANGUAGE_OF[target]);
    }),
    vscode.commands.registerCommand("brell.showDrawing", () =>
      showAnswer("brell.draw", "text", "plaintext"),
    ),
  );
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
