// Prints what mdb-reader finds in an .mdb file, as JSON: table names, and for each user table
// its columns, row count and rows (arrays in column order; null stays null).
import fs from 'node:fs';
import MDBReader from 'mdb-reader';

const reader = new MDBReader(fs.readFileSync(process.argv[2]));
const out = {
  tables: reader.getTableNames(),
  systemTables: reader.getTableNames({ normalTables: false, systemTables: true }),
  password: reader.getPassword(),
  created: reader.getCreationDate()?.toISOString() ?? null,
  data: {},
};
for (const name of out.tables) {
  const table = reader.getTable(name);
  const names = table.getColumnNames();
  out.data[name] = {
    rowCount: table.rowCount,
    columns: table.getColumns().map((c) => ({ name: c.name, type: c.type, size: c.size })),
    rows: table.getData().map((row) => names.map((n) => row[n])),
  };
}
// Everything outside ASCII as \u escapes: Qt's JSON parser, reading raw UTF-8, drops a U+FEFF
// at the start of a string.
const json = JSON.stringify(out).replace(
  /[\u007f-\uffff]/g,
  (c) => '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0'),
);
process.stdout.write(json);
