// The PO reader on any bytes. It gives units or fails with a Failure naming the line; the
// units it gives, written by the PO writer, read back as the same units.
#include "ProjectData/PoReader.h"
#include "ProjectData/PoWriter.h"

#include "TranslationRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::ExpectRoundTrip<PoReader, PoWriter>(Fuzz::Bytes(data, size));
    return 0;
}
