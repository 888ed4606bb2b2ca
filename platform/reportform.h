// The report engine's classes in form files: TQuickRep, TQRBand, TQRLabel,
// TQRDBText, and the TDataSource that links controls to a dataset.
#pragma once

#include "platform/formloader.h"
#include "platform/report.h"

namespace zorvik {

void addReportClasses(TFormLoader& Loader);

// The position, size and colour of a printable element; Known false for
// another path.
bool readPrintableProperty(TQRPrintable& Element, const TFormProperty& Property, const TFormLoader& Loader,
                           bool& Known, std::string& Error);

}  // namespace zorvik
