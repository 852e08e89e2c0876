// Runs the SQL that brell writes on a real DuckDB and compares the rows it returns with the rows
// the sentence means.
//
// Usage: node run_duckdb_cases.mjs BRELL CASE_FILE...
//
// A case file is plain text read line by line. A line that starts with a keyword and a colon in
// the first column opens a section; the indented lines under it belong to that section. A line
// that starts with `#` in the first column is a comment, and blank lines are ignored.
//
//     # Everything before the first `case:` is shared by every case of the file.
//     tables:
//         CREATE TABLE sales(region VARCHAR, revenue DOUBLE, day DATE);
//         INSERT INTO sales VALUES ('West', 10, '2024-01-05'), ('East', NULL, NULL);
//     columns: region:text,revenue:number,day:date
//
//     case: the West rows stay
//     pipeline: sales then keep where [region] is "West"
//     rows in any order:
//         region | revenue | day
//         "West" | 10      | "2024-01-05"
//
//     case: a second table joins in
//     columns: region:text,revenue:number,day:date
//     columns: targets=region:text,goal:number
//     tables:
//         CREATE TABLE targets(region VARCHAR, goal DOUBLE);
//     pipeline: sales
//         then join targets by [region]
//     error: some text of the message DuckDB fails with
//
// Sections:
// - `tables:` SQL that makes the tables, run in a fresh in-memory DuckDB before the query. The
//   file's own tables run first, then the case's.
// - `columns:` one `--columns` argument for brell, as written after the colon: the head table's
//   list, or `name=...` for another table. A case that gives any `columns:` line replaces the
//   file's whole list; a case that gives none uses the file's.
// - `case:` starts a case and names it.
// - `pipeline:` the sentence (text on the same line, and indented lines joined to it by a line
//   feed).
// - `rows in order:` or `rows in any order:` the rows the query must return. The first indented
//   line holds the column names, in their order, separated by `|` (a name may be written as a
//   JSON string when it needs to hold unusual characters); every further line is one row, its
//   cells separated by `|`, each cell a JSON value: numbers, "text", true, false and null (a
//   missing value). Dates are written as "2024-01-05" and timestamps as "2024-01-05 13:45:00".
//   `in order` is for sentences that settle the order of the rows; `in any order` compares the
//   rows as a bag.
// - `error:` the query must fail, and DuckDB's message must contain this text.
//
// Numbers compare by value (1 and 1.0 are equal, with room for rounding in the last digits),
// so a whole number and a decimal read the same; texts, truths, dates and timestamps compare
// exactly, and a value never equals a value of another kind (the number 5 is not the text "5").
//
// When DuckDB for Node.js cannot be loaded every case is reported as skipped, and the exit status
// is 77. Otherwise each failing case prints a FAIL block, the run ends with "N passed, M failed",
// and the exit status is 1 when any case failed.

import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import path from 'node:path';

const SKIP_STATUS = 77;
const SECTION = /^(tables|columns|case|pipeline|rows in order|rows in any order|error):(.*)$/;

function fail(message) {
  process.stderr.write(`run_duckdb_cases: ${message}\n`);
  process.exit(2);
}

// ---------------------------------------------------------------------------------------------
// Reading case files

function splitCells(line, where) {
  // Splits at every `|` that stands outside a JSON string.
  const cells = [];
  let current = '';
  let inString = false;
  for (let i = 0; i < line.length; i++) {
    const c = line[i];
    if (inString) {
      current += c;
      if (c === '\\' && i + 1 < line.length) {
        current += line[++i];
      } else if (c === '"') {
        inString = false;
      }
    } else if (c === '"') {
      inString = true;
      current += c;
    } else if (c === '|') {
      cells.push(current.trim());
      current = '';
    } else {
      current += c;
    }
  }
  if (inString) fail(`${where}: a text is never closed`);
  cells.push(current.trim());
  return cells;
}

