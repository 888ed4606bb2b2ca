// The datasets of the batch command: captions read from a text file, and the
// one-record dataset through which a worker's control receives each record.
#pragma once

#include <cstdio>
#include <string>

#include "platform/db.h"

namespace zorvik::cli {

// One record per line of a text file, one field "Caption": lines end at LF, a
// CR before it is dropped, a blank line is a record with an empty caption.
// Read line by line, so memory does not grow with the file.
class TLinesDataSet : public TDataSet {
public:
    explicit TLinesDataSet(TComponent* AOwner) : TDataSet(AOwner) {}
    ~TLinesDataSet() override;
    void SetFileName(const std::string& Value) { m_fileName = Value; }

protected:
    bool DoOpen(bool& HasRecord) override;
    void DoClose() override;
    bool DoNext(bool& Found) override;
    bool DoSeek(std::int64_t RecNo, bool& Found) override;
    bool DoLast(std::int64_t& RecNo) override;
    bool DoRecordCount(std::int64_t& Count) override;

private:
    // Reads the next line into m_line; false at the end.
    bool readLine(std::FILE* File, std::string& Line);
    bool rewind();

    std::string m_fileName;
    std::FILE* m_file = nullptr;
    std::string m_line;
};

// A dataset of one field holding one record at a time, handed over from a
// dataset on another thread: Put the value, then First moves onto it and the
// links hear of it.
class TRecordDataSet : public TDataSet {
public:
    TRecordDataSet(TComponent* AOwner, std::string FieldName) : TDataSet(AOwner), m_fieldName(std::move(FieldName)) {}
    ~TRecordDataSet() override { Close(); }
    void put(TStorageClass Class, std::string Text) {
        m_class = Class;
        m_text = std::move(Text);
    }

protected:
    bool DoOpen(bool& HasRecord) override;
    void DoClose() override {}
    bool DoNext(bool& Found) override {
        Found = false;
        return true;
    }
    bool DoSeek(std::int64_t RecNo, bool& Found) override;
    bool DoLast(std::int64_t& RecNo) override;
    bool DoRecordCount(std::int64_t& Count) override {
        Count = 1;
        return true;
    }

private:
    void load();
    std::string m_fieldName;
    TStorageClass m_class = TStorageClass::Null;
    std::string m_text;
};

}  // namespace zorvik::cli
