// What the platform hands the transport from the device: an input report read from the configuration collection, or
// a returned feature report. The first byte of the input chooses the collection's input report length (0 to 64); the
// rest is the buffer. An event comes only out of a report of id 0x04 that holds the event and fits the collection,
// with its words as the bytes say; an answer only out of a feature report of id 0x01, with exactly its 8 bytes.
#include "hidtransport/hid_contract.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t inputReportBytes = data[0] % 65;
    const uint8_t* report = data + 1;
    const size_t length = size - 1;

    if (const auto event = hidtransport::ParseEvent(report, length, inputReportBytes)) {
        FUZZ_CHECK(length <= inputReportBytes && length >= 5);
        FUZZ_CHECK(report[0] == hidtransport::kEventReportId);
        FUZZ_CHECK(event->command == (report[1] | report[2] << 8));
        FUZZ_CHECK(event->value == (report[3] | report[4] << 8));
    }
    if (const auto answer = hidtransport::TakeAnswer(report, length)) {
        FUZZ_CHECK(answer->size() == hidtransport::kCommandBytes && report[0] == hidtransport::kCommandReportId);
        for (size_t i = 0; i < answer->size(); ++i) {
            FUZZ_CHECK((*answer)[i] == report[1 + i]);
        }
    }
    // The same bytes framed as a block for a collection of that output length: the block comes back unchanged.
    if (const auto block = hidtransport::FrameBlock(report, length, inputReportBytes)) {
        FUZZ_CHECK(block->size() == inputReportBytes && block->size() >= 1 + length);
        for (size_t i = 0; i < length; ++i) {
            FUZZ_CHECK((*block)[1 + i] == report[i]);
        }
    }
    return 0;
}
