// The DuckDB side of each item of the side-by-side comparison, on THREADS threads (default 1):
//   import  CSV   loads the CSV into an in-memory table and sums the amounts per account
//   group   DB    opens the stored file read-only and sums the amounts by account and month
//   open    DB    opens the stored file read-only and counts and sums the lines
//   save    DB OUT  opens the stored file and copies its lines into a new database file OUT
// Prints a short result, so that a run that did nothing is seen.
// usage: THREADS=N node duck_items.mjs ITEM FILE [OUT]   (DUCK_DIR: where @duckdb/node-api is installed)
import { createRequire } from 'node:module';
import { rmSync } from 'node:fs';
import { homedir } from 'node:os';
import { join } from 'node:path';

const duckDir = process.env.DUCK_DIR || join(homedir(), '.cache', 'vek-perf', 'duck');
const { DuckDBInstance } = createRequire(join(duckDir, 'package.json'))('@duckdb/node-api');
const threads = String(process.env.THREADS || 1);
const [item, file, out] = process.argv.slice(2);
const quote = (text) => `'${text.replaceAll("'", "''")}'`;

async function connect(database, readOnly) {
  const options = { threads };
  if (readOnly) options.access_mode = 'READ_ONLY';
  const instance = await DuckDBInstance.create(database, options);
  return instance.connect();
}

async function rows(connection, sql) {
  return (await connection.runAndReadAll(sql)).getRows();
}

if (item === 'import' && file) {
  const connection = await connect(':memory:', false);
  await connection.run(`CREATE TABLE lines AS SELECT * FROM read_csv(${quote(file)}, header = true,
    columns = {'voucher': 'INTEGER', 'date': 'VARCHAR', 'account': 'VARCHAR', 'costcentre': 'VARCHAR',
      'project': 'VARCHAR', 'amount': 'DECIMAL(18,2)'})`);
  const sums = await rows(connection, 'SELECT account, sum(amount) FROM lines GROUP BY account ORDER BY account');
  console.log('accounts', sums.length);
} else if (item === 'group' && file) {
  const connection = await connect(file, true);
  const sums = await rows(connection, `SELECT account, date_trunc('month', date) AS month, sum(amount)
    FROM lines GROUP BY account, month ORDER BY account, month`);
  console.log('rows', sums.length);
} else if (item === 'open' && file) {
  const connection = await connect(file, true);
  const [[count, total]] = await rows(connection, 'SELECT count(*), sum(amount) FROM lines');
  console.log('lines', String(count), 'sum', String(total));
} else if (item === 'save' && file && out) {
  rmSync(out, { force: true });
  rmSync(`${out}.wal`, { force: true });
  const connection = await connect(':memory:', false);
  await connection.run(`ATTACH ${quote(file)} AS stored (READ_ONLY)`);
  await connection.run(`ATTACH ${quote(out)} AS copy`);
  await connection.run('CREATE TABLE copy.lines AS SELECT * FROM stored.lines');
  await connection.run('DETACH copy');
  console.log('saved', out);
} else {
  console.error('usage: THREADS=N node duck_items.mjs import CSV | group DB | open DB | save DB OUT');
  process.exit(2);
}
