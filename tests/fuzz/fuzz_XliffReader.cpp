// The XLIFF reader on any bytes. It gives units or fails with a Failure naming the line; the
// units it gives, written by the XLIFF writer, read back as the same units.
#include "ProjectData/XliffReader.h"
#include "ProjectData/XliffWriter.h"

#include "TranslationRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::ExpectRoundTrip<XliffReader, XliffWriter>(Fuzz::Bytes(data, size));
    return 0;
}
