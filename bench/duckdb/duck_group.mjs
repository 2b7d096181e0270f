// The DuckDB side of the comparison: opens the stored file read-only and sums the amounts of the lines
// by account and month, on one thread; prints one row per account and month, tab-separated.
// usage: node duck_group.mjs LINES.duckdb   (DUCK_DIR: the folder where @duckdb/node-api is installed)
import { createRequire } from 'node:module';
import { homedir } from 'node:os';
import { join } from 'node:path';

const duckDir = process.env.DUCK_DIR || join(homedir(), '.cache', 'vek-perf', 'duck');
const { DuckDBInstance } = createRequire(join(duckDir, 'package.json'))('@duckdb/node-api');
const database = process.argv[2];
if (!database) {
  console.error('usage: node duck_group.mjs LINES.duckdb');
  process.exit(2);
}
const instance = await DuckDBInstance.create(database, { threads: '1', access_mode: 'READ_ONLY' });
const connection = await instance.connect();
const result = await connection.runAndReadAll(`SELECT account, strftime(date_trunc('month', date), '%Y-%m') AS month,
  sum(amount) AS total FROM lines GROUP BY account, month ORDER BY account, month`);
const text = result.getRows().map((row) => row.map(String).join('\t')).join('\n');
process.stdout.write(`account\tmonth\ttotal\n${text}\n`);
