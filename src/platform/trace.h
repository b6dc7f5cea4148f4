#pragma once
// The trace of a headless run: one JSON object a line for each thing a
// person would observe (message boxes, error pages, frames, sounds, files,
// the exit), each with "t" (virtual milliseconds since the start) and "ev".
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kb {

struct TraceField {
  enum class Kind { Int, Cp932, Utf8 };
  std::string_view key;
  Kind kind;
  std::int64_t number = 0;
  std::string_view text;

  TraceField(std::string_view k, std::int64_t n) : key(k), kind(Kind::Int), number(n) {}
  TraceField(std::string_view k, int n) : key(k), kind(Kind::Int), number(n) {}
  TraceField(std::string_view k, unsigned n) : key(k), kind(Kind::Int), number(n) {}
  // Texts from the engine are CP932 and are written as UTF-8.
  static TraceField Text(std::string_view k, std::string_view cp932) {
    TraceField f(k, 0);
    f.kind = Kind::Cp932;
    f.text = cp932;
    return f;
  }
  static TraceField Utf8(std::string_view k, std::string_view utf8) {
    TraceField f(k, 0);
    f.kind = Kind::Utf8;
    f.text = utf8;
    return f;
  }
};

// Opens the trace file; false when it cannot be created.
bool OpenTrace(const std::string& hostPath);
void CloseTrace();
bool TraceEnabled();
// Writes one event, stamped with the platform's elapsed time.
void Trace(std::string_view event, std::initializer_list<TraceField> fields);

// JSON string escaping of UTF-8 text (exposed for tests).
std::string JsonEscape(std::string_view utf8);

}  // namespace kb
