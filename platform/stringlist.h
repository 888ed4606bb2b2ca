// A list of strings, each with an attached object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/classes.h"

namespace zorvik {

class TStringList : public TPersistent {
public:
    TStringList() = default;
    ~TStringList() override { Clear(); }
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    // When set, the list releases its attached objects on Clear, Delete and destruction.
    bool OwnsObjects = false;

    int Count() const { return static_cast<int>(m_items.size()); }
    int Add(const std::string& S) { return AddObject(S, nullptr); }
    int AddObject(const std::string& S, TObject* AObject);
    void Delete(int Index);
    void Clear();
    // Index must lie in 0 .. Count()-1.
    const std::string& Strings(int Index) const { return m_items.at(static_cast<size_t>(Index)).text; }
    TObject* Objects(int Index) const { return m_items.at(static_cast<size_t>(Index)).object; }
    int IndexOf(const std::string& S) const;

private:
    struct Item {
        std::string text;
        TObject* object;
    };
    std::vector<Item> m_items;
};

}  // namespace zorvik
