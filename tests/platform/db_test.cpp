// The data access model over a backend held in the test: links, their events,
// references cleared on destruction, display texts, edits and failures.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/db.h"

namespace zorvik {
namespace {

// Rows of text values; Next fails on the record numbered failAt.
class RowsDataSet : public TDataSet {
public:
    RowsDataSet(TComponent* owner, std::vector<std::string> names, std::vector<std::vector<std::string>> rows)
        : TDataSet(owner), m_names(std::move(names)), m_rows(std::move(rows)) {}
    ~RowsDataSet() override { Close(); }
    std::int64_t failAt = 0;
    int closes = 0;

protected:
    bool DoOpen(bool& hasRecord) override {
        for (const auto& name : m_names) AddField(name);
        m_pos = 0;
        bool found = false;
        DoSeek(1, found);
        hasRecord = found;
        return true;
    }
    void DoClose() override { ++closes; }
    bool DoNext(bool& found) override { return DoSeek(m_pos + 1, found); }
    bool DoSeek(std::int64_t recNo, bool& found) override {
        if (recNo == failAt) {
            SetError("disk on fire");
            return false;
        }
        found = recNo >= 1 && recNo <= static_cast<std::int64_t>(m_rows.size());
        if (!found) return true;
        m_pos = recNo;
        const auto& row = m_rows[static_cast<std::size_t>(recNo - 1)];
        for (std::size_t i = 0; i < row.size(); ++i) LoadText(static_cast<int>(i), row[i]);
        return true;
    }
    bool DoLast(std::int64_t& recNo) override {
        bool found = false;
        recNo = static_cast<std::int64_t>(m_rows.size());
        return DoSeek(recNo, found);
    }
    bool DoRecordCount(std::int64_t& count) override {
        count = static_cast<std::int64_t>(m_rows.size());
        return true;
    }

private:
    std::vector<std::string> m_names;
    std::vector<std::vector<std::string>> m_rows;
    std::int64_t m_pos = 0;
};

std::unique_ptr<RowsDataSet> makeCodes(TComponent* owner = nullptr) {
    return std::make_unique<RowsDataSet>(owner, std::vector<std::string>{"Code", "Name"},
                                         std::vector<std::vector<std::string>>{{"111", "one"}, {"222", "two"}});
}

// Counts OnDataChange and notes what the bound field showed each time ("-"
// when there was no field), as a bound control would see it.
struct Watcher {
    TFieldDataLink link;
    std::vector<std::string> seen;
    Watcher() {
        link.OnDataChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &link);
            const TField* f = link.Field();
            seen.push_back(f != nullptr ? f->DisplayText() : "-");
        };
    }
    std::vector<std::string> take() { return std::exchange(seen, {}); }
};

