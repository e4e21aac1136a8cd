// The PO reader on any bytes: refusals name the line; units written back read back the same.
#include "ProjectData/PoReader.h"
#include "ProjectData/PoWriter.h"

#include "TranslationRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::ExpectRoundTrip<PoReader, PoWriter>(Fuzz::Bytes(data, size));
    return 0;
}
