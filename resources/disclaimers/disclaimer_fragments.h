#pragma once

// The three disclaimer documents, compiled into the program as constant fragment lists. Each is
// an array of zero-terminated RTF fragments ended by a null pointer; the document is the plain
// concatenation of its fragments, one line of the source document each, without line breaks.
// Read-only data: any thread may read them.

extern const char* const koreanDisclaimer[];
extern const char* const englishDisclaimer[];
extern const char* const frenchDisclaimer[];

// The buffer that the disclaimer view reads into; the build fails on a fragment that exceeds it.
constexpr int kDisclaimerChunkCapacity = 4096;