// Logs which hook of a plain link was called.
struct HookLog : TDataLink {
    std::vector<std::string> log;
    void ActiveChanged() override { log.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { log.push_back("changed"); }
    void DataSetScrolled() override { log.push_back("scrolled"); }
    void RecordChanged(TField* field) override { log.push_back("record " + field->FieldName()); }
    std::vector<std::string> take() { return std::exchange(log, {}); }
};

using Seen = std::vector<std::string>;

TEST(DataLink, HooksFollowTheDataset) {
    auto ds = makeCodes();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    HookLog hooks;
    hooks.SetDataSource(&source);
    EXPECT_EQ(hooks.take(), Seen{});  // joined a closed dataset: still inactive, nothing to tell

    struct Step {
        const char* what;
        std::function<void()> act;
        Seen expected;
    };
    const std::vector<Step> steps = {
        {"open", [&] { ds->Open(); }, {"active"}},
        {"next", [&] { ds->Next(); }, {"scrolled"}},
        {"next past the end", [&] { ds->Next(); }, {}},
        {"prior", [&] { ds->Prior(); }, {"scrolled"}},
        {"prior before the start", [&] { ds->Prior(); }, {}},
        {"last", [&] { ds->Last(); }, {"changed"}},
        {"first", [&] { ds->First(); }, {"changed"}},
        {"edit", [&] { ds->FieldByName("name")->SetAsString("uno"); }, {"record Name"}},
        {"open again", [&] { ds->Open(); }, {}},
        {"close", [&] { ds->Close(); }, {"inactive"}},
        {"close again", [&] { ds->Close(); }, {}},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(hooks.take(), step.expected) << step.what;
    }
    EXPECT_EQ(ds->closes, 1);
}

TEST(DataSource, DestroyedSourceIsForgottenByItsLinksAndDataset) {
    auto ds = makeCodes();
    ds->Open();
    auto* source = new TDataSource(nullptr);
    source->SetDataSet(ds.get());
    Watcher w;
    w.link.SetFieldName("Code");
    w.link.SetDataSource(source);
    w.take();
    delete source;
    EXPECT_EQ(w.link.DataSource(), nullptr);
    EXPECT_FALSE(w.link.Active());
    EXPECT_EQ(w.take(), Seen{"-"});
    // The dataset no longer reaches the freed source.
    ds->Next();
    ds->Close();
    EXPECT_TRUE(w.take().empty());
}

TEST(DataSource, FormOwningEverythingTearsDownCleanly) {
    // A form destroys what it owns last first: here the source, then the dataset.
    auto* form = new TComponent(nullptr);
    auto* ds = makeCodes(form).release();
    auto* source = new TDataSource(form);
    source->SetDataSet(ds);
    ds->Open();
    Watcher w;
    w.link.SetFieldName("Code");
    w.link.SetDataSource(source);
    w.take();
    delete form;
    EXPECT_EQ(w.link.DataSource(), nullptr);
    EXPECT_EQ(w.take(), Seen{"-"});
}

TEST(DataSource, DestroyedLinkIsForgotten) {
    TDataSource source(nullptr);
    auto ds = makeCodes();
    source.SetDataSet(ds.get());
    {
        TFieldDataLink a, b;
        a.SetDataSource(&source);
        b.SetDataSource(&source);
        EXPECT_EQ(source.DataLinkCount(), 2);
    }
    EXPECT_EQ(source.DataLinkCount(), 0);
    EXPECT_TRUE(ds->Open());  // would reach the freed links
}

TEST(DataSet, EditsNeedACurrentRecordAndLastOnlyUntilTheCursorMoves) {
    auto empty = std::make_unique<RowsDataSet>(nullptr, std::vector<std::string>{"Code"},
                                               std::vector<std::vector<std::string>>{});
    ASSERT_TRUE(empty->Open());
    EXPECT_FALSE(empty->Fields(0)->SetAsString("1"));
    EXPECT_EQ(empty->LastError(), "The dataset has no current record");

    auto ds = makeCodes();
    ds->Open();
    TField* code = ds->FieldByName("code");
    EXPECT_TRUE(code->SetAsString("999"));
    EXPECT_EQ(code->DisplayText(), "999");
    ds->Next();
    ds->Prior();
    EXPECT_EQ(code->DisplayText(), "111");
    EXPECT_TRUE(code->Clear());
    EXPECT_TRUE(code->IsNull());
    EXPECT_EQ(code->DisplayText(), "");
}

TEST(DataSet, ClosedDatasetRefusesEverythingAndHasNoFields) {
    auto ds = makeCodes();
    const std::vector<std::pair<const char*, std::function<bool()>>> ops = {
        {"First", [&] { return ds->First(); }},
        {"Next", [&] { return ds->Next(); }},
        {"Prior", [&] { return ds->Prior(); }},
        {"Last", [&] { return ds->Last(); }},
        {"RecordCount", [&] { return ds->RecordCount() >= 0; }},
    };
    for (const auto& [name, op] : ops) {
        EXPECT_FALSE(op()) << name;
        EXPECT_EQ(ds->LastError(), "The dataset is not open") << name;
    }
    EXPECT_EQ(ds->FieldCount(), 0);
    EXPECT_EQ(ds->Fields(0), nullptr);
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->Eof());
}

