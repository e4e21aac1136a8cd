// The XLIFF reader on any bytes: refusals name the line; units written back read back the same.
#include "ProjectData/XliffReader.h"
#include "ProjectData/XliffWriter.h"

#include "TranslationRoundTrip.h"

KX4_FUZZ_TARGET(input) { Fuzz::ExpectRoundTrip<XliffReader, XliffWriter>(input); }
