// Forms made in Qt Designer (.ui files): loaded with QUiLoader and the Zorvik
// Designer plugin, so that the barcode on them reaches the label.
#pragma once

#include <QString>

namespace zorvik {
class BarcodeWidget;
}

namespace zorvik::labels {

// Reads the barcode called Name (empty: the first one) from the Designer form
// at Path into Target, property by property. False with the reason in Error.
bool loadDesignerForm(const QString& Path, const QString& Name, BarcodeWidget& Target, QString& ObjectName,
                      QString& Error);

}  // namespace zorvik::labels
