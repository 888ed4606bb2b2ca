// The zorvik command.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "control/code.h"

using namespace zorvik;

int main(int argc, char** argv) {
    CLI::App app{"zorvik: draws one-dimensional barcodes"};
    app.set_version_flag("--version", std::string("zorvik ") + ZORVIK_VERSION);
    app.require_subcommand(1);
    auto* list = app.add_subcommand("list", "List the symbologies: identifier and name");
    list->callback([] {
        const TStringList& names = FBarCodeNames();
        for (int i = 0; i < names.Count(); ++i)
            std::cout << identOf(static_cast<TBarCodeType>(i)) << '\t' << names.Strings(i) << '\n';
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : 1;
    }
    return 0;
}
