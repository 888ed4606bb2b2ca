// The PostgreSQL dataset as a module that programs open only when a database
// name is a PostgreSQL URI, so that a run on SQLite or a text file never loads
// libpq and the libraries it needs.
#include "platform/postgres/pgdataset.h"

extern "C" __attribute__((visibility("default"))) zorvik::TDataSet* zorvik_postgres_dataset(const char* Uri,
                                                                                            const char* Sql) {
    auto* dataset = new zorvik::TPgDataSet(nullptr);
    dataset->SetDatabaseName(Uri);
    dataset->SetSQL(Sql);
    return dataset;
}
