#pragma once

#include <cstdint>
#include <string>

// The checks a compiled help file must pass before chmlib (0.40) is given it. chmlib trusts the
// file: it divides by header fields, allocates what they claim and follows directory chains
// without a limit. Check() reads the same fields the way chmlib will and refuses a file on which
// chmlib would divide by zero, loop, allocate an absurd amount or read or write past a buffer.
// The compressed data itself cannot be checked without decompressing it; that is why chmlib runs
// in a process of its own.
namespace ChmCheck {

enum class Verdict { Sound, NotHelpFile, Damaged };

struct Result {
    Verdict verdict = Verdict::Sound;
    // For a refused file: what is wrong and where, in English, for the log.
    std::string why;
};

// Checks the file's bytes (data, size). Never reads outside them.
Result Check(const uint8_t* data, uint64_t size);

} // namespace ChmCheck
