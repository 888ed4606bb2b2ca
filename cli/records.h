// The datasets of the batch command: captions read from a text file, and the
// one-record dataset through which a worker's control receives each record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/db.h"

namespace zorvik::cli {

// One worker's share of the records when a run is split over Count workers,
// numbered from 0 as job engines number their tasks (JOB_COMPLETION_INDEX,
// SLURM_ARRAY_TASK_ID, AWS_BATCH_JOB_ARRAY_INDEX). Record n (from 1) belongs
// to shard (n - 1) mod Count: decided record by record as they stream past,
// without counting them first, and the shards differ in size by one at most.
struct TShard {
    std::int64_t Index = 0;
    std::int64_t Count = 1;
    bool takes(std::int64_t RecordNumber) const { return (RecordNumber - 1) % Count == Index; }
};

// Reads "I/N" with 0 <= I < N; false with the message that says how.
bool parseShard(const std::string& Text, TShard& Shard, std::string& Error);

// The PDF a shard writes in place of Path: "labels.pdf" becomes
// "labels-02-of-12.pdf", the index as wide as the largest, so that the shards
// of one run never overwrite each other and list in order.
std::string shardPdfPath(const std::string& Path, const TShard& Shard);

// One record per line of a text file, one field "Caption": lines end at LF, a
// CR before it is dropped, a blank line is a record with an empty caption.
// Read line by line, so memory does not grow with the file. The file "-" is
// standard input.
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
