// Edits every published property of a barcode widget, one row per row of the
// property table: enumerations as lists, Booleans as check boxes, numbers in
// spin boxes, texts in line edits, colours and the font through Qt's dialogs.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

#include "platform/qt/barcodewidget.h"

namespace zorvik::labels {

class PropertyPanel : public QWidget {
    Q_OBJECT
public:
    PropertyPanel(BarcodeWidget& Target, QWidget* Parent = nullptr);

private:
    // Shows the widget's current values without raising edits.
    void refresh();
    void chooseFont();

    BarcodeWidget& m_target;
    std::vector<std::function<void()>> m_refreshers;
};

}  // namespace zorvik::labels
