// The barcode control and the printable barcode in form files, beside the
// report engine's classes.
#pragma once

#include "platform/formloader.h"

namespace zorvik {

// TZorvik (its published properties) and TQR2Zorvik (the printable's
// position, size and colour, and Barcode).
void addZorvikClasses(TFormLoader& Loader);

}  // namespace zorvik
