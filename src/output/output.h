// The tool's two output operations. Text becomes bytes as the "C" locale
// would write it (a code unit up to U+00FF is that byte, any other code unit
// of an argument is "?"), every line feed is written as CR LF, and all of it
// goes to standard output: at a console at the end of each call, to a file
// or pipe in 4096-byte blocks with the rest written at normal exit. Failed
// writes are ignored.
#pragma once

namespace tornvale {

// Narrow formatted output; the text is the whole format and holds no "%".
void PrintNarrow(const char* text);

// Wide formatted output: "%s" takes a const char16_t*, "%08x" a 32-bit value.
void PrintWide(const char16_t* format, ...);

// Writes what is still collected. Runs by itself at normal exit.
void FlushOutput();

// Drops collected bytes and looks at standard output afresh (for tests that
// redirect it).
void ResetOutput();

}  // namespace tornvale
