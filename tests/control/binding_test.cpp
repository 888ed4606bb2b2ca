#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "control/formio.h"
#include "control/zorvik.h"
#include "platform/sqlite/sqlitedataset.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// A form with a query on a products table, a data source and a bound control.
struct BoundForm {
    TComponent form{nullptr};
    TSqliteDataSet* query;
    TDataSource* source;
    TZorvik* control;
    explicit BoundForm(const std::string& test) {
        const std::string dir = test::scratchDir(test);
        const std::string db = test::makeDatabase(
            dir, "CREATE TABLE p (id INTEGER, ean TEXT, price REAL, note TEXT);"
                 "INSERT INTO p VALUES (1, '400638133393', 2.5, NULL), (2, '590123412345', 10, 'x'),"
                 " (3, '871234567890', 0.1, '');");
        query = new TSqliteDataSet(&form);
        query->SetDatabaseName(db);
        query->SetSQL("SELECT id, ean, price, note FROM p ORDER BY id");
        source = new TDataSource(&form);
        source->SetName("Products");
        source->SetDataSet(query);
        control = new TZorvik(&form);
    }
};

TEST(Binding, TheCaptionFollowsTheFieldOnOpenScrollFieldChangeAndClose) {
    BoundForm f("binding-events");
    TZorvik& z = *f.control;
    z.Code()->SetCode(TBarCodeType::EAN_13);
    z.SetDataField("EAN");  // names compare without regard to case
    z.SetDataSource(f.source);
    EXPECT_EQ(z.Code()->Caption(), "123456");  // inactive: the stored caption stays
    ASSERT_TRUE(f.query->Open());
    EXPECT_EQ(z.Code()->Caption(), "400638133393");
    f.query->Next();
    EXPECT_EQ(z.Code()->Caption(), "590123412345");
    f.query->Last();
    EXPECT_EQ(z.Code()->Caption(), "871234567890");
    f.query->Prior();
    EXPECT_EQ(z.Code()->Caption(), "590123412345");
    f.query->FieldByName("ean")->SetAsString("012345678905");
    EXPECT_EQ(z.Code()->Caption(), "012345678905");
    f.query->Close();
    EXPECT_EQ(z.Code()->Caption(), "123");
}

TEST(Binding, DisplayTextsBecomeCaptions) {
    struct Case {
        const char* field;
        const char* captions[3];
    } cases[] = {
        {"id", {"1", "2", "3"}},
        {"price", {"2.5", "10", "0.1"}},
        {"note", {"", "x", ""}},
    };
    for (const auto& c : cases) {
        BoundForm f("binding-texts");
        f.control->SetDataField(c.field);
        f.control->SetDataSource(f.source);
        ASSERT_TRUE(f.query->Open());
        for (const char* expected : c.captions) {
            EXPECT_EQ(f.control->Code()->Caption(), expected) << c.field;
            f.query->Next();
        }
    }
}

TEST(Binding, UnboundControlsShowASampleInTheDesignerAnd123AtRunTime) {
    struct Case {
        TBarCodeType s;
        const char* sample;
    } cases[] = {
        {TBarCodeType::EAN_13, "123456789012"},      {TBarCodeType::EAN_8, "1234567"},
        {TBarCodeType::EAN_13_2AddOn, "12345678901299"}, {TBarCodeType::EAN_13_5AddOn, "12345678901212345"},
        {TBarCodeType::UPC_A, "01234567890"},        {TBarCodeType::Code_39, "123"},
        {TBarCodeType::Code_128, "123"},             {TBarCodeType::Codabar, "123"},
    };
    for (const auto& c : cases) {
        for (bool designing : {true, false}) {
            TZorvik z(nullptr);
            z.SetDesigning(designing);
            z.Code()->SetCode(c.s);
            z.Code()->SetCaption("stored");
            z.DataChange(nullptr);
            EXPECT_EQ(z.Code()->Caption(), designing ? c.sample : "123") << identOf(c.s);
        }
    }
}