function parseCell(cell, where) {
  try {
    return JSON.parse(cell);
  } catch {
    fail(`${where}: \`${cell}\` is not a JSON value (texts are written in double quotes)`);
  }
}

function parseHeader(line, where) {
  return splitCells(line, where).map((cell) => (cell.startsWith('"') ? parseCell(cell, where) : cell));
}

function readCaseFile(file) {
  const lines = readFileSync(file, 'utf8').split('\n');
  const shared = { tables: [], columns: [] };
  const cases = [];
  let current = null; // the case being read, or null before the first one
  let section = null; // { name, lines, line }

  const closeSection = () => {
    if (!section) return;
    const where = `${file}:${section.line}`;
    const owner = current ?? shared;
    const text = section.lines.join('\n');
    switch (section.name) {
      case 'tables':
        owner.tables.push(text);
        break;
      case 'columns': {
        const lists = section.lines.map((l) => l.trim()).filter((l) => l !== '');
        if (lists.length !== 1 || section.lines[0].trim() === '') {
          fail(`${where}: \`columns:\` takes one list, on its own line`);
        }
        owner.columns.push(lists[0]);
        break;
      }
      case 'pipeline':
        if (!current) fail(`${where}: \`pipeline:\` belongs to a case`);
        current.pipeline = text.trim();
        break;
      case 'rows in order':
      case 'rows in any order': {
        if (!current) fail(`${where}: \`${section.name}:\` belongs to a case`);
        const body = section.lines.map((l) => l.trim()).filter((l) => l !== '');
        if (section.lines[0].trim() !== '') fail(`${where}: the rows start on the next line`);
        if (body.length === 0) fail(`${where}: the rows need at least the line of column names`);
        const header = parseHeader(body[0], where);
        const rows = body.slice(1).map((l) => {
          const row = splitCells(l, where).map((c) => parseCell(c, where));
          if (row.length !== header.length) {
            fail(`${where}: the row \`${l}\` has ${row.length} cells for ${header.length} columns`);
          }
          return row;
        });
        current.expect = { kind: 'rows', ordered: section.name === 'rows in order', header, rows };
        break;
      }
      case 'error':
        if (!current) fail(`${where}: \`error:\` belongs to a case`);
        if (text.trim() === '') fail(`${where}: \`error:\` needs the text the message holds`);
        current.expect = { kind: 'error', text: text.trim() };
        break;
      default:
        break;
    }
    section = null;
  };

  lines.forEach((raw, index) => {
    const line = raw.replace(/\r$/, '');
    const lineNumber = index + 1;
    if (line.startsWith('#')) return;
    if (line.trim() === '') {
      if (section) section.lines.push('');
      return;
    }
    if (/^\s/.test(line)) {
      if (!section) fail(`${file}:${lineNumber}: an indented line belongs under a section`);
      section.lines.push(line);
      return;
    }
    const m = SECTION.exec(line);
    if (!m) fail(`${file}:${lineNumber}: \`${line}\` opens no section I know`);
    closeSection();
    const [, name, rest] = m;
    if (name === 'case') {
      if (rest.trim() === '') fail(`${file}:${lineNumber}: a case needs a name`);
      current = { name: rest.trim(), line: lineNumber, tables: [], columns: [] };
      cases.push(current);
      return;
    }
    section = { name, lines: [rest], line: lineNumber };
  });
  closeSection();

  for (const c of cases) {
    const where = `${file}:${c.line}`;
    if (!c.pipeline) fail(`${where}: the case \`${c.name}\` has no pipeline`);
    if (!c.expect) fail(`${where}: the case \`${c.name}\` says neither its rows nor its error`);
    if (c.columns.length === 0) c.columns = shared.columns;
    if (c.columns.length === 0) fail(`${where}: the case \`${c.name}\` has no \`columns:\``);
    c.tables = [...shared.tables, ...c.tables];
  }
  if (cases.length === 0) fail(`${file}: no cases`);
  return cases;
}

// ---------------------------------------------------------------------------------------------
// Values as DuckDB hands them back, and their comparison

