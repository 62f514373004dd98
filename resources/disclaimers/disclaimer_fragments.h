#pragma once

// The three disclaimer documents, compiled into the program as constant fragment lists. Each is
// an array of zero-terminated RTF fragments ended by a null pointer; the document is the plain
// concatenation of its fragments. Fragments are 5 to 344 bytes and hold no line break. Read-only
// data: any thread may read them.

extern const char* const koreanDisclaimer[];
extern const char* const englishDisclaimer[];
extern const char* const frenchDisclaimer[];
