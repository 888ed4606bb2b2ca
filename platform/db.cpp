#include "platform/db.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zorvik {

namespace {

// Identifiers compare as SQL compares them: ASCII letters without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

template <typename T>
bool contains(const std::vector<T*>& list, const T* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T>
void erase(std::vector<T*>& list, const T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

std::string realText(double value) {
    // SQLite's own spelling; std::to_chars would write "inf".
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    // The sign of zero carries no value, and "-0" would fail a numeric caption.
    if (value == 0.0) return "0";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

// ---- TField ----------------------------------------------------------------

TField::TField(TDataSet* DataSet, std::string Name, int Index)
    : m_dataSet(DataSet), m_name(std::move(Name)), m_index(Index) {}

std::string TField::DisplayText() const {
    switch (m_class) {
        case TStorageClass::Null:
            return {};
        case TStorageClass::Integer: {
            char buffer[24];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, m_integer);
            return std::string(buffer, result.ptr);
        }
        case TStorageClass::Real:
            return realText(m_real);
        case TStorageClass::Text:
            return m_text;
        case TStorageClass::Blob:
            break;
    }
    m_dataSet->SetError("Field \"" + m_name + "\" holds a blob of " + std::to_string(m_blobSize) +
                        " bytes, which has no display text");
    return {};
}

bool TField::SetAsString(std::string_view Value) {
    if (!m_dataSet->canEdit()) return false;
    m_class = TStorageClass::Text;
    m_text.assign(Value);
    m_dataSet->fieldChanged(this);
    return true;
}

bool TField::SetAsInteger(std::int64_t Value) {
    if (!m_dataSet->canEdit()) return false;
    m_class = TStorageClass::Integer;
    m_integer = Value;
    m_dataSet->fieldChanged(this);
    return true;
}

bool TField::SetAsFloat(double Value) {
    if (!m_dataSet->canEdit()) return false;
    m_class = TStorageClass::Real;
    m_real = Value;
    m_dataSet->fieldChanged(this);
    return true;
}

bool TField::Clear() {
    if (!m_dataSet->canEdit()) return false;
    m_class = TStorageClass::Null;
    m_dataSet->fieldChanged(this);
    return true;
}

// ---- TDataSet --------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    Destroying();
    // The backend has closed itself if it could; if not, at least the links
    // learn that the data is gone.
    if (m_state == State::Browse) {
        m_state = State::Closing;
        DataEvent(Event::StateChange, nullptr);
        closeFields();
    }
    // Data sources forget this dataset while it is still one.
    while (!m_dataSources.empty()) m_dataSources.back()->forgetDataSet();
}

bool TDataSet::Open() {
    if (m_state == State::Browse) return true;
    if (m_state != State::Inactive) {
        SetError("The dataset is busy opening or closing");
        return false;
    }
    ClearError();
    m_state = State::Opening;
    bool hasRecord = false;
    if (!DoOpen(hasRecord)) {
        closeFields();
        if (m_lastError.empty()) SetError("The dataset cannot be opened");
        return false;
    }
    m_state = State::Browse;
    m_recNo = hasRecord ? 1 : 0;
    m_bof = true;
    m_eof = !hasRecord;
    DataEvent(Event::StateChange, nullptr);
    return true;
}

void TDataSet::Close() {
    if (m_state != State::Browse) return;
    // Links learn first, while the fields still exist; none of them is
    // current any more (the dataset no longer counts as active).
    m_state = State::Closing;
    DataEvent(Event::StateChange, nullptr);
    DoClose();
    closeFields();
}

bool TDataSet::SetActive(bool Value) {
    if (Value) return Open();
    Close();
    return true;
}

void TDataSet::closeFields() {
    m_fields.clear();
    m_recNo = 0;
    m_bof = true;
    m_eof = true;
    m_state = State::Inactive;
}

bool TDataSet::checkBrowsing() {
    ClearError();
    if (m_state == State::Browse) return true;
    SetError("The dataset is not open");
    return false;
}

bool TDataSet::canEdit() {
    if (!checkBrowsing()) return false;
    if (m_recNo > 0) return true;
    SetError("The dataset has no current record");
    return false;
}

bool TDataSet::failMove() {
    m_eof = true;
    if (m_lastError.empty()) SetError("The dataset cannot move to that record");
    return false;
}

void TDataSet::clearRecord() {
    for (auto& field : m_fields) field->m_class = TStorageClass::Null;
}

bool TDataSet::First() {
    if (!checkBrowsing()) return false;
    bool found = false;
    if (!DoSeek(1, found)) return failMove();
    if (!found) clearRecord();
    m_recNo = found ? 1 : 0;
    m_bof = true;
    m_eof = !found;
    DataEvent(Event::DataSetChange, nullptr);
    return true;
}

bool TDataSet::Next() {
    if (!checkBrowsing()) return false;
    if (m_eof) return true;
    bool found = false;
    if (!DoNext(found)) return failMove();
    if (!found) {
        // The cursor stays on the last record.
        m_eof = true;
        return true;
    }
    ++m_recNo;
    m_bof = false;
    DataEvent(Event::Scroll, nullptr);
    return true;
}

bool TDataSet::Prior() {
    if (!checkBrowsing()) return false;
    if (m_recNo <= 1) {
        m_bof = true;
        return true;
    }
    bool found = false;
    if (!DoSeek(m_recNo - 1, found)) return failMove();
    if (!found) {
        SetError("Record " + std::to_string(m_recNo - 1) + " is no longer in the result");
        return failMove();
    }
    --m_recNo;
    m_bof = false;
    m_eof = false;
    DataEvent(Event::Scroll, nullptr);
    return true;
}

bool TDataSet::Last() {
    if (!checkBrowsing()) return false;
    std::int64_t last = 0;
    if (!DoLast(last)) return failMove();
    if (last == 0) clearRecord();
    m_recNo = last;
    m_eof = true;
    m_bof = last == 0;
    DataEvent(Event::DataSetChange, nullptr);
    return true;
}

bool TDataSet::SetRecNo(std::int64_t Value) {
    if (!checkBrowsing()) return false;
    bool found = false;
    if (Value < 1 || !DoSeek(Value, found)) return failMove();
    if (!found) {
        SetError("Record " + std::to_string(Value) + " is not in the result");
        return failMove();
    }
    m_recNo = Value;
    m_bof = Value == 1;
    m_eof = false;
    DataEvent(Event::DataSetChange, nullptr);
    return true;
}

std::int64_t TDataSet::RecordCount() {
    if (!checkBrowsing()) return -1;
    std::int64_t count = 0;
    if (!DoRecordCount(count)) {
        if (m_lastError.empty()) SetError("The records cannot be counted");
        return -1;
    }
    return count;
}

TField* TDataSet::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount()) return nullptr;
    return m_fields[static_cast<std::size_t>(Index)].get();
}