const NUMERIC_TYPES = new Set([
  'TINYINT', 'SMALLINT', 'INTEGER', 'BIGINT', 'HUGEINT', 'UTINYINT', 'USMALLINT', 'UINTEGER',
  'UBIGINT', 'UHUGEINT', 'FLOAT', 'DOUBLE', 'DECIMAL',
]);
const TIME_TYPES = new Set([
  'DATE', 'TIMESTAMP', 'TIMESTAMP_S', 'TIMESTAMP_MS', 'TIMESTAMP_NS', 'TIMESTAMP WITH TIME ZONE',
]);

function normaliseTime(text) {
  // "2024-01-05T13:45:00.000" and "2024-01-05 13:45:00" are the same moment.
  return text.replace('T', ' ').replace(/\.0+$/, '');
}

function actualValue(value, typeName) {
  if (value === null || value === undefined) return null;
  if (NUMERIC_TYPES.has(typeName)) return Number(value);
  if (TIME_TYPES.has(typeName)) return normaliseTime(String(value));
  return value;
}

function sameNumber(a, b) {
  if (Number.isNaN(a) || Number.isNaN(b)) return Number.isNaN(a) && Number.isNaN(b);
  if (a === b) return true;
  return Math.abs(a - b) <= 1e-9 * Math.max(1, Math.abs(a), Math.abs(b));
}

function sameValue(expected, actual, isTime) {
  if (expected === null || actual === null) return expected === actual;
  if (typeof expected === 'number') return typeof actual === 'number' && sameNumber(expected, actual);
  if (typeof expected === 'string' && typeof actual === 'string') {
    return isTime ? normaliseTime(expected) === actual : expected === actual;
  }
  return JSON.stringify(expected) === JSON.stringify(actual);
}

function sameRow(expected, actual, timeColumns) {
  return expected.every((v, i) => sameValue(v, actual[i], timeColumns[i]));
}

function compareRows(expect, actual) {
  // Returns null when the rows agree, else the reason they do not.
  if (JSON.stringify(expect.header) !== JSON.stringify(actual.header)) {
    return 'the columns differ';
  }
  if (expect.rows.length !== actual.rows.length) {
    return `${expect.rows.length} rows were expected and ${actual.rows.length} came back`;
  }
  if (expect.ordered) {
    const at = expect.rows.findIndex((row, i) => !sameRow(row, actual.rows[i], actual.timeColumns));
    return at < 0 ? null : `row ${at + 1} differs`;
  }
  const unused = actual.rows.map(() => true);
  for (const row of expect.rows) {
    const found = actual.rows.findIndex((a, i) => unused[i] && sameRow(row, a, actual.timeColumns));
    if (found < 0) return `no row came back for ${formatRow(row)}`;
    unused[found] = false;
  }
  return null;
}

function formatRow(row) {
  return row.map((v) => JSON.stringify(v)).join(' | ');
}

function formatTable(header, rows, indent) {
  // Lines the cells up under their column names, as the case files write them.
  const cells = [header.map(String), ...rows.map((row) => row.map((v) => JSON.stringify(v)))];
  const widths = header.map((_, i) => Math.max(...cells.map((line) => (line[i] ?? '').length)));
  return cells
    .map((line) => indent + line.map((c, i) => c.padEnd(widths[i])).join(' | ').trimEnd())
    .join('\n');
}

function indentText(text, indent) {
  return text.split('\n').map((l) => indent + l).join('\n');
}

// ---------------------------------------------------------------------------------------------
// Running one case

function runBrell(brell, c) {
  const args = [];
  for (const list of c.columns) args.push('--columns', list);
  args.push('--as', 'sql', c.pipeline);
  const result = spawnSync(brell, args, { encoding: 'utf8', timeout: 60_000 });
  if (result.error) return { problem: `brell could not be run: ${result.error.message}` };
  if (result.status !== 0) {
    return { problem: `brell refused it (status ${result.status}):\n${result.stderr.trimEnd()}` };
  }
  return { sql: result.stdout };
}

