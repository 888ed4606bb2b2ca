// Dataset values through the data link, as the batch hands each record to a
// control: a storage class and the value's text, then the paints that follow.
#include <string>

#include "cli/records.h"
#include "control/code.h"
#include "platform/headless.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace zorvik;
    fuzz::silenceMessages();
    fuzz::Input in(Data, Size);
    const auto storage = static_cast<TStorageClass>(in.byte() % 5);
    const auto symbology = static_cast<TBarCodeType>(in.byte() % kBarCodeTypeCount);
    cli::TRecordDataSet records(nullptr, "Caption");
    TDataSource source(nullptr);
    source.SetDataSet(&records);
    records.Open();
    records.put(storage, in.rest());
    records.First();
    HeadlessHost host;
    TZorvik control(nullptr);
    control.Code()->SetCode(symbology);
    control.SetDataField("Caption");
    host.insert(control);
    control.SetDataSource(&source);
    if (host.settle(64)) fuzz::drawBoth(control, 1);
    control.SetDataSource(nullptr);
    return 0;
}
