#include "platform/qt/modeldataset.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

namespace zorvik {

TModelDataSet::TModelDataSet(QAbstractItemModel* Model, TComponent* AOwner) : TDataSet(AOwner), m_model(Model) {
    if (m_model == nullptr) return;
    // An edited or re-read row reaches the links as a changed record.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& a, const QModelIndex& b) { rowsChanged(a.row(), b.row()); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (Active() && RecNo() > 0) SetRecNo(std::min<std::int64_t>(RecNo(), m_model->rowCount()));
    });
}

TModelDataSet::~TModelDataSet() { Close(); }

void TModelDataSet::follow(QItemSelectionModel* Selection) {
    connect(Selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (Active() && current.isValid()) SetRecNo(current.row() + 1);
    });
}

void TModelDataSet::rowsChanged(int First, int Last) {
    if (Active() && m_row >= First && m_row <= Last) SetRecNo(m_row + 1);
}

void TModelDataSet::load(int Row) {
    m_row = Row;
    for (int c = 0; c < FieldCount(); ++c) {
        const QVariant v = m_model->data(m_model->index(Row, c), Qt::EditRole);
        if (v.isNull()) LoadNull(c);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt)
            LoadInteger(c, v.toLongLong());
        else if (v.typeId() == QMetaType::Double) LoadReal(c, v.toDouble());
        else LoadText(c, v.toString().toStdString());
    }
}

bool TModelDataSet::DoOpen(bool& HasRecord) {
    if (m_model == nullptr) {
        SetError("The dataset has no model");
        return false;
    }
    for (int c = 0; c < m_model->columnCount(); ++c)
        AddField(m_model->headerData(c, Qt::Horizontal).toString().toStdString());
    HasRecord = m_model->rowCount() > 0;
    if (HasRecord) load(0);
    return true;
}

void TModelDataSet::DoClose() { m_row = -1; }

bool TModelDataSet::DoNext(bool& Found) {
    Found = m_row + 1 < m_model->rowCount();
    if (Found) load(m_row + 1);
    return true;
}

bool TModelDataSet::DoSeek(std::int64_t RecNo, bool& Found) {
    Found = RecNo >= 1 && RecNo <= m_model->rowCount();
    if (Found) load(static_cast<int>(RecNo - 1));
    return true;
}

bool TModelDataSet::DoLast(std::int64_t& RecNo) {
    RecNo = m_model->rowCount();
    if (RecNo > 0) load(static_cast<int>(RecNo - 1));
    return true;
}

bool TModelDataSet::DoRecordCount(std::int64_t& Count) {
    Count = m_model->rowCount();
    return true;
}

}  // namespace zorvik
