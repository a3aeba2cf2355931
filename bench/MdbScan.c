/* The least a reader can do for a sign-in: open the file, bind the record-book column alone and
 * fetch every row of the table, comparing each value with the one looked for.
 * Usage: rv-bench-mdbscan FILE TABLE COLUMN [VALUE]
 * Prints the rows read and the first row holding VALUE (0: none). */
#include <mdbtools.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    MdbHandle* mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb || !mdb_read_catalog(mdb, MDB_TABLE)) return 1;
    MdbTableDef* table = mdb_read_table_by_name(mdb, argv[2], MDB_TABLE);
    if (!table || !mdb_read_columns(table)) return 1;
    mdb_rewind_table(table);
    char* value = g_malloc0(mdb->bind_size);
    int length = 0;
    if (mdb_bind_column_by_name(table, argv[3], value, &length) < 0) return 1;
    long rows = 0;
    long match = 0;
    while (mdb_fetch_row(table)) {
        ++rows;
        if (!match && argc > 4 && strcmp(value, argv[4]) == 0) match = rows;
    }
    printf("rows %ld\nmatch %ld\n", rows, match);
    g_free(value);
    mdb_free_tabledef(table);
    mdb_close(mdb);
    return 0;
}
