// The DuckDB side's stored file, made once: the lines of the CSV in a table with typed columns.
// usage: node duck_store.mjs DATA.csv OUT.duckdb   (DUCK_DIR: the folder where @duckdb/node-api is installed)
import { createRequire } from 'node:module';
import { homedir } from 'node:os';
import { join } from 'node:path';

const duckDir = process.env.DUCK_DIR || join(homedir(), '.cache', 'vek-perf', 'duck');
const { DuckDBInstance } = createRequire(join(duckDir, 'package.json'))('@duckdb/node-api');
const [csv, database] = process.argv.slice(2);
if (!csv || !database) {
  console.error('usage: node duck_store.mjs DATA.csv OUT.duckdb');
  process.exit(2);
}
const quoted = `'${csv.replaceAll("'", "''")}'`;
const instance = await DuckDBInstance.create(database, { threads: '1' });
const connection = await instance.connect();
await connection.run(`CREATE OR REPLACE TABLE lines AS
  SELECT voucher, strptime(date, '%Y%m%d')::DATE AS date, account, costcentre, project, amount
  FROM read_csv(${quoted}, header = true, columns = {'voucher': 'INTEGER', 'date': 'VARCHAR',
    'account': 'VARCHAR', 'costcentre': 'VARCHAR', 'project': 'VARCHAR', 'amount': 'DECIMAL(18,2)'})`);
await connection.run('CHECKPOINT');
const count = await connection.runAndReadAll('SELECT count(*) FROM lines');
console.log('lines', String(count.getRows()[0][0]));
