// A dataset of the host framework over a Qt item model (a QSqlTableModel, for
// instance): one field per column, named by its header, one record per row.
// Following a view's current row makes the data links of the framework, and
// so the controls bound to them, follow the view.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/db.h"

#include <QAbstractItemModel>
class QItemSelectionModel;

namespace zorvik {

class TModelDataSet : public QObject, public TDataSet {
    Q_OBJECT
public:
    TModelDataSet(QAbstractItemModel* Model, TComponent* AOwner = nullptr);
    ~TModelDataSet() override;

    QAbstractItemModel* model() const { return m_model; }
    // Makes the current row of Selection the current record from now on.
    void follow(QItemSelectionModel* Selection);

protected:
    bool DoOpen(bool& HasRecord) override;
    void DoClose() override;
    bool DoNext(bool& Found) override;
    bool DoSeek(std::int64_t RecNo, bool& Found) override;
    bool DoLast(std::int64_t& RecNo) override;
    bool DoRecordCount(std::int64_t& Count) override;

private:
    void load(int Row);
    void rowsChanged(int First, int Last);

    QPointer<QAbstractItemModel> m_model;
    int m_row = -1;
};

}  // namespace zorvik