TEST(Binding, ReadFromAFormInTheDesignerTheCaptionIsTheSample) {
    for (bool designing : {true, false}) {
        TComponent form(nullptr);
        form.SetDesigning(designing);
        auto* z = new TZorvik(&form);
        std::vector<TFormObject> roots;
        std::string error, name;
        ASSERT_TRUE(parseForm("object Z: TZorvik\n  Code.Symbology = EAN_8\n  Code.Caption = '9638507'\nend\n", "f",
                              roots, error));
        ASSERT_TRUE(loadZorvik(roots, "f", "", *z, name, error)) << error;
        EXPECT_EQ(z->Code()->Caption(), designing ? "1234567" : "9638507");
    }
}

TEST(Binding, DestroyingTheDataSourceClearsTheReference) {
    BoundForm f("binding-destroy");
    f.control->SetDataSource(f.source);
    ASSERT_EQ(f.control->DataSource(), f.source);
    ASSERT_TRUE(f.query->Open());
    delete f.source;
    EXPECT_EQ(f.control->DataSource(), nullptr);
    EXPECT_EQ(f.control->DataSourceName(), "");
    f.query->Next();  // no dangling link reaches the control
    EXPECT_EQ(f.control->Code()->Caption(), "123");
}

TEST(Binding, AControlDestroyedWhileBoundLeavesTheSource) {
    BoundForm f("binding-control-gone");
    f.control->SetDataSource(f.source);
    ASSERT_EQ(f.source->DataLinkCount(), 1);
    delete f.control;
    EXPECT_EQ(f.source->DataLinkCount(), 0);
    ASSERT_TRUE(f.query->Open());
    f.query->Next();
}

TEST(Binding, TheDataLinkQueryAnswersTheSameLinkForTheControlsLife) {
    BoundForm f("binding-query");
    const intptr_t link = f.control->Perform(CM_GETDATALINK);
    ASSERT_NE(link, 0);
    f.control->SetDataField("ean");
    f.control->SetDataSource(f.source);
    f.query->Open();
    f.control->SetDataSource(nullptr);
    EXPECT_EQ(f.control->Perform(CM_GETDATALINK), link);
    EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(link)->FieldName(), "ean");
    EXPECT_EQ(f.control->Perform(0x1234), 0);
}

TEST(Binding, FormFilesKeepTheFieldAndTheSourceByName) {
    BoundForm f("binding-form");
    f.control->SetDataField("ean");
    f.control->SetDataSource(f.source);
    const std::string text = writeZorvik(*f.control, "Z");
    EXPECT_NE(text.find("  DataField = 'ean'\n  DataSource = Products\nend\n"), std::string::npos) << text;

    // Read into a form that holds the source: bound to it; into one that does not: the name is kept.
    std::vector<TFormObject> roots;
    std::string error, name;
    ASSERT_TRUE(parseForm(text, "f", roots, error));
    auto* again = new TZorvik(&f.form);
    ASSERT_TRUE(loadZorvik(roots, "f", "", *again, name, error)) << error;
    EXPECT_EQ(again->DataSource(), f.source);
    TZorvik alone(nullptr);
    ASSERT_TRUE(loadZorvik(roots, "f", "", alone, name, error)) << error;
    EXPECT_EQ(alone.DataSource(), nullptr);
    EXPECT_EQ(writeZorvik(alone, "Z"), text);
}

TEST(Binding, TheBoundControlRepaintsOnEveryRecord) {
    BoundForm f("binding-repaint");
    HeadlessHost host;
    host.insert(*f.control);
    f.control->Code()->SetCode(TBarCodeType::EAN_13);
    f.control->SetDataField("ean");
    f.control->SetDataSource(f.source);
    f.query->Open();
    ASSERT_TRUE(host.settle());
    f.query->Next();
    EXPECT_TRUE(host.isInvalid(*f.control));
    ASSERT_TRUE(host.settle());
}

}  // namespace
}  // namespace zorvik
