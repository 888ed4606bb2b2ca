#include "platform/stringlist.h"

namespace zorvik {

int TStringList::AddObject(const std::string& S, TObject* AObject) {
    m_items.push_back({S, AObject});
    return Count() - 1;
}

void TStringList::Delete(int Index) {
    auto& item = m_items.at(static_cast<size_t>(Index));
    if (OwnsObjects) delete item.object;
    m_items.erase(m_items.begin() + Index);
}

void TStringList::Clear() {
    if (OwnsObjects)
        for (auto& item : m_items) delete item.object;
    m_items.clear();
}

int TStringList::IndexOf(const std::string& S) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == S) return static_cast<int>(i);
    return -1;
}

}  // namespace zorvik
