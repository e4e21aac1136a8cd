#pragma once

struct TranslationUnit;

// Reads the units of a translator file one at a time, without holding the file.
class TranslationReader {
public:
    virtual ~TranslationReader() = default;

    // The next unit into *unit; false at the end of the file. Throws Failure "line N: <what>"
    // for input that is malformed or that this format's reader does not take.
    virtual bool Next(TranslationUnit* unit) = 0;
};