TEST(DataSet, FailedMoveEndsTheLoopAndSaysWhy) {
    auto ds = makeCodes();
    ds->failAt = 2;
    ASSERT_TRUE(ds->Open());
    int visited = 0;
    bool ok = true;
    while (!ds->Eof()) {
        ++visited;
        ok = ds->Next() && ok;
    }
    EXPECT_EQ(visited, 1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ds->LastError(), "disk on fire");
}

// Reals show in the shortest text that reads back to the same double, in the
// C locale's notation: fixed or exponent, whichever is shorter (fixed on a tie).
TEST(Field, DisplayTextOfEachStorageClass) {
    RowsDataSet ds(nullptr, {"v"}, {{"x"}});
    ASSERT_TRUE(ds.Open());
    TField* v = ds.Fields(0);
    struct Case {
        std::function<void()> set;
        TStorageClass cls;
        std::string text;
    };
    constexpr auto maxInt = std::numeric_limits<std::int64_t>::max();
    constexpr auto minInt = std::numeric_limits<std::int64_t>::min();
    const std::vector<Case> cases = {
        {[&] { v->SetAsInteger(0); }, TStorageClass::Integer, "0"},
        {[&] { v->SetAsInteger(-42); }, TStorageClass::Integer, "-42"},
        {[&] { v->SetAsInteger(maxInt); }, TStorageClass::Integer, "9223372036854775807"},
        {[&] { v->SetAsInteger(minInt); }, TStorageClass::Integer, "-9223372036854775808"},
        {[&] { v->SetAsFloat(0.1); }, TStorageClass::Real, "0.1"},
        {[&] { v->SetAsFloat(0.1 + 0.2); }, TStorageClass::Real, "0.30000000000000004"},
        {[&] { v->SetAsFloat(3.0); }, TStorageClass::Real, "3"},
        {[&] { v->SetAsFloat(-2.5); }, TStorageClass::Real, "-2.5"},
        {[&] { v->SetAsFloat(1e300); }, TStorageClass::Real, "1e+300"},
        {[&] { v->SetAsFloat(1.5e-7); }, TStorageClass::Real, "1.5e-07"},
        {[&] { v->SetAsFloat(1e16); }, TStorageClass::Real, "1e+16"},
        {[&] { v->SetAsFloat(4006381333931.0); }, TStorageClass::Real, "4006381333931"},
        {[&] { v->SetAsFloat(9007199254740993.0); }, TStorageClass::Real, "9007199254740992"},
        {[&] { v->SetAsFloat(-0.0); }, TStorageClass::Real, "0"},
        {[&] { v->SetAsFloat(std::numeric_limits<double>::infinity()); }, TStorageClass::Real, "Inf"},
        {[&] { v->SetAsFloat(-std::numeric_limits<double>::infinity()); }, TStorageClass::Real, "-Inf"},
        {[&] { v->SetAsString("007"); }, TStorageClass::Text, "007"},
        {[&] { v->SetAsString("Gr\xc3\xbc\xc3\x9f \xe2\x82\xac"); }, TStorageClass::Text,
         "Gr\xc3\xbc\xc3\x9f \xe2\x82\xac"},
        {[&] { v->SetAsString(std::string("a\0b", 3)); }, TStorageClass::Text, std::string("a\0b", 3)},
        {[&] { v->Clear(); }, TStorageClass::Null, ""},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(v->StorageClass(), c.cls) << c.text;
        EXPECT_EQ(v->DisplayText(), c.text);
        EXPECT_EQ(v->IsNull(), c.cls == TStorageClass::Null) << c.text;
    }
}

TEST(Field, RealTextsReadBackToTheSameDouble) {
    RowsDataSet ds(nullptr, {"v"}, {{"x"}});
    ASSERT_TRUE(ds.Open());
    TField* v = ds.Fields(0);
    for (double d : {0.1, 1.0 / 3.0, 2.0 / 3.0, 1e-300, 5e-324, 1.7976931348623157e308, 123456.789, -9.87654321e-5}) {
        v->SetAsFloat(d);
        const std::string text = v->DisplayText();
        double back = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(result.ec, std::errc()) << text;
        EXPECT_EQ(back, d) << text;
    }
}

}  // namespace
}  // namespace zorvik
