#include "platform/trace.h"

#include <cstdio>

#include "platform/cp932.h"
#include "platform/platform.h"

namespace kb {
namespace {
FILE* traceFile = nullptr;
}

bool OpenTrace(const std::string& hostPath) {
  CloseTrace();
  traceFile = std::fopen(hostPath.c_str(), "w");
  return traceFile != nullptr;
}

void CloseTrace() {
  if (traceFile) std::fclose(traceFile);
  traceFile = nullptr;
}

bool TraceEnabled() { return traceFile != nullptr; }

std::string JsonEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", u);
          out += buf;
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

void Trace(std::string_view event, std::initializer_list<TraceField> fields) {
  if (!traceFile) return;
  std::string line =
      "{\"t\":" + std::to_string(GetPlatform().ElapsedMs()) + ",\"ev\":\"" + JsonEscape(event) + "\"";
  for (const TraceField& f : fields) {
    line += ",\"" + JsonEscape(f.key) + "\":";
    switch (f.kind) {
      case TraceField::Kind::Int: line += std::to_string(f.number); break;
      case TraceField::Kind::Cp932: line += "\"" + JsonEscape(Cp932ToUtf8(f.text)) + "\""; break;
      case TraceField::Kind::Utf8: line += "\"" + JsonEscape(f.text) + "\""; break;
    }
  }
  line += "}\n";
  std::fputs(line.c_str(), traceFile);
  std::fflush(traceFile);
}

}  // namespace kb
