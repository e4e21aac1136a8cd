// The XLIFF reader on any bytes: refusals name the line; units written back read back the same.
#include "ProjectData/XliffReader.h"
#include "ProjectData/XliffWriter.h"

#include "TranslationRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::ExpectRoundTrip<XliffReader, XliffWriter>(Fuzz::Bytes(data, size));
    return 0;
}
