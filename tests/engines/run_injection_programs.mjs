// Runs each program of the injection check on a fresh DuckDB table `t` with one text column of
// the crafted name, holding two rows: the crafted text and another. Reads the jobs as JSON on
// standard input; writes, per job, the result's column names and rows (or the error) as JSON.
import { DuckDBInstance } from '@duckdb/node-api';

const chunks = [];
for await (const chunk of process.stdin) chunks.push(chunk);
const jobs = JSON.parse(Buffer.concat(chunks).toString('utf8'));
const quoteName = (name) => '"' + name.replaceAll('"', '""') + '"';
const quoteText = (text) => "'" + text.replaceAll("'", "''") + "'";
const answers = [];
for (const job of jobs) {
  const instance = await DuckDBInstance.create(':memory:');
  const connection = await instance.connect();
  try {
    await connection.run(`CREATE TABLE t(${quoteName(job.name)} VARCHAR)`);
    await connection.run(`INSERT INTO t VALUES (${quoteText(job.text)}), ('other')`);
    const result = await connection.runAndReadAll(job.program);
    answers.push({ columns: result.columnNames(), rows: result.getRowsJson() });
  } catch (error) {
    answers.push({ error: String(error) });
  }
}
process.stdout.write(JSON.stringify(answers));
