// TSqliteDataSet in form files: DatabaseName and the query, SQL.Text or the
// lines of SQL.Strings.
#pragma once

#include <string>

#include "platform/formloader.h"

namespace zorvik {

// A relative DatabaseName is taken from FormFolder, the folder of the form
// file, so that a form and its database travel together.
void addSqliteClasses(TFormLoader& Loader, const std::string& FormFolder);

}  // namespace zorvik
