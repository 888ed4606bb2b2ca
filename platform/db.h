// The host framework's data access: datasets over a backend, their fields, the
// data sources that share a dataset with controls, and the links through which
// data-aware controls follow the current record.
//
// Errors never cross this interface as exceptions: operations return false (or
// -1 for counts) and leave a text in the dataset's LastError().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes.h"

namespace zorvik {

class TDataSet;
class TDataSource;
class TDataLink;

// What a value in the current record is, in the manner of dynamically typed
// stores such as SQLite: each value carries its own class.
enum class TStorageClass { Null, Integer, Real, Text, Blob };

// One column of a dataset, holding its value in the current record.
class TField : public TObject {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return m_dataSet; }
    const std::string& FieldName() const { return m_name; }
    int Index() const { return m_index; }

    TStorageClass StorageClass() const { return m_class; }
    bool IsNull() const { return m_class == TStorageClass::Null; }

    // The value as text: text as stored, integers in decimal, reals in the
    // shortest form that reads back to the same double ("0.1", "3", "1e+300";
    // negative zero as "0"; infinities as "Inf" and "-Inf"), NULL as "". A blob
    // has no text: it gives "" and the dataset's LastError says why.
    std::string DisplayText() const;

    // Edits of the current record, kept in memory until the cursor leaves the
    // record (nothing is written back to the backend). Each raises the
    // field-change event for the dataset's links. False when the dataset has
    // no current record.
    bool SetAsString(std::string_view Value);
    bool SetAsInteger(std::int64_t Value);
    bool SetAsFloat(double Value);
    bool Clear();

private:
    friend class TDataSet;
    TField(TDataSet* DataSet, std::string Name, int Index);

    TDataSet* m_dataSet;
    std::string m_name;
    int m_index;
    TStorageClass m_class = TStorageClass::Null;
    std::int64_t m_integer = 0;
    double m_real = 0.0;
    std::string m_text;  // text values; reused from record to record
    std::size_t m_blobSize = 0;
};

// A dataset: a cursor over the records of a backend. Records are numbered
// from 1. Bof is true after Open and First, and after Prior tried to move
// before the first record; Eof is true after Last, and after Next tried to
// move past the last record; both are true for an empty dataset. So
//     ds.First(); while (!ds.Eof()) { ...; ds.Next(); }
// visits every record once. A failed move leaves Eof true so such loops end;
// check LastError() afterwards.
//
// Backends call Close() in their own destructor: the base class cannot reach
// the backend once that part of the object is gone.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    bool Open();
    void Close();
    bool Active() const { return m_state == State::Browse; }
    bool SetActive(bool Value);

    bool First();
    bool Next();
    bool Prior();
    bool Last();
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    // The current record's number from 1; 0 when closed or empty.
    std::int64_t RecNo() const { return m_recNo; }
    // Makes record Value (from 1) current, loading it afresh even when it
    // already is, so that links see a record whose values changed.
    bool SetRecNo(std::int64_t Value);
    // The number of records; -1 (with LastError) when closed or on failure.
    std::int64_t RecordCount();

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    // nullptr when Index is out of range.
    TField* Fields(int Index) const;
    // Names compare without regard to ASCII case; nullptr when there is none.
    TField* FieldByName(std::string_view Name) const;

    // Why the last operation failed; each operation that can fail clears it
    // first. Reading a blob's display text sets it too.
    const std::string& LastError() const { return m_lastError; }

protected:
    // The backend. DoOpen creates the fields (AddField) and loads the first
    // record if there is one; when it fails it releases what it took. A move
    // that finds no record leaves the fields as they were. Failures set the
    // error text and return false.
    virtual bool DoOpen(bool& HasRecord) = 0;
    virtual void DoClose() = 0;
    virtual bool DoNext(bool& Found) = 0;
    // Loads record RecNo (from 1).
    virtual bool DoSeek(std::int64_t RecNo, bool& Found) = 0;
    // Loads the last record and gives its number; 0 when there are none.
    virtual bool DoLast(std::int64_t& RecNo) = 0;
    virtual bool DoRecordCount(std::int64_t& Count) = 0;

    TField* AddField(std::string Name);
    void LoadNull(int Index);
    void LoadInteger(int Index, std::int64_t Value);
    void LoadReal(int Index, double Value);
    void LoadText(int Index, std::string_view Value);
    void LoadBlob(int Index, std::size_t Size);

    void SetError(std::string Text) const { m_lastError = std::move(Text); }
    void ClearError() const { m_lastError.clear(); }

private:
    friend class TField;
    friend class TDataSource;
    enum class State { Inactive, Opening, Browse, Closing };
    enum class Event { StateChange, DataSetChange, Scroll, FieldChange };

    bool checkBrowsing();
    bool canEdit();
    bool failMove();
    void clearRecord();
    void DataEvent(Event Kind, TField* Field);
    void closeFields();
    void fieldChanged(TField* Field);

    State m_state = State::Inactive;
    bool m_bof = true;
    bool m_eof = true;
    std::int64_t m_recNo = 0;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<TDataSource*> m_dataSources;
    mutable std::string m_lastError;
};

// Shares one dataset with any number of data links.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return m_dataSet; }
    // Links whose activity changes hear ActiveChanged; active links moved to
    // another open dataset hear DataSetChanged.
    void SetDataSet(TDataSet* Value);
    int DataLinkCount() const { return static_cast<int>(m_links.size()); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void forgetDataSet();
    void notifyLinks(TDataSet::Event Kind, TField* Field);

    TDataSet* m_dataSet = nullptr;
    std::vector<TDataLink*> m_links;
};

// What a data-aware object attaches to a data source. It is active while its
// source has an open dataset; the hooks tell it what happened.
class TDataLink : public TPersistent {
public:
    TDataLink() = default;
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return m_dataSource; }
    // A different source reaches the hooks when the link is or becomes
    // active: ActiveChanged when its activity changes, DataSetChanged
    // otherwise. An inactive link that stays inactive hears nothing.
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return m_dataSource != nullptr ? m_dataSource->DataSet() : nullptr; }
    bool Active() const { return m_active; }

protected:
    // The dataset opened or closed, or the link joined or left an open one.
    virtual void ActiveChanged() {}
    // The records may all be different (First, Last, another dataset).
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // The cursor moved to another record.
    virtual void DataSetScrolled() { DataSetChanged(); }
    // A value of the current record changed: Field, or any when nullptr.
    virtual void RecordChanged(TField* Field) { (void)Field; }

private:
    friend class TDataSource;
    // ActiveChanged when the link's activity changed, else DataSetChanged
    // when it is active.
    void updateState();

    TDataSource* m_dataSource = nullptr;
    bool m_active = false;
};

// Links a control to one field of the current record. OnDataChange is raised
// whenever the field's value for the current record may have changed: the
// link becoming active or inactive, every scroll, First and Last, an edit of
// the field, a new field name, a new data source. The sender is the link.
class TFieldDataLink : public TDataLink {
public:
    const std::string& FieldName() const { return m_fieldName; }
    void SetFieldName(const std::string& Value);
    // The bound field of the current record; nullptr when unbound, inactive
    // or when the dataset has no such field.
    TField* Field() const;

    TComponent* Control() const { return m_control; }
    void SetControl(TComponent* Value) { m_control = Value; }

    TNotifyEvent OnDataChange;

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* Field) override;

private:
    void dataChange();

    std::string m_fieldName;
    TComponent* m_control = nullptr;
};

}  // namespace zorvik