async function runCase(duckdb, brell, c) {
  const written = runBrell(brell, c);
  if (written.problem) return { problem: written.problem };
  const sql = written.sql;

  const instance = await duckdb.DuckDBInstance.create(':memory:');
  const connection = await instance.connect();
  try {
    for (const tables of c.tables) {
      try {
        await connection.run(tables);
      } catch (e) {
        return { sql, problem: `the case's tables could not be made: ${e.message}` };
      }
    }
    let reader;
    try {
      reader = await connection.runAndReadAll(sql);
    } catch (e) {
      if (c.expect.kind === 'error') {
        if (e.message.includes(c.expect.text)) return { sql, passed: true };
        return { sql, problem: `the query failed with another message:\n  ${e.message}` };
      }
      return { sql, problem: `the query failed:\n  ${e.message}` };
    }
    const typeNames = reader.columnTypes().map((t) => duckdb.DuckDBTypeId[t.typeId]);
    const actual = {
      header: reader.columnNames(),
      rows: reader.getRowsJson().map((row) => row.map((v, i) => actualValue(v, typeNames[i]))),
      timeColumns: typeNames.map((t) => TIME_TYPES.has(t)),
      typeNames,
    };
    if (c.expect.kind === 'error') {
      return { sql, actual, problem: 'the query was expected to fail, and it returned rows' };
    }
    const why = compareRows(c.expect, actual);
    return why ? { sql, actual, problem: why } : { sql, passed: true };
  } finally {
    connection.closeSync();
    instance.closeSync();
  }
}

function report(file, c, outcome) {
  const lines = [`FAIL ${file}: ${c.name}`];
  lines.push('  sentence:', indentText(c.pipeline, '    '));
  lines.push(`  columns: ${c.columns.join('  ')}`);
  if (outcome.sql) lines.push('  SQL:', indentText(outcome.sql.trimEnd(), '    '));
  if (c.expect.kind === 'error') {
    lines.push(`  expected: the query fails with a message holding "${c.expect.text}"`);
  } else {
    lines.push(`  expected (${c.expect.ordered ? 'in order' : 'in any order'}):`);
    lines.push(formatTable(c.expect.header, c.expect.rows, '    '));
  }
  if (outcome.actual) {
    lines.push(`  actual (types: ${outcome.actual.typeNames.join(', ')}):`);
    lines.push(formatTable(outcome.actual.header, outcome.actual.rows, '    '));
  }
  lines.push(indentText(`why: ${outcome.problem}`, '  '));
  process.stdout.write(lines.join('\n') + '\n\n');
}

async function main() {
  const [brell, ...files] = process.argv.slice(2);
  if (!brell || files.length === 0) fail('usage: run_duckdb_cases.mjs BRELL CASE_FILE...');
  const suites = files.map((file) => ({ file, name: path.basename(file), cases: readCaseFile(file) }));

  let duckdb;
  try {
    duckdb = await import('@duckdb/node-api');
  } catch {
    for (const suite of suites) {
      for (const c of suite.cases) {
        process.stdout.write(`SKIPPED ${suite.file}: ${c.name} (DuckDB for Node.js is not installed)\n`);
      }
    }
    process.exit(SKIP_STATUS);
  }

  let passed = 0;
  let failed = 0;
  for (const suite of suites) {
    for (const c of suite.cases) {
      let outcome;
      try {
        outcome = await runCase(duckdb, brell, c);
      } catch (e) {
        outcome = { problem: `the case could not be run: ${e.stack ?? e}` };
      }
      if (outcome.passed) {
        passed++;
        process.stdout.write(`ok   ${suite.file}: ${c.name}\n`);
      } else {
        failed++;
        report(suite.file, c, outcome);
      }
    }
  }
  process.stdout.write(`${passed} passed, ${failed} failed\n`);
  process.exit(failed > 0 ? 1 : 0);
}

await main();
