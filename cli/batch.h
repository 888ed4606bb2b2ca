// zorvik batch: one symbol per record of a text file or a database query, or
// of one shard of them.
#pragma once

#include <string>
#include <vector>

namespace zorvik::cli {

struct BatchOptions {
    std::string form;
    std::string name;
    std::vector<std::string> assignments;
    std::string input;  // one caption per line
    std::string db;     // an SQLite file or a postgresql:// URI ...
    std::string sql;    // ... and the query on it
    std::string shard;  // "I/N": only the records of shard I of N; "" for all
    int jobs = 0;       // 0: every core
    int scale = 1;
    int dpi = 0;        // 0: 96 x scale
    bool verify = false;  // read every symbol back before writing it
    std::string output;  // with {n}: one file per record; else a .pdf of one page per record
    std::string printer;  // instead of output: a CUPS queue, one job of one page per record
};

int runBatch(const BatchOptions& Options);

}  // namespace zorvik::cli