TField* TDataSet::FieldByName(std::string_view Name) const {
    for (const auto& field : m_fields) {
        if (sameName(field->FieldName(), Name)) return field.get();
    }
    return nullptr;
}

TField* TDataSet::AddField(std::string Name) {
    m_fields.push_back(std::unique_ptr<TField>(new TField(this, std::move(Name), FieldCount())));
    return m_fields.back().get();
}

void TDataSet::LoadNull(int Index) {
    if (TField* f = Fields(Index)) f->m_class = TStorageClass::Null;
}

void TDataSet::LoadInteger(int Index, std::int64_t Value) {
    if (TField* f = Fields(Index)) {
        f->m_class = TStorageClass::Integer;
        f->m_integer = Value;
    }
}

void TDataSet::LoadReal(int Index, double Value) {
    if (TField* f = Fields(Index)) {
        f->m_class = TStorageClass::Real;
        f->m_real = Value;
    }
}

void TDataSet::LoadText(int Index, std::string_view Value) {
    if (TField* f = Fields(Index)) {
        f->m_class = TStorageClass::Text;
        f->m_text.assign(Value);  // keeps the capacity: no allocation per record
    }
}

void TDataSet::LoadBlob(int Index, std::size_t Size) {
    if (TField* f = Fields(Index)) {
        f->m_class = TStorageClass::Blob;
        f->m_blobSize = Size;
    }
}

