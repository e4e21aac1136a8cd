// The PO reader on any bytes: refusals name the line; units written back read back the same.
#include "ProjectData/PoReader.h"
#include "ProjectData/PoWriter.h"

#include "TranslationRoundTrip.h"

KX4_FUZZ_TARGET(input) { Fuzz::ExpectRoundTrip<PoReader, PoWriter>(input); }
