// The DuckDB side of the components comparison: opens the stored file read-only and sums the amounts,
// counts the lines and the distinct vouchers of the lines by account and cost centre with their
// roll-up (per account and in all), on one thread; prints one row per group, tab-separated.
// usage: node duck_rollup.mjs LINES.duckdb   (DUCK_DIR: the folder where @duckdb/node-api is installed)
import { createRequire } from 'node:module';
import { homedir } from 'node:os';
import { join } from 'node:path';

const duckDir = process.env.DUCK_DIR || join(homedir(), '.cache', 'vek-perf', 'duck');
const { DuckDBInstance } = createRequire(join(duckDir, 'package.json'))('@duckdb/node-api');
const database = process.argv[2];
if (!database) {
  console.error('usage: node duck_rollup.mjs LINES.duckdb');
  process.exit(2);
}
const instance = await DuckDBInstance.create(database, { threads: '1', access_mode: 'READ_ONLY' });
const connection = await instance.connect();
const result = await connection.runAndReadAll(`SELECT account, costcentre,
  sum(amount) FILTER (WHERE amount > 0) AS positive, sum(amount) FILTER (WHERE amount < 0) AS negative,
  sum(amount) AS period, count(DISTINCT voucher) AS cards, count(*) AS lines
  FROM lines GROUP BY ROLLUP (account, costcentre) ORDER BY account NULLS FIRST, costcentre NULLS FIRST`);
const text = result.getRows().map((row) => row.map(String).join('\t')).join('\n');
process.stdout.write(`account\tcostcentre\tpositive\tnegative\tperiod\tcards\tlines\n${text}\n`);
