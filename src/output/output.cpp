#include "output/output.h"

#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tornvale {
namespace {

constexpr std::size_t kBlockSize = 4096;

enum class Mode { kUnknown, kConsole, kBuffered };

void WriteBytes(const char* bytes, std::size_t count) {
  if (count == 0) return;
  DWORD written = 0;
  // A failed write is ignored, as the C runtime's stream would ignore it.
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(count), &written, nullptr);
}

// Standard output as a text-mode stream. It lives until static objects are
// destroyed, which is when the collected rest is written.
struct OutputStream {
  Mode mode = Mode::kUnknown;
  std::string pending;

  ~OutputStream() { Flush(); }

  void Flush() {
    WriteBytes(pending.data(), pending.size());
    pending.clear();
  }

  // One output call's text, already in bytes and with CR LF line ends.
  void Emit(const std::string& text) {
    if (mode == Mode::kUnknown) {
      mode = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR ? Mode::kConsole
                                                                            : Mode::kBuffered;
    }
    if (mode == Mode::kConsole) {
      WriteBytes(text.data(), text.size());
      return;
    }
    pending += text;
    std::size_t full = pending.size() - pending.size() % kBlockSize;
    for (std::size_t at = 0; at < full; at += kBlockSize) WriteBytes(pending.data() + at, kBlockSize);
    pending.erase(0, full);
  }
};

OutputStream stream;

void AppendByte(std::string& out, unsigned value) {
  if (value == '\n') out += '\r';
  out += static_cast<char>(value);
}

// A code unit that has no single byte in the "C" locale is written as "?".
void AppendUnit(std::string& out, char16_t unit) {
  AppendByte(out, unit <= 0xFF ? unit : '?');
}

void AppendHex8(std::string& out, uint32_t value) {
  static const char kDigits[] = "0123456789abcdef";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

void PrintNarrow(const char* text) {
  std::string out;
  for (const char* at = text; *at != '\0'; ++at) AppendByte(out, static_cast<unsigned char>(*at));
  stream.Emit(out);
}

void PrintWide(const char16_t* format, ...) {
  static const std::u16string_view kHex8 = u"08x";
  std::string out;
  va_list args;
  va_start(args, format);
  for (const char16_t* at = format; *at != u'\0'; ++at) {
    if (*at == u'%' && at[1] == u's') {
      const char16_t* text = va_arg(args, const char16_t*);
      for (; *text != u'\0'; ++text) AppendUnit(out, *text);
      ++at;
    } else if (*at == u'%' && std::u16string_view(at + 1).substr(0, 3) == kHex8) {
      AppendHex8(out, va_arg(args, uint32_t));
      at += 3;
    } else if (*at == u'%' && at[1] == u'%') {
      out += '%';
      ++at;
    } else {
      AppendUnit(out, *at);
    }
  }
  va_end(args);
  stream.Emit(out);
}

void FlushOutput() { stream.Flush(); }

void ResetOutput() {
  stream.pending.clear();
  stream.mode = Mode::kUnknown;
}

}  // namespace tornvale