void TDataSet::fieldChanged(TField* Field) {
    DataEvent(Event::FieldChange, Field);
}

void TDataSet::DataEvent(Event Kind, TField* Field) {
    // A handler may detach sources or links; each is asked only while still attached.
    const std::vector<TDataSource*> sources = m_dataSources;
    for (TDataSource* source : sources) {
        if (contains(m_dataSources, source)) source->notifyLinks(Kind, Field);
    }
}

// ---- TDataSource -----------------------------------------------------------

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    if (m_dataSet != nullptr) {
        erase(m_dataSet->m_dataSources, this);
        RemoveFreeNotification(m_dataSet);
        m_dataSet = nullptr;
    }
    // Each link hears once that its source is gone.
    while (!m_links.empty()) {
        TDataLink* link = m_links.back();
        m_links.pop_back();
        link->m_dataSource = nullptr;
        link->updateState();
    }
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == m_dataSet) return;
    if (m_dataSet != nullptr) {
        erase(m_dataSet->m_dataSources, this);
        RemoveFreeNotification(m_dataSet);
    }
    m_dataSet = Value;
    if (Value != nullptr) {
        Value->m_dataSources.push_back(this);
        FreeNotification(Value);
    }
    notifyLinks(TDataSet::Event::StateChange, nullptr);
}

void TDataSource::forgetDataSet() {
    SetDataSet(nullptr);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    // A dataset detaches its sources while it is destroyed; this is the
    // safety net, and the dataset may already be half gone: do not call it.
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == m_dataSet) {
        m_dataSet = nullptr;
        notifyLinks(TDataSet::Event::StateChange, nullptr);
    }
}

void TDataSource::notifyLinks(TDataSet::Event Kind, TField* Field) {
    const std::vector<TDataLink*> links = m_links;
    for (TDataLink* link : links) {
        if (!contains(m_links, link)) continue;
        switch (Kind) {
            case TDataSet::Event::StateChange:
                link->updateState();
                break;
            case TDataSet::Event::DataSetChange:
                if (link->Active()) link->DataSetChanged();
                break;
            case TDataSet::Event::Scroll:
                if (link->Active()) link->DataSetScrolled();
                break;
            case TDataSet::Event::FieldChange:
                if (link->Active()) link->RecordChanged(Field);
                break;
        }
    }
}

// ---- TDataLink -------------------------------------------------------------

TDataLink::~TDataLink() {
    if (m_dataSource != nullptr) erase(m_dataSource->m_links, this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == m_dataSource) return;
    if (m_dataSource != nullptr) erase(m_dataSource->m_links, this);
    m_dataSource = Value;
    if (Value != nullptr) Value->m_links.push_back(this);
    // An inactive link that stays inactive has nothing new to tell: the
    // control keeps its stored caption until real data arrives.
    updateState();
}

void TDataLink::updateState() {
    const TDataSet* dataSet = DataSet();
    const bool active = dataSet != nullptr && dataSet->Active();
    if (active != m_active) {
        m_active = active;
        ActiveChanged();
    } else if (active) {
        DataSetChanged();
    }
}

// ---- TFieldDataLink --------------------------------------------------------

void TFieldDataLink::SetFieldName(const std::string& Value) {
    if (Value == m_fieldName) return;
    m_fieldName = Value;
    // Only a live link has a field whose value changes with the name.
    if (Active()) dataChange();
}

TField* TFieldDataLink::Field() const {
    if (!Active() || m_fieldName.empty()) return nullptr;
    return DataSet()->FieldByName(m_fieldName);
}

void TFieldDataLink::ActiveChanged() {
    dataChange();
}

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field == nullptr || Field == this->Field()) dataChange();
}

void TFieldDataLink::dataChange() {
    if (OnDataChange) OnDataChange(this);
}

}  // namespace zorvik
